// The canvas at a whole-number zoom of 2 or more, painted by the program itself into a top-down 32-bit buffer:
// each picture pixel a zoom x zoom square, and the grid's lines laid over them by XOR. A buffer is a window onto
// the content plane: its pixel (0, 0) is content point (left, top).
#pragma once
#include <cstdint>

#include "base/cpu_core.h"
#include "document/pixel_core.h"

struct ContentBuffer {
    uint32_t* px = nullptr;
    int width = 0, height = 0; // pixels; rows are width words apart
    int left = 0, top = 0;     // the content point of pixel (0, 0)
};

// Writes picture columns x0..x1 and rows y0..y1 (exclusive ends, within the picture) where they fall at zoom:
// picture pixel (x, y) covers content [zoom x, zoom (x + 1)) x [zoom y, zoom (y + 1)). What falls outside the
// buffer is left out. The pixels are copied as they are, alpha included.
void PaintZoomedPicture(const PixelView& picture, int zoom, int x0, int y0, int x1, int y1, const ContentBuffer& out,
                        PixelPath path = FastestPixelPath());

// The grid's lines as XOR white (0x00FFFFFF) over the buffer, the way a one-pixel XOR pen draws them one after
// the other: a vertical line at content x = zoom * x for x = xs, xs + step, ... up to xEnd, from content y =
// zoom * ys down to zoom * yEnd inclusive; then a horizontal line at content y = zoom * y for y = ys, ys + step,
// ... up to yEnd, from zoom * xs to zoom * xEnd inclusive. Where two lines cross the pixel is turned twice and
// keeps its colour.
struct GridLines {
    int zoom = 1, step = 1;
    int xs = 0, ys = 0, xEnd = 0, yEnd = 0; // picture coordinates
};
void XorGridLines(const GridLines& grid, const ContentBuffer& out);
