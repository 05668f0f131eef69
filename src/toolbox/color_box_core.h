// The colour box's fixed palette and where its clicks land, in colour-box client pixels.
#pragma once
#include <cstdint>

constexpr int kPaletteSize = 28;
constexpr int kPaletteColumns = 14;
// Colour values 0x00BBGGRR, two rows of 14.
extern const uint32_t kPalette[kPaletteSize];

struct ColorBoxHit {
    enum class Kind { None, Palette, Well } kind = Kind::None;
    int index = -1; // palette entry for Kind::Palette
};
// The one-pixel gaps between swatches belong to the swatch at their upper left.
ColorBoxHit HitColorBox(int x, int y);

struct SwatchRect {
    int left, top, right, bottom;
};
SwatchRect PaletteSwatchRect(int index);
