// The modal "Attributes" dialog: the picture's width and height, cut or extended at the right and bottom.
#pragma once
#include <windows.h>

constexpr wchar_t kAttributesClass[] = L"KolvexAttributesClass";
constexpr int kAttributesWidthId = 101;
constexpr int kAttributesHeightId = 102;

// Command 404, after the text box and the selection have been settled. The new area takes Color 2.
void OpenAttributesDialog(HWND owner);
