#include "filters/transform_core.h"

#include <algorithm>
#include <cstddef>

namespace {

size_t Count(int width, int height) { return static_cast<size_t>(width) * static_cast<size_t>(height); }
bool Usable(const PixelView& v) { return v.px && v.width >= 1 && v.height >= 1; }

// Swaps row i and row height - 1 - i of a grid of width-wide rows; the same whichever end is stored first.
template <class T> void SwapRows(T* rows, int width, int height) {
    for (int i = 0; i < height / 2; ++i)
        std::swap_ranges(rows + Count(width, i), rows + Count(width, i + 1), rows + Count(width, height - 1 - i));
}

template <class T> void ReverseRows(T* rows, int width, int height) {
    for (int i = 0; i < height; ++i)
        std::reverse(rows + Count(width, i), rows + Count(width, i + 1));
}

} // namespace

void FlipPixelsHorizontal(const PixelView& v) {
    if (Usable(v)) ReverseRows(v.px, v.width, v.height);
}

void FlipPixelsVertical(const PixelView& v) {
    if (Usable(v)) SwapRows(v.px, v.width, v.height);
}

void RotatePixels90(const PixelView& src, const PixelView& dst) {
    if (!Usable(src) || !dst.px || dst.width != src.height || dst.height != src.width) return;
    const int w = src.width, h = src.height;
    // With bottom-up storage on both sides the turn is a transpose of the stored rows: source word
    // (h - 1 - y) * w + x lands on word x * h + y. Tiles keep both sides in the cache.
    constexpr int kTile = 64;
    for (int y0 = 0; y0 < h; y0 += kTile) {
        const int y1 = std::min(h, y0 + kTile);
        for (int x0 = 0; x0 < w; x0 += kTile) {
            const int x1 = std::min(w, x0 + kTile);
            for (int y = y0; y < y1; ++y) {
                const uint32_t* from = src.px + Count(w, h - 1 - y);
                for (int x = x0; x < x1; ++x)
                    dst.px[Count(h, x) + static_cast<size_t>(y)] = from[x];
            }
        }
    }
}

void InvertPixels(const PixelView& v) {
    if (!Usable(v)) return;
    uint32_t* p = v.px;
    const size_t n = Count(v.width, v.height);
    for (size_t i = 0; i < n; ++i)
        p[i] = 0xFF000000u | (~p[i] & 0x00FFFFFFu);
}

void FlipMaskHorizontal(uint8_t* mask, int width, int height) {
    if (mask && width >= 1 && height >= 1) ReverseRows(mask, width, height);
}

void FlipMaskVertical(uint8_t* mask, int width, int height) {
    if (mask && width >= 1 && height >= 1) SwapRows(mask, width, height);
}

void RotateMask90(const uint8_t* src, int width, int height, uint8_t* dst) {
    if (!src || !dst || width < 1 || height < 1) return;
    // Top-down rows: (x, y) goes to column y of row width - 1 - x in a grid height wide.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dst[Count(height, width - 1 - x) + static_cast<size_t>(y)] = src[Count(width, y) + static_cast<size_t>(x)];
}
