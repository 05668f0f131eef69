// The one picture: a 32-bit bottom-up DIB section selected into its own memory DC, so the tools can
// draw on it with GDI and read or write the pixels directly.
#pragma once
#include <windows.h>

#include <cstdint>

#include "document/pixel_core.h"

// UI thread only. Either all of memDC, dib and pixels exist and width, height >= 1, or pixels is null
// and the size is 0 x 0.
struct CanvasImage {
    int width = 0;
    int height = 0;
    HDC memDC = nullptr;
    HBITMAP dib = nullptr;
    uint32_t* pixels = nullptr;
};
extern CanvasImage g_canvas;

// The DIB section maker; tests replace it to see how callers cope when the system refuses a picture.
using CreateDibSectionFn = HBITMAP(WINAPI*)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
extern CreateDibSectionFn g_createDibSection;

// A new width x height surface, its pixels zero, without touching the picture. False (out untouched) when the
// size is outside the picture-size limit or the system refuses it.
[[nodiscard]] bool MakeCanvasSurface(int width, int height, CanvasImage* out);
// Frees a surface that never became the picture.
void FreeCanvasSurface(CanvasImage& surface);
// Makes fresh the picture and frees the old one; the document's StartDocument and ReplacePicture call it.
void InstallCanvasSurface(const CanvasImage& fresh);

// Replaces the picture by a new width x height one with every pixel fillPixel (0xAARRGGBB), keeping the
// document as it is (the start-up picture). On failure the picture is left exactly as it was.
[[nodiscard]] bool CreateCanvasImage(int width, int height, uint32_t fillPixel);
bool CreateCanvasImage(int, int, bool) = delete; // a fill is a pixel, never a flag

// Changes the picture size keeping the old pixels anchored at the top-left; sizes below 1 become 1. The new
// area takes fillPixel. Asking for the current size does nothing. On failure the picture, the history and the
// modified flag are unchanged.
enum class ResizeResult { Done, Unchanged, TooLarge, NoMemory };
[[nodiscard]] ResizeResult ResizeCanvasImage(int width, int height, uint32_t fillPixel, bool recordUndo);
ResizeResult ResizeCanvasImage(int, int, bool, bool) = delete;

// The picture at width x height as ResizeCanvasImage makes it, in a new surface; the picture is not touched.
// Unchanged (nothing made) for the current size.
[[nodiscard]] ResizeResult MakeResizedCopy(int width, int height, uint32_t fillPixel, CanvasImage* out);

// Shows why a resize failed in status part 0; nothing for success. 64-bit, so a refused size is shown as asked.
void ReportResizeFailure(ResizeResult result, int64_t width, int64_t height);

PixelView CanvasPixels();
