// The foreground and background colours ("Color 1" and "Color 2" in the program's texts) and which of them a
// mouse button draws with.
#pragma once
#include <windows.h>

// The button of a press: the left draws with Color 1, the right with Color 2.
enum class MouseButton : int { Left = 1, Right = 2 };

// UI thread only. Colour values 0x00BBGGRR.
struct ColorState {
    COLORREF foreground = RGB(255, 0, 0);
    COLORREF background = RGB(255, 255, 255);
    COLORREF wellCustom[16] = {};       // custom colours of the colour well's dialog
    COLORREF editColorsCustom[16] = {}; // those of the Edit Colors command, kept apart
};
extern ColorState g_colors;

// The colour a button draws with, and the other one (a shape's fill, the colour eraser's target).
COLORREF DrawingColor(MouseButton button);
COLORREF OtherColor(MouseButton button);
// The colour picker: the button's colour becomes c.
void SetDrawingColor(MouseButton button, COLORREF c);
