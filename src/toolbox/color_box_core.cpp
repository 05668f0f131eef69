#include "toolbox/color_box_core.h"

static constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

const uint32_t kPalette[kPaletteSize] = {
    Rgb(0, 0, 0),       Rgb(128, 128, 128), Rgb(128, 0, 0),     Rgb(128, 128, 0),  Rgb(0, 128, 0),
    Rgb(0, 128, 128),   Rgb(0, 0, 128),     Rgb(128, 0, 128),   Rgb(128, 128, 64), Rgb(0, 64, 64),
    Rgb(0, 128, 255),   Rgb(0, 64, 128),    Rgb(128, 0, 255),   Rgb(128, 64, 0),   Rgb(255, 255, 255),
    Rgb(192, 192, 192), Rgb(255, 0, 0),     Rgb(255, 255, 0),   Rgb(0, 255, 0),    Rgb(0, 255, 255),
    Rgb(0, 0, 255),     Rgb(255, 0, 255),   Rgb(255, 255, 128), Rgb(0, 255, 128),  Rgb(128, 255, 255),
    Rgb(128, 128, 255), Rgb(255, 0, 128),   Rgb(255, 128, 64),
};

ColorBoxHit HitColorBox(int x, int y) {
    if (x >= 40 && x <= 263 && y >= 4 && y <= 35)
        return {ColorBoxHit::Kind::Palette, (y - 4) / 16 * kPaletteColumns + (x - 40) / 16};
    if (x >= 4 && x <= 34 && y >= 4 && y <= 34) return {ColorBoxHit::Kind::Well, -1};
    return {};
}

SwatchRect PaletteSwatchRect(int index) {
    const int c = index % kPaletteColumns, r = index / kPaletteColumns;
    return {40 + 16 * c, 4 + 16 * r, 55 + 16 * c, 19 + 16 * r};
}
