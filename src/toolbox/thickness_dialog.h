// The modeless custom thickness dialog: several may be open while the user goes on drawing.
#pragma once
#include <windows.h>

constexpr wchar_t kThicknessClass[] = L"KolvexThicknessClass";
constexpr int kThicknessEditId = 201;
constexpr int kThicknessCurrentToolId = 202;
constexpr int kThicknessAllToolsId = 203;
constexpr int kThicknessFirstPresetId = 210;

void OpenThicknessDialog(HWND owner);
