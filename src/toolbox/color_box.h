// The foreground and background colours and the colour box window that chooses them.
#pragma once
#include <windows.h>

constexpr wchar_t kColorBoxClass[] = L"KolvexColorBoxClass";

// UI thread only. Colour values 0x00BBGGRR: "Color 1" and "Color 2" in the program's texts.
struct ColorState {
    COLORREF foreground = RGB(255, 0, 0);
    COLORREF background = RGB(255, 255, 255);
    COLORREF wellCustom[16] = {};       // custom colours of the colour well's dialog
    COLORREF editColorsCustom[16] = {}; // those of the Edit Colors command, kept apart
};
extern ColorState g_colors;

LRESULT CALLBACK ColorBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Command 701: the system colour dialog for the foreground colour.
void EditColors();
