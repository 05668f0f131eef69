// The mosaic filter's pixelation, with no window: square blocks anchored at a region's top-left corner, each
// painted with the average colour of the pixels that count in it.
#pragma once
#include <cstdint>

#include "base/cpu_core.h"
#include "document/pixel_core.h"

constexpr int kMinMosaicBlock = 2;
constexpr int kMaxMosaicBlock = 64;

// Which pixels of the region count: inside the picture, inside the mask (row-major from the region's top row,
// width bytes a row, 1 = inside; null: every pixel) and, with a key, not of the key's red, green and blue
// (0x00RRGGBB), as the transparent pixels of a floating selection.
struct MosaicArea {
    int left = 0, top = 0, width = 0, height = 0;
    const uint8_t* mask = nullptr;
    const uint32_t* keyRgb = nullptr;
};

// Pixelates the area of picture in blocks of n x n (n raised to at least 2; the last block of a row or column cut
// short). Each block's counted pixels become 0xFF000000 | the floor of their red, green and blue averages; the
// others keep their value. Every pixel is read once and written at most once, in place. Every path gives the same
// pixels.
void MosaicPixels(const PixelView& picture, const MosaicArea& area, int n, PixelPath path = FastestPixelPath());
