// The pixel work of the Image menu without the system: flips, the quarter turn and the inversion of a picture or
// a floating image, and the same moves of a selection mask. Images are PixelViews (bottom-up storage, addressed
// top-down through ReadPixel and WritePixel); masks are row-major from the top row, 1 = inside.
#pragma once
#include <cstdint>

#include "base/cpu_core.h"
#include "document/pixel_core.h"

// Each takes the path given; every path gives the same pixels.
// In place: every row reversed (x goes to width - 1 - x).
void FlipPixelsHorizontal(const PixelView& v, PixelPath path = FastestPixelPath());
// In place: row y and row height - 1 - y exchanged.
void FlipPixelsVertical(const PixelView& v, PixelPath path = FastestPixelPath());
// A quarter turn counter-clockwise: (x, y) of the w x h src goes to (y, w - 1 - x) of dst, which is h x w.
// Nothing when the sizes do not fit.
void RotatePixels90(const PixelView& src, const PixelView& dst, PixelPath path = FastestPixelPath());
// In place: red, green and blue become 255 minus their value, alpha 0xFF.
void InvertPixels(const PixelView& v, PixelPath path = FastestPixelPath());

void FlipMaskHorizontal(uint8_t* mask, int width, int height);
void FlipMaskVertical(uint8_t* mask, int width, int height);
// The quarter turn of RotatePixels90 for a width x height mask; dst holds height x width bytes.
void RotateMask90(const uint8_t* src, int width, int height, uint8_t* dst);
