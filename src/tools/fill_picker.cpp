#include "tools/fill_picker.h"

#include <cstdint>

#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/dialog_frame.h"
#include "shell/main_window.h"
#include "tools/fill_core.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_state.h"

size_t g_fillQueueLimit = SIZE_MAX;

void FillAt(int button, PicturePoint p) {
    if (!g_canvas.pixels) return;
    PushUndoSnapshot();
    GdiFlush();
    const COLORREF colour = button == 2 ? g_colors.background : g_colors.foreground;
    // A fill that runs out of memory keeps what it filled; Undo takes it back whole.
    if (FloodFill(CanvasPixels(), p.x, p.y, PixelFromColor(colour), g_fillQueueLimit) == FillResult::OutOfMemory)
        OwnedMessageBox(g_app.main, L"Not enough memory to complete the fill.", L"Kolvex", MB_OK | MB_ICONWARNING);
}

void PickColorAt(int button, PicturePoint p) {
    GdiFlush();
    const uint32_t px = ReadPixel(CanvasPixels(), p.x, p.y);
    const COLORREF c = RGB(px >> 16 & 0xFF, px >> 8 & 0xFF, px & 0xFF);
    (button == 2 ? g_colors.background : g_colors.foreground) = c;
    if (g_app.colorBox) InvalidateRect(g_app.colorBox, nullptr, TRUE);
    // Straight back to the tool used before, without the side effects of a tool change.
    g_tools.currentTool = g_tools.previousTool;
    if (g_app.toolBox) InvalidateRect(g_app.toolBox, nullptr, TRUE);
}

void MagnifierClick(int button, POINT client) { SetZoom(MagnifierZoom(g_view.zoom, button), &client); }
