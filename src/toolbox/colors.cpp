#include "toolbox/colors.h"

#include "base/ui_thread.h"

ColorState g_colors;

COLORREF DrawingColor(MouseButton button) {
    return button == MouseButton::Right ? g_colors.background : g_colors.foreground;
}

COLORREF OtherColor(MouseButton button) {
    return button == MouseButton::Right ? g_colors.foreground : g_colors.background;
}

void SetDrawingColor(MouseButton button, COLORREF c) {
    AssertUiThread();
    (button == MouseButton::Right ? g_colors.background : g_colors.foreground) = c;
}
