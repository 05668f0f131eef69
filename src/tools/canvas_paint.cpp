// The canvas paint pipeline: grey surround, framed picture at the zoom, grid, overlays and grips, drawn into
// an off-screen buffer in content coordinates and copied to the window in one go.
#include <algorithm>
#include <cmath>

#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/view_state.h"
#include "tools/canvas_state.h"
#include "tools/canvas_window.h"

// Visible picture range [x0, x1) x [y0, y1) for a client area of cw x ch.
struct VisibleRange {
    int x0, y0, x1, y1;
};

static VisibleRange VisiblePictureRange(int cw, int ch) {
    const double z = g_view.zoom;
    VisibleRange r;
    r.x0 = std::max(0, static_cast<int>(std::floor(g_view.scrollX / z)));
    r.y0 = std::max(0, static_cast<int>(std::floor(g_view.scrollY / z)));
    r.x1 = static_cast<int>(std::min<double>(g_canvas.width, std::ceil((g_view.scrollX + cw) / z)));
    r.y1 = static_cast<int>(std::min<double>(g_canvas.height, std::ceil((g_view.scrollY + ch) / z)));
    return r;
}

static void PaintPicture(HDC hdc, const VisibleRange& r) {
    if (r.x0 >= r.x1 || r.y0 >= r.y1) return;
    const int dx0 = PictureToContent(r.x0), dy0 = PictureToContent(r.y0);
    const int dw = PictureToContent(r.x1) - dx0, dh = PictureToContent(r.y1) - dy0;
    if (dw < 1 || dh < 1) return;
    GdiFlush();
    const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
    StretchBlt(hdc, dx0, dy0, dw, dh, g_canvas.memDC, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, SRCCOPY);
    SetStretchBltMode(hdc, oldMode);
}

static void PaintGrid(HDC hdc, const VisibleRange& r) {
    int g = std::max(1, g_view.gridSpacing);
    // Lines never closer than 3 screen pixels.
    if (g_view.zoom * g < 3) g = std::max(1, static_cast<int>(std::ceil(3 / (g_view.zoom * g)))) * g;
    const int xs = g * (r.x0 / g), ys = g * (r.y0 / g);
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    ScopedSelectObject sel(hdc, pen.get());
    const int oldRop = SetROP2(hdc, R2_XORPEN);
    for (int x = xs; x <= r.x1; x += g) {
        MoveToEx(hdc, PictureToContent(x), PictureToContent(ys), nullptr);
        LineTo(hdc, PictureToContent(x), PictureToContent(r.y1) + 1);
    }
    for (int y = ys; y <= r.y1; y += g) {
        MoveToEx(hdc, PictureToContent(xs), PictureToContent(y), nullptr);
        LineTo(hdc, PictureToContent(r.x1) + 1, PictureToContent(y));
    }
    SetROP2(hdc, oldRop);
}

static void PaintGrips(HDC hdc, int zw, int zh) {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT grips[3] = {
        {zw, zh / 2 - 2, zw + 4, zh / 2 + 2}, {zw / 2 - 2, zh, zw / 2 + 2, zh + 4}, {zw, zh, zw + 4, zh + 4}};
    for (const RECT& g : grips)
        FillRect(hdc, &g, black);
}

static void PaintContent(HDC hdc, int cw, int ch) {
    const RECT all{0, 0, cw, ch};
    ScopedGdiObj<HBRUSH> grey(CreateSolidBrush(RGB(128, 128, 128)));
    FillRect(hdc, &all, grey.get());
    SetViewportOrgEx(hdc, -g_view.scrollX, -g_view.scrollY, nullptr);

    const int zw = ZoomedExtent(g_view.zoom, g_canvas.width), zh = ZoomedExtent(g_view.zoom, g_canvas.height);
    const RECT frame{-1, -1, zw + 1, zh + 1};
    FrameRect(hdc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (g_canvas.pixels && g_canvas.width >= 1 && g_canvas.height >= 1 && g_view.zoom > 0) {
        const VisibleRange r = VisiblePictureRange(cw, ch);
        PaintPicture(hdc, r);
        if (g_view.gridShown) PaintGrid(hdc, r);
    }
    const CanvasState& s = g_canvasState;
    PaintPendingEdits(hdc, true);
    // No tool preview while a grip or a pending edit is being dragged; without a drag only the rubber bands.
    if (s.grip == CanvasGrip::None && s.activeEdit < 0) {
        const bool toolDrag = s.dragging;
        const ToolId tool = toolDrag ? s.dragTool : g_tools.currentTool;
        if (auto paint = ToolRowOf(tool).paintOverlay)
            paint(hdc, {tool, toolDrag, s.dragButton, s.anchor, s.pointer, s.shiftHeld});
    }
    PaintPendingEdits(hdc, false);
    PaintGrips(hdc, zw, zh);
    if (g_canvasState.grip != CanvasGrip::None) {
        // The outline can be far larger than the window; only its visible part is drawn.
        const RECT visible{g_view.scrollX, g_view.scrollY, g_view.scrollX + cw, g_view.scrollY + ch};
        DrawMarchingAnts(hdc, 0, 0, static_cast<int>(g_canvasState.gripWidth * g_view.zoom),
                         static_cast<int>(g_canvasState.gripHeight * g_view.zoom), 0, &visible);
    }
    SetViewportOrgEx(hdc, 0, 0, nullptr);
}

void PaintCanvas(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (rc.right >= 1 && rc.bottom >= 1) {
        ScopedMemDC buffer(hdc);
        ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(hdc, rc.right, rc.bottom));
        if (buffer.get() && bitmap.get()) {
            ScopedSelectObject sel(buffer.get(), bitmap.get());
            PaintContent(buffer.get(), rc.right, rc.bottom);
            BitBlt(hdc, 0, 0, rc.right, rc.bottom, buffer.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(hwnd, &ps);
}
