// The modal "Flip and Rotate" dialog: four choices, run on the selection or the picture by OK.
#pragma once
#include <windows.h>

constexpr wchar_t kFlipRotateClass[] = L"KolvexFlipRotateClass";
constexpr int kFlipHorizontalId = 101;
constexpr int kFlipVerticalId = 102;
constexpr int kRotate90Id = 103;
constexpr int kRotate180Id = 104;

// Command 401. Opens on "Flip horizontal" every time and settles nothing: the choice works on the selection as it is.
void OpenFlipRotateDialog(HWND owner);
