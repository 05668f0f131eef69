#include "document/canvas_image.h"

#include <cwchar>

#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "toolbox/color_box.h"

CanvasImage g_canvas;
CreateDibSectionFn g_createDibSection = &CreateDIBSection;

PixelView CanvasPixels() { return {g_canvas.pixels, g_canvas.width, g_canvas.height}; }

// Makes a new surface without touching the current picture.
static bool MakeCanvasSurface(int width, int height, CanvasImage* out) {
    if (!IsPictureSizeAllowed(width, height)) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memDC = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = memDC ? g_createDibSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!memDC || !dib || !bits) {
        if (dib) DeleteObject(dib);
        if (memDC) DeleteDC(memDC);
        return false;
    }
    SelectObject(memDC, dib);
    *out = {width, height, memDC, dib, static_cast<uint32_t*>(bits)};
    return true;
}

static void ReplaceCanvas(const CanvasImage& fresh) {
    if (g_canvas.memDC) DeleteDC(g_canvas.memDC);
    if (g_canvas.dib) DeleteObject(g_canvas.dib);
    g_canvas = fresh;
}

bool CreateCanvasImage(int width, int height, bool fill) {
    CanvasImage fresh;
    if (!MakeCanvasSurface(width, height, &fresh)) return false;
    ReplaceCanvas(fresh);
    // A fresh DIB section is zeroed by the system.
    if (fill) FillPixels(CanvasPixels(), PixelFromColor(g_colors.background));
    ClampZoom();
    return true;
}

ResizeResult ResizeCanvasImage(int width, int height, bool fillWithBackground, bool recordUndo) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (g_canvas.pixels && width == g_canvas.width && height == g_canvas.height) return ResizeResult::Unchanged;
    if (!IsPictureSizeAllowed(width, height)) return ResizeResult::TooLarge;
    GdiFlush();
    CanvasImage fresh;
    if (!MakeCanvasSurface(width, height, &fresh)) return ResizeResult::NoMemory;
    if (recordUndo) PushUndoSnapshot();

    // The old surface still exists, so its pixels are copied straight across.
    const uint32_t fill = fillWithBackground ? PixelFromColor(g_colors.background) : 0xFFFFFFFFu;
    CopyAnchoredTopLeft(g_canvas.pixels, g_canvas.width, g_canvas.height, {fresh.pixels, width, height}, fill);
    ReplaceCanvas(fresh);

    g_document.modified = true;
    ClampZoom();
    ClampScroll();
    UpdateWindowTitle();
    if (g_app.canvas) InvalidateRect(g_app.canvas, nullptr, FALSE);
    return ResizeResult::Done;
}

void ReportResizeFailure(ResizeResult result, int width, int height) {
    wchar_t text[160];
    if (result == ResizeResult::TooLarge)
        swprintf(text, 160, L"A picture of %d x %d pixels is too large.", width, height);
    else if (result == ResizeResult::NoMemory)
        swprintf(text, 160, L"Not enough memory for a picture of %d x %d pixels.", width, height);
    else
        return;
    SetStatusText(kStatusMessage, text);
}
