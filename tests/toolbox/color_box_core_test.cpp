#include "toolbox/color_box_core.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorBoxHits, PaletteCellsWellAndGaps) {
    using Kind = ColorBoxHit::Kind;
    struct Case {
        int x, y;
        Kind kind;
        int index;
    } cases[] = {
        {40, 4, Kind::Palette, 0},    {54, 18, Kind::Palette, 0},  {55, 19, Kind::Palette, 0}, // gap: upper left
        {56, 4, Kind::Palette, 1},    {263, 4, Kind::Palette, 13}, {40, 20, Kind::Palette, 14},
        {263, 35, Kind::Palette, 27}, {264, 10, Kind::None, -1},   {100, 36, Kind::None, -1},
        {100, 3, Kind::None, -1},     {4, 4, Kind::Well, -1},      {34, 34, Kind::Well, -1},
        {35, 10, Kind::None, -1},     {39, 10, Kind::None, -1},    {20, 35, Kind::None, -1},
    };
    for (const Case& c : cases) {
        const ColorBoxHit h = HitColorBox(c.x, c.y);
        EXPECT_EQ(h.kind, c.kind) << c.x << "," << c.y;
        EXPECT_EQ(h.index, c.index) << c.x << "," << c.y;
    }
}

TEST(ColorBoxPalette, FixedColoursInTwoRows) {
    EXPECT_EQ(kPalette[0], 0x000000u);
    EXPECT_EQ(kPalette[10], 0xFF8000u); // RGB(0, 128, 255)
    EXPECT_EQ(kPalette[14], 0xFFFFFFu);
    EXPECT_EQ(kPalette[16], 0x0000FFu); // pure red
    EXPECT_EQ(kPalette[27], 0x4080FFu); // RGB(255, 128, 64)
    const SwatchRect s = PaletteSwatchRect(15);
    EXPECT_EQ(s.left, 56);
    EXPECT_EQ(s.top, 20);
    EXPECT_EQ(s.right, 71);
    EXPECT_EQ(s.bottom, 35);
}

} // namespace
