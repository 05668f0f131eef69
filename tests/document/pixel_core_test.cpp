#include "document/pixel_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Picture {
    std::vector<uint32_t> px;
    PixelView view;
    Picture(int w, int h, uint32_t fill = 0) : px(static_cast<size_t>(w) * h, fill), view{px.data(), w, h} {}
};

TEST(PixelLayout, PixelFromColorSwapsRedAndBlueAndSetsAlpha) {
    EXPECT_EQ(PixelFromColor(0x000000FFu), 0xFFFF0000u); // pure red
    EXPECT_EQ(PixelFromColor(0x00FF0000u), 0xFF0000FFu); // pure blue
    EXPECT_EQ(PixelFromColor(0x00FFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(PixelFromColor(0x00123456u), 0xFF563412u);
    EXPECT_EQ(PixelFromColor(0xAB000000u), 0xFF000000u); // the colour value's top byte is not alpha
}

TEST(PixelLayout, RowsAreStoredBottomUp) {
    Picture p(3, 2);
    WritePixel(p.view, 0, 0, 1); // top-left
    WritePixel(p.view, 2, 1, 2); // bottom-right
    EXPECT_EQ(p.px[3], 1u);      // second stored row is the top row
    EXPECT_EQ(p.px[2], 2u);
    EXPECT_EQ(ReadPixel(p.view, 0, 0), 1u);
    EXPECT_EQ(ReadPixel(p.view, 2, 1), 2u);
}

TEST(PixelLayout, AccessOutsideThePictureIsClipped) {
    Picture p(2, 2, 7);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) {
        WritePixel(p.view, x, y, 9);
        EXPECT_EQ(ReadPixel(p.view, x, y), 0u);
    }
    for (uint32_t v : p.px)
        EXPECT_EQ(v, 7u);
    EXPECT_EQ(ReadPixel(PixelView{}, 0, 0), 0u);
}

TEST(PictureSizeLimit, SidesAndAreaAreBounded) {
    struct Case {
        int64_t w, h;
        bool ok;
    } cases[] = {
        {1, 1, true},
        {32767, 3051, true},
        {10000, 10000, true},
        {10000, 10001, false},
        {32768, 1, false},
        {1, 32768, false},
        {0, 5, false},
        {5, -1, false},
        {100000, 100000, false},
        {(1LL << 31) + 5, 1, false},
        {32767, 32767, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPictureSizeAllowed(c.w, c.h), c.ok) << c.w << " x " << c.h;
}

TEST(AnchoredCopy, GrowingKeepsTopLeftAndFillsTheRest) {
    Picture old(2, 2);
    WritePixel(old.view, 0, 0, 1);
    WritePixel(old.view, 1, 0, 2);
    WritePixel(old.view, 0, 1, 3);
    WritePixel(old.view, 1, 1, 4);
    Picture grown(3, 3);
    CopyAnchoredTopLeft(old.px.data(), 2, 2, grown.view, 0xFFFFFFFFu);
    const uint32_t expected[3][3] = {{1, 2, 0xFFFFFFFF}, {3, 4, 0xFFFFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(ReadPixel(grown.view, x, y), expected[y][x]) << x << "," << y;
}

TEST(AnchoredCopy, ShrinkingKeepsTheTopRows) {
    Picture old(1, 10);
    for (int y = 0; y < 10; ++y)
        WritePixel(old.view, 0, y, static_cast<uint32_t>(100 + y));
    Picture half(1, 5);
    CopyAnchoredTopLeft(old.px.data(), 1, 10, half.view, 0);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(ReadPixel(half.view, 0, y), static_cast<uint32_t>(100 + y));
}

TEST(AnchoredCopy, WithoutTheOldPixelsEverythingIsFill) {
    Picture p(4, 3, 1);
    CopyAnchoredTopLeft(nullptr, 4, 3, p.view, 0xFF00FF00u);
    for (uint32_t v : p.px)
        EXPECT_EQ(v, 0xFF00FF00u);
}

} // namespace
