// The foreground and background colours and the colour box window that chooses them.
#pragma once
#include <windows.h>

#include "toolbox/colors.h"

constexpr wchar_t kColorBoxClass[] = L"KolvexColorBoxClass";

LRESULT CALLBACK ColorBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Command 701: the system colour dialog for the foreground colour.
void EditColors();
