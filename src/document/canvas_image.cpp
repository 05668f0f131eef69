#include "document/canvas_image.h"

#include <string>

#include "base/status_text.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"

CanvasImage g_canvas;
CreateDibSectionFn g_createDibSection = &CreateDIBSection;

PixelView CanvasPixels() { return {g_canvas.pixels, g_canvas.width, g_canvas.height}; }

bool MakeCanvasSurface(int width, int height, CanvasImage* out) {
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

void FreeCanvasSurface(CanvasImage& surface) {
    if (surface.memDC) DeleteDC(surface.memDC);
    if (surface.dib) DeleteObject(surface.dib);
    surface = {};
}

void InstallCanvasSurface(const CanvasImage& fresh) {
    GdiFlush();
    FreeCanvasSurface(g_canvas);
    g_canvas = fresh;
}

bool CreateCanvasImage(int width, int height, uint32_t fillPixel) {
    CanvasImage fresh;
    if (!MakeCanvasSurface(width, height, &fresh)) return false;
    FillPixels({fresh.pixels, width, height}, fillPixel);
    InstallCanvasSurface(fresh);
    ClampZoom();
    return true;
}

ResizeResult MakeResizedCopy(int width, int height, uint32_t fillPixel, CanvasImage* out) {
    if (g_canvas.pixels && width == g_canvas.width && height == g_canvas.height) return ResizeResult::Unchanged;
    if (!IsPictureSizeAllowed(width, height)) return ResizeResult::TooLarge;
    GdiFlush();
    CanvasImage fresh;
    if (!MakeCanvasSurface(width, height, &fresh)) return ResizeResult::NoMemory;
    CopyAnchoredTopLeft(g_canvas.pixels, g_canvas.width, g_canvas.height, {fresh.pixels, width, height}, fillPixel);
    *out = fresh;
    return ResizeResult::Done;
}

ResizeResult ResizeCanvasImage(int width, int height, uint32_t fillPixel, bool recordUndo) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    CanvasImage fresh;
    const ResizeResult r = MakeResizedCopy(width, height, fillPixel, &fresh);
    if (r != ResizeResult::Done) return r;
    if (recordUndo) PushUndoSnapshot();
    ReplacePicture(fresh);
    return ResizeResult::Done;
}

void ReportResizeFailure(ResizeResult result, int64_t width, int64_t height) {
    const std::wstring size = std::to_wstring(width) + L" x " + std::to_wstring(height);
    if (result == ResizeResult::TooLarge)
        SetStatusText(kStatusMessage, (L"A picture of " + size + L" pixels is too large.").c_str());
    else if (result == ResizeResult::NoMemory)
        SetStatusText(kStatusMessage, (L"Not enough memory for a picture of " + size + L" pixels.").c_str());
}
