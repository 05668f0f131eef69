// The foreground and background colours and the colour box window that chooses them.
#pragma once
#include <windows.h>

constexpr wchar_t kColorBoxClass[] = L"KolvexColorBoxClass";

// UI thread only. Colour values 0x00BBGGRR: "Color 1" and "Color 2" in the program's texts.
struct ColorState {
    COLORREF foreground = RGB(255, 0, 0);
    COLORREF background = RGB(255, 255, 255);
};
extern ColorState g_colors;

LRESULT CALLBACK ColorBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
