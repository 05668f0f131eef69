// The 1-pixel pencil: integer Bresenham lines with both ends drawn and no gaps.
#pragma once
#include <cstdlib>

#include "document/pixel_core.h"

// Calls plot(x, y) for every pixel from (x0, y0) to (x1, y1), both ends included, in drawing order.
template <class Plot> void ForEachLinePixel(int x0, int y0, int x1, int y1, Plot plot) {
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int e = dx - dy;
    for (;;) {
        plot(x0, y0);
        if (x0 == x1 && y0 == y1) return;
        const int t = 2 * e;
        if (t >= -dy) {
            e -= dy;
            x0 += sx;
        }
        if (t <= dx) {
            e += dx;
            y0 += sy;
        }
    }
}

// Writes value along the line, clipped to the picture.
void DrawPixelLine(const PixelView& v, int x0, int y0, int x1, int y1, uint32_t value);
