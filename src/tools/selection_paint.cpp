// The floating selection on the canvas: its image where a commit would stamp it, the marquee and the handles.
#include <algorithm>
#include <cmath>

#include "base/loaders.h"
#include "base/scoped_handles.h"
#include "document/view_state.h"
#include "tools/canvas_window.h"
#include "tools/selection.h"

void TransparentStretch(HDC dst, const RECT& d, HDC src, const RECT& s, COLORREF key) {
    const int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    if (auto blit = LoadMsimg32Api().transparentBlt; blit && dw <= 8192 && dh <= 8192) {
        blit(dst, d.left, d.top, dw, dh, src, s.left, s.top, sw, sh, key);
        return;
    }
    const int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, d.left, d.top, dw, dh, src, s.left, s.top, sw, sh, SRCCOPY);
    SetStretchBltMode(dst, oldMode);
}

namespace {

// The visible part of the image: content rectangle [x0, x1) x [y0, y1) and image columns and rows sx0.. sy0..
struct Part {
    int x0, y0, x1, y1;
    int sx0, sy0, sx1, sy1;
};

bool VisiblePart(const FloatingSelection& s, const RECT& visible, Part* out) {
    const double z = g_view.zoom;
    const int zl = PictureToContent(std::min(s.left, s.right)), zt = PictureToContent(std::min(s.top, s.bottom));
    const int zr = PictureToContent(std::max(s.left, s.right)), zb = PictureToContent(std::max(s.top, s.bottom));
    const int vl = std::max<int>(zl, visible.left), vt = std::max<int>(zt, visible.top);
    const int vr = std::min<int>(zr, visible.right), vb = std::min<int>(zb, visible.bottom);
    if (vl >= vr || vt >= vb || z <= 0) return false;
    Part p;
    p.sx0 = std::max(0, static_cast<int>(std::floor((vl - zl) / z)));
    p.sy0 = std::max(0, static_cast<int>(std::floor((vt - zt) / z)));
    p.sx1 = std::min(s.width, static_cast<int>(std::ceil((vr - zl) / z)));
    p.sy1 = std::min(s.height, static_cast<int>(std::ceil((vb - zt) / z)));
    if (p.sx0 >= p.sx1 || p.sy0 >= p.sy1) return false;
    const int left = std::min(s.left, s.right), top = std::min(s.top, s.bottom);
    p.x0 = PictureToContent(static_cast<int64_t>(left) + p.sx0);
    p.y0 = PictureToContent(static_cast<int64_t>(top) + p.sy0);
    p.x1 = PictureToContent(static_cast<int64_t>(left) + p.sx1);
    p.y1 = PictureToContent(static_cast<int64_t>(top) + p.sy1);
    if (p.x1 - p.x0 < 1 || p.y1 - p.y0 < 1) return false;
    *out = p;
    return true;
}

// The program's own nearest copy through the mask, clipped to what the window shows: a free-form selection
// shows no box of its padding, and a transparent one leaves out Color 2, exactly as a commit would stamp it.
void MaskedCopy(HDC buffer, const FloatingSelection& s, const Part& p, const RECT& visible) {
    const int x0 = std::max<int>(p.x0, visible.left), y0 = std::max<int>(p.y0, visible.top);
    const int x1 = std::min<int>(p.x1, visible.right), y1 = std::min<int>(p.y1, visible.bottom);
    const int w = x1 - x0, h = y1 - y0;
    if (w < 1 || h < 1) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down: row v is content row y0 + v
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ScopedGdiObj<HBITMAP> section(CreateDIBSection(buffer, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedMemDC mem(buffer);
    if (!section.get() || !bits || !mem.get()) return;
    ScopedSelectObject sel(mem.get(), section.get());
    BitBlt(mem.get(), 0, 0, w, h, buffer, x0, y0, SRCCOPY);
    GdiFlush();
    uint32_t* out = static_cast<uint32_t*>(bits);
    const PixelView image{s.image.pixels, s.width, s.height};
    const uint32_t key = PixelFromColor(g_colors.background) & 0xFFFFFFu;
    const bool transparent = g_tools.selectionTransparent;
    const double z = g_view.zoom;
    const int zl = PictureToContent(std::min(s.left, s.right)), zt = PictureToContent(std::min(s.top, s.bottom));
    for (int v = 0; v < h; ++v) {
        const int i = std::clamp(static_cast<int>(std::floor((y0 + v - zt) / z)), 0, s.height - 1);
        for (int u = 0; u < w; ++u) {
            const int j = std::clamp(static_cast<int>(std::floor((x0 + u - zl) / z)), 0, s.width - 1);
            if (!s.mask.empty() && !s.mask[static_cast<size_t>(i) * s.width + j]) continue;
            const uint32_t px = ReadPixel(image, j, i);
            if (transparent && (px & 0xFFFFFFu) == key) continue;
            out[static_cast<size_t>(v) * w + u] = px;
        }
    }
    BitBlt(buffer, x0, y0, w, h, mem.get(), 0, 0, SRCCOPY);
}

void DrawFloatingImage(HDC buffer, const FloatingSelection& s, const RECT& visible) {
    Part p;
    if (!VisiblePart(s, visible, &p)) return;
    const RECT dst{p.x0, p.y0, p.x1, p.y1}, src{p.sx0, p.sy0, p.sx1, p.sy1};
    if (!s.mask.empty() || (g_tools.selectionTransparent && !LoadMsimg32Api().transparentBlt)) {
        MaskedCopy(buffer, s, p, visible);
    } else if (g_tools.selectionTransparent) {
        GdiFlush();
        TransparentStretch(buffer, dst, s.image.memDC, src, g_colors.background);
    } else {
        GdiFlush();
        const int oldMode = SetStretchBltMode(buffer, COLORONCOLOR);
        StretchBlt(buffer, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, s.image.memDC, src.left,
                   src.top, src.right - src.left, src.bottom - src.top, SRCCOPY);
        SetStretchBltMode(buffer, oldMode);
    }
}

} // namespace

void PaintSelection(HDC buffer) {
    const FloatingSelection& s = g_selection;
    if (!s.active || s.width < 1 || s.height < 1) return;
    const RECT visible = CanvasVisibleContent();
    if (s.lifted && s.image.pixels) DrawFloatingImage(buffer, s, visible);
    const int zl = PictureToContent(std::min(s.left, s.right)), zt = PictureToContent(std::min(s.top, s.bottom));
    const int zr = PictureToContent(std::max(s.left, s.right)), zb = PictureToContent(std::max(s.top, s.bottom));
    DrawMarchingAnts(buffer, zl, zt, zr, zb, CanvasAntsPhase(), &visible);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (int h = 1; h <= 8; ++h) {
        const HandleSquare q = SelectionHandleRect(h);
        const RECT r{q.left, q.top, q.right, q.bottom};
        FillRect(buffer, &r, white);
        FrameRect(buffer, &r, black);
    }
}
