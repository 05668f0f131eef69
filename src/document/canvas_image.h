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

// Replaces the picture by a new width x height one, every pixel the background colour when fill is set
// and zero otherwise. The old picture is freed only once the new one exists; on failure (including a size
// outside the picture-size limit) the picture is left exactly as it was and false is returned.
[[nodiscard]] bool CreateCanvasImage(int width, int height, bool fill);

// Changes the picture size keeping the old pixels anchored at the top-left; sizes below 1 become 1. The new
// area takes the background colour with fillWithBackground, opaque white otherwise. Asking for the current
// size does nothing. On failure the picture, the history and the modified flag are unchanged.
enum class ResizeResult { Done, Unchanged, TooLarge, NoMemory };
[[nodiscard]] ResizeResult ResizeCanvasImage(int width, int height, bool fillWithBackground, bool recordUndo);

// Shows why a resize failed in status part 0; nothing for success.
void ReportResizeFailure(ResizeResult result, int width, int height);

PixelView CanvasPixels();
