#include "tools/pencil.h"

#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "tools/pencil_core.h"

// UI thread only: the end of the last segment of the stroke in progress.
static PicturePoint g_last;

static RECT DiscBox(PicturePoint p, int w) { return {p.x - w / 2, p.y - w / 2, p.x + w / 2 + 1, p.y + w / 2 + 1}; }

static void PencilDot(MouseButton button, PicturePoint p) {
    if (!g_canvas.pixels) return;
    const int w = g_tools.pencilWidth;
    const COLORREF colour = DrawingColor(button);
    if (w < 2) {
        GdiFlush();
        WritePixel(CanvasPixels(), p.x, p.y, PixelFromColor(colour));
        return;
    }
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(colour));
    ScopedSelectObject selPen(g_canvas.memDC, pen.get());
    ScopedSelectObject selBrush(g_canvas.memDC, brush.get());
    const RECT box = DiscBox(p, w);
    Ellipse(g_canvas.memDC, box.left, box.top, box.right, box.bottom);
    GdiFlush();
}

static void PencilSegment(MouseButton button, PicturePoint from, PicturePoint to) {
    if (!g_canvas.pixels) return;
    const int w = g_tools.pencilWidth;
    const COLORREF colour = DrawingColor(button);
    if (w < 2) {
        GdiFlush();
        DrawPixelLine(CanvasPixels(), from.x, from.y, to.x, to.y, PixelFromColor(colour));
        return;
    }
    // The disc at the end is outlined with the wide pen too, which rounds the stroke's head.
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, w, colour));
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(colour));
    ScopedSelectObject selPen(g_canvas.memDC, pen.get());
    ScopedSelectObject selBrush(g_canvas.memDC, brush.get());
    MoveToEx(g_canvas.memDC, from.x, from.y, nullptr);
    LineTo(g_canvas.memDC, to.x, to.y);
    const RECT box = DiscBox(to, w);
    Ellipse(g_canvas.memDC, box.left, box.top, box.right, box.bottom);
    GdiFlush();
}

static PressOutcome PencilPress(const ToolPointer& p) {
    PushUndoSnapshot();
    PencilDot(p.button, p.anchor);
    g_last = p.anchor;
    return PressOutcome::Repaint;
}

static void PencilMove(const ToolPointer& p) {
    PencilSegment(p.button, g_last, p.point);
    g_last = p.point;
}

const ToolRow kPencilRow{.press = PencilPress, .move = PencilMove};
