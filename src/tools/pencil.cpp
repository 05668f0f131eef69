#include "tools/pencil.h"

#include <windows.h>

#include "document/canvas_image.h"
#include "shell/scoped_handles.h"
#include "tools/pencil_core.h"
#include "toolbox/color_box.h"
#include "toolbox/tool_state.h"

static COLORREF PencilColor(int button) { return button == 2 ? g_colors.background : g_colors.foreground; }

static RECT DiscBox(PicturePoint p, int w) { return {p.x - w / 2, p.y - w / 2, p.x + w / 2 + 1, p.y + w / 2 + 1}; }

void PencilDot(int button, PicturePoint p) {
    if (!g_canvas.pixels) return;
    const int w = g_tools.pencilWidth;
    if (w < 2) {
        GdiFlush();
        WritePixel(CanvasPixels(), p.x, p.y, PixelFromColor(PencilColor(button)));
        return;
    }
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, PencilColor(button)));
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(PencilColor(button)));
    ScopedSelectObject selPen(g_canvas.memDC, pen.get());
    ScopedSelectObject selBrush(g_canvas.memDC, brush.get());
    const RECT box = DiscBox(p, w);
    Ellipse(g_canvas.memDC, box.left, box.top, box.right, box.bottom);
    GdiFlush();
}

void PencilSegment(int button, PicturePoint from, PicturePoint to) {
    if (!g_canvas.pixels) return;
    const int w = g_tools.pencilWidth;
    if (w < 2) {
        GdiFlush();
        DrawPixelLine(CanvasPixels(), from.x, from.y, to.x, to.y, PixelFromColor(PencilColor(button)));
        return;
    }
    // The disc at the end is outlined with the wide pen too, which rounds the stroke's head.
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, w, PencilColor(button)));
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(PencilColor(button)));
    ScopedSelectObject selPen(g_canvas.memDC, pen.get());
    ScopedSelectObject selBrush(g_canvas.memDC, brush.get());
    MoveToEx(g_canvas.memDC, from.x, from.y, nullptr);
    LineTo(g_canvas.memDC, to.x, to.y);
    const RECT box = DiscBox(to, w);
    Ellipse(g_canvas.memDC, box.left, box.top, box.right, box.bottom);
    GdiFlush();
}
