#include "tools/pencil_core.h"

void DrawPixelLine(const PixelView& v, int x0, int y0, int x1, int y1, uint32_t value) {
    ForEachLinePixel(x0, y0, x1, y1, [&](int x, int y) { WritePixel(v, x, y, value); });
}
