// The canvas paint pipeline: grey surround, framed picture at the zoom, grid, overlays and grips, drawn into
// an off-screen buffer in content coordinates and copied to the window in one go. At a whole-number zoom of 2 or
// more the program writes the magnified picture and the grid into the buffer itself, which is many times faster
// than the system's stretch and one line call per grid line; other zooms go through the system.
#include <algorithm>
#include <cmath>

#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/view_state.h"
#include "tools/canvas_state.h"
#include "tools/canvas_window.h"
#include "tools/zoom_paint_core.h"

namespace {

// The off-screen buffer, kept from one paint to the next while the window keeps its size, and at a zoom the
// program paints itself a layer it writes into, of the same size. The buffer is a bitmap compatible with the
// window, not one the program writes into: under Wine a key-colour blit into a 32-bit DIB also compares the
// alpha byte, so a transparent selection would keep its Color 2. UI thread only.
struct Buffers {
    HBITMAP back = nullptr;
    HBITMAP layer = nullptr;
    uint32_t* layerBits = nullptr; // top-down rows of width words
    int width = 0, height = 0;
};
Buffers g_buffers;

void FreeBuffers() {
    if (g_buffers.back) DeleteObject(g_buffers.back);
    if (g_buffers.layer) DeleteObject(g_buffers.layer);
    g_buffers = {};
}

bool EnsureBuffers(HDC hdc, int width, int height, bool layer) {
    if (g_buffers.back && (g_buffers.width != width || g_buffers.height != height)) FreeBuffers();
    if (!g_buffers.back) {
        g_buffers.back = CreateCompatibleBitmap(hdc, width, height);
        if (!g_buffers.back) return false;
        g_buffers.width = width;
        g_buffers.height = height;
    }
    if (!layer || g_buffers.layer) return true;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    g_buffers.layer = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    g_buffers.layerBits = static_cast<uint32_t*>(bits);
    return g_buffers.layer != nullptr;
}

// The zoom as a whole number the program paints itself, or 0.
int OwnPaintZoom() {
    const double z = g_view.zoom;
    return z >= 2 && z <= kMaxZoom && z == std::floor(z) ? static_cast<int>(z) : 0;
}

ContentBuffer LayerOnContent() {
    return {g_buffers.layerBits, g_buffers.width, g_buffers.height, g_view.scrollX, g_view.scrollY};
}

} // namespace

void FreeCanvasBuffer() { FreeBuffers(); }

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

// ownZoom: the whole-number zoom at which the program writes into the layer itself, or 0 for the system's stretch.
static void PaintPicture(HDC hdc, const VisibleRange& r, int ownZoom) {
    if (r.x0 >= r.x1 || r.y0 >= r.y1) return;
    if (const int zoom = ownZoom) {
        GdiFlush();
        PaintZoomedPicture({g_canvas.pixels, g_canvas.width, g_canvas.height}, zoom, r.x0, r.y0, r.x1, r.y1,
                           LayerOnContent());
        return;
    }
    const int dx0 = PictureToContent(r.x0), dy0 = PictureToContent(r.y0);
    const int dw = PictureToContent(r.x1) - dx0, dh = PictureToContent(r.y1) - dy0;
    if (dw < 1 || dh < 1) return;
    GdiFlush();
    const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
    StretchBlt(hdc, dx0, dy0, dw, dh, g_canvas.memDC, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, SRCCOPY);
    SetStretchBltMode(hdc, oldMode);
}

static void PaintGrid(HDC hdc, const VisibleRange& r, int ownZoom) {
    int g = std::max(1, g_view.gridSpacing);
    // Lines never closer than 3 screen pixels.
    if (g_view.zoom * g < 3) g = std::max(1, static_cast<int>(std::ceil(3 / (g_view.zoom * g)))) * g;
    const int xs = g * (r.x0 / g), ys = g * (r.y0 / g);
    if (const int zoom = ownZoom) {
        XorGridLines({zoom, g, xs, ys, r.x1, r.y1}, LayerOnContent());
        return;
    }
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

// Grey everywhere the picture does not cover; the picture paints its own part.
static void PaintSurround(HDC hdc, int cw, int ch, int zw, int zh, bool picture) {
    ScopedGdiObj<HBRUSH> grey(CreateSolidBrush(RGB(128, 128, 128)));
    const RECT all{0, 0, cw, ch};
    if (!picture) {
        FillRect(hdc, &all, grey.get());
        return;
    }
    const int right = zw - g_view.scrollX, bottom = zh - g_view.scrollY;
    const RECT parts[2] = {{std::max(0, right), 0, cw, ch}, {0, std::max(0, bottom), std::min(cw, right), ch}};
    for (const RECT& part : parts)
        if (part.left < part.right && part.top < part.bottom) FillRect(hdc, &part, grey.get());
}

// The surround, the frame, the picture and the grid, into base in content coordinates.
static void PaintBase(HDC base, int cw, int ch, int zw, int zh, bool picture, int ownZoom) {
    PaintSurround(base, cw, ch, zw, zh, picture);
    SetViewportOrgEx(base, -g_view.scrollX, -g_view.scrollY, nullptr);
    const RECT frame{-1, -1, zw + 1, zh + 1};
    FrameRect(base, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (picture) {
        const VisibleRange r = VisiblePictureRange(cw, ch);
        PaintPicture(base, r, ownZoom);
        if (g_view.gridShown) PaintGrid(base, r, ownZoom);
    }
    SetViewportOrgEx(base, 0, 0, nullptr);
}

// layer: a memory DC with the layer selected, at a zoom the program paints itself; else null.
static void PaintContent(HDC hdc, HDC layer, int cw, int ch) {
    const int zw = ZoomedExtent(g_view.zoom, g_canvas.width), zh = ZoomedExtent(g_view.zoom, g_canvas.height);
    const bool picture = g_canvas.pixels && g_canvas.width >= 1 && g_canvas.height >= 1 && g_view.zoom > 0;
    if (layer) {
        PaintBase(layer, cw, ch, zw, zh, picture, OwnPaintZoom());
        GdiFlush();
        BitBlt(hdc, 0, 0, cw, ch, layer, 0, 0, SRCCOPY);
    } else {
        PaintBase(hdc, cw, ch, zw, zh, picture, 0);
    }
    SetViewportOrgEx(hdc, -g_view.scrollX, -g_view.scrollY, nullptr);
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

static void PaintThroughLayer(HDC buffer, int cw, int ch) {
    ScopedMemDC layer(buffer);
    if (!layer.get()) return PaintContent(buffer, nullptr, cw, ch); // the system's way, then
    ScopedSelectObject sel(layer.get(), g_buffers.layer);
    PaintContent(buffer, layer.get(), cw, ch);
}

void PaintCanvas(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const bool own = OwnPaintZoom() != 0;
    if (rc.right >= 1 && rc.bottom >= 1 && EnsureBuffers(hdc, rc.right, rc.bottom, own)) {
        ScopedMemDC buffer(hdc);
        if (buffer.get()) {
            ScopedSelectObject sel(buffer.get(), g_buffers.back);
            if (own)
                PaintThroughLayer(buffer.get(), rc.right, rc.bottom);
            else
                PaintContent(buffer.get(), nullptr, rc.right, rc.bottom);
            BitBlt(hdc, 0, 0, rc.right, rc.bottom, buffer.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(hwnd, &ps);
}
