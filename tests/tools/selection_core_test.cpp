#include "tools/selection_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A picture of distinct pixels: 0xFF000000 | (y << 8) | x, top-down coordinates.
struct Picture {
    int w, h;
    std::vector<uint32_t> px;
    Picture(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                WritePixel(View(), x, y, 0xFF000000u | static_cast<uint32_t>(y) << 8 | static_cast<uint32_t>(x));
    }
    PixelView View() { return {px.data(), w, h}; }
    uint32_t At(int x, int y) { return ReadPixel(View(), x, y); }
};

TEST(SelectionPixels, StampKeepsToTheMaskThePictureAndTheTransparentKey) {
    Picture pic(6, 4);
    Picture img(3, 2); // pixels 0xFF0000yx of their own
    FillPixels(img.View(), 0xFFAAAAAAu);
    WritePixel(img.View(), 1, 0, 0xFFFFFFFFu); // the key colour, white
    WritePixel(img.View(), 2, 1, 0x00123456u); // an alpha byte of 0 is stamped as it is
    const uint8_t mask[6] = {1, 1, 1, 0, 1, 1};
    StampImage(pic.View(), img.View(), mask, 4, 2, true, 0xFFFFFF);
    EXPECT_EQ(pic.At(4, 2), 0xFFAAAAAAu);
    EXPECT_EQ(pic.At(5, 2), 0xFF000205u) << "transparent white is left out";
    EXPECT_EQ(pic.At(4, 3), 0xFF000304u) << "outside the mask";
    EXPECT_EQ(pic.At(5, 3), 0xFFAAAAAAu);
    // Off the picture on every side: only the overlap is written, nothing outside the array.
    Picture whole(2, 2);
    Picture big(4, 4);
    FillPixels(big.View(), 0xFF111111u);
    StampImage(whole.View(), big.View(), nullptr, -1, -1, false, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(whole.At(x, y), 0xFF111111u);
    Picture unchanged(2, 2);
    StampImage(unchanged.View(), big.View(), nullptr, 2, 0, false, 0);
    StampImage(unchanged.View(), big.View(), nullptr, -4, -4, false, 0);
    EXPECT_EQ(unchanged.At(1, 1), 0xFF000101u);
    // Opaque: white is stamped too.
    Picture opaque(3, 1);
    Picture white(1, 1);
    FillPixels(white.View(), 0xFFFFFFFFu);
    StampImage(opaque.View(), white.View(), nullptr, 1, 0, false, 0xFFFFFF);
    EXPECT_EQ(opaque.At(1, 0), 0xFFFFFFFFu);
}

TEST(SelectionPixels, LiftAndClearFillOnlyTheMaskInsideThePicture) {
    Picture pic(4, 3);
    const uint8_t mask[6] = {0, 1, 1, 1, 0, 1}; // 3 x 2
    FillArea(pic.View(), 2, 1, 3, 2, mask, 0xFF0000FFu);
    EXPECT_EQ(pic.At(2, 1), 0xFF000102u);
    EXPECT_EQ(pic.At(3, 1), 0xFF0000FFu);
    EXPECT_EQ(pic.At(2, 2), 0xFF0000FFu);
    EXPECT_EQ(pic.At(3, 2), 0xFF000203u);
    EXPECT_EQ(pic.At(1, 1), 0xFF000101u);
    FillArea(pic.View(), -2, -2, 3, 3, nullptr, 0xFF00FF00u);
    EXPECT_EQ(pic.At(0, 0), 0xFF00FF00u);
    EXPECT_EQ(pic.At(1, 0), 0xFF000001u);
}

TEST(SelectionPixels, CopyTakesThePictureOpaqueAndLeavesOffPicturePixels) {
    Picture pic(3, 3);
    WritePixel(pic.View(), 1, 1, 0x00123456u);
    Picture img(3, 3);
    FillPixels(img.View(), 0xFF000000u);
    CopyPictureArea(pic.View(), 1, 1, img.View());
    EXPECT_EQ(img.At(0, 0), 0xFF123456u) << "alpha made opaque";
    EXPECT_EQ(img.At(1, 1), 0xFF000202u);
    EXPECT_EQ(img.At(2, 2), 0xFF000000u) << "off the picture";
    const uint8_t mask[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    FillOutsideMask(img.View(), mask, 0xFFFFFFFFu);
    EXPECT_EQ(img.At(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(img.At(1, 1), 0xFF000202u);
}

TEST(SelectionHandles, SquaresAndHitsAtSeveralZooms) {
    const SelectionRect r{10, 20, 30, 60};
    struct Case {
        double zoom;
        int handle, cx, cy;
    } cases[] = {{1, 1, 10, 20},  {1, 2, 20, 20},   {1, 3, 30, 20},  {1, 4, 30, 40},  {1, 5, 30, 60},
                 {1, 6, 20, 60},  {1, 7, 10, 60},   {1, 8, 10, 40},  {2, 5, 60, 120}, {2, 2, 40, 40},
                 {0.5, 1, 5, 10}, {0.5, 4, 15, 20}, {0.5, 6, 10, 30}};
    for (const Case& c : cases) {
        const HandleSquare s = SelectionHandleSquare(c.handle, r, c.zoom);
        EXPECT_EQ(s.left, c.cx - 2) << c.zoom << " " << c.handle;
        EXPECT_EQ(s.top, c.cy - 2) << c.zoom << " " << c.handle;
        EXPECT_EQ(s.right - s.left, 5);
        EXPECT_EQ(s.bottom - s.top, 5);
        EXPECT_EQ(HitHandleAt(r, c.zoom, c.cx, c.cy), c.handle) << c.zoom << " " << c.handle;
        if (c.zoom >= 1) { // at 50 % the grown squares of neighbouring handles overlap
            EXPECT_EQ(HitHandleAt(r, c.zoom, c.cx - 4, c.cy + 4), c.handle) << "the square grown by 2";
        }
    }
    EXPECT_EQ(HitHandleAt(r, 1, 10 - 5, 20), 0);
    EXPECT_EQ(HitHandleAt(r, 1, 20, 40), 0) << "the middle is no handle";
    // Handles that overlap on a tiny selection: the first in order wins.
    EXPECT_EQ(HitHandleAt({0, 0, 1, 1}, 1, 0, 0), 1);
}

TEST(SelectionHandles, ResizeMovesTheHandlesEdgesKeepsASizeOfOneAndStaysWithinTheLimit) {
    const SelectionRect start{100, 100, 200, 150};
    struct Case {
        int handle;
        int64_t dx, dy;
        SelectionRect expected;
    } cases[] = {
        {1, -10, -20, {90, 80, 200, 150}},     {2, 50, 7, {100, 107, 200, 150}},    {3, 5, 5, {100, 105, 205, 150}},
        {4, -30, 99, {100, 100, 170, 150}},    {5, 10, 10, {100, 100, 210, 160}},   {6, 3, -40, {100, 100, 200, 110}},
        {7, 20, 20, {120, 100, 200, 170}},     {8, 150, 0, {250, 100, 251, 150}}, // crossed: size 1 at the pointer
        {5, -500, -500, {100, 100, 101, 101}}, {1, 200, 200, {300, 300, 301, 301}},
    };
    for (const Case& c : cases) {
        const SelectionRect r = ResizeWithHandle(c.handle, start, c.dx, c.dy);
        EXPECT_EQ(r.left, c.expected.left) << c.handle;
        EXPECT_EQ(r.top, c.expected.top) << c.handle;
        EXPECT_EQ(r.right, c.expected.right) << c.handle;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.handle;
    }
    // A handle dragged very far: each side at most 32,767 and the area at most 100,000,000 pixels, the opposite
    // corner where it was.
    const SelectionRect far = ResizeWithHandle(5, start, int64_t{1} << 50, int64_t{1} << 50);
    EXPECT_EQ(far.left, 100);
    EXPECT_EQ(far.top, 100);
    EXPECT_LE(far.right - far.left, kMaxPictureSide);
    EXPECT_LE(far.bottom - far.top, kMaxPictureSide);
    EXPECT_TRUE(IsPictureSizeAllowed(far.right - far.left, far.bottom - far.top));
    const SelectionRect wide = ResizeWithHandle(1, start, -100000, 0);
    EXPECT_EQ(wide.right, 200);
    EXPECT_EQ(wide.right - wide.left, kMaxPictureSide);
}

TEST(Sampler, NearestIndicesOnDistinctPixels) {
    EXPECT_EQ(NearestSourceIndex(1, 4, 2), 2) << "50 % of a b c d gives a c";
    EXPECT_EQ(NearestSourceIndex(0, 4, 2), 0);
    EXPECT_EQ(NearestSourceIndex(1, 3, 2), 1) << "3 -> 2 gives columns 0 and 1";
    EXPECT_EQ(NearestSourceIndex(5, 3, 6), 2) << "200 %";
    EXPECT_EQ(NearestSourceIndex(8, 3, 9), 2) << "300 %";
    EXPECT_EQ(NearestSourceIndex(32766, 32767, 32767), 32766) << "the largest sides";
    EXPECT_EQ(NearestSourceIndex(1, 32767, 2), 16383);

    Picture src(4, 3);
    Picture half(2, 2);
    ScalePixelsNearest(src.View(), half.View());
    EXPECT_EQ(half.At(0, 0), src.At(0, 0));
    EXPECT_EQ(half.At(1, 0), src.At(2, 0));
    EXPECT_EQ(half.At(0, 1), src.At(0, 1)) << "rows 3 -> 2: 0 and 1";
    EXPECT_EQ(half.At(1, 1), src.At(2, 1));
    Picture twice(8, 6);
    ScalePixelsNearest(src.View(), twice.View());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(twice.At(x, y), src.At(x / 2, y / 2));
    // The mask goes the same way as the pixels.
    const uint8_t mask[12] = {1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 0, 0}; // 4 x 3
    uint8_t small[4] = {};
    ScaleMaskNearest(mask, 4, 3, small, 2, 2);
    EXPECT_EQ(small[0], 1);
    EXPECT_EQ(small[1], 0);
    EXPECT_EQ(small[2], 0);
    EXPECT_EQ(small[3], 1);
}

TEST(SelectionPicture, OnlyASelectionOfTheWholePictureAtTheOriginGivesThePictureItsSize) {
    struct Case {
        SelectionRect source, rect;
        int64_t w, h;
        bool takes;
        const char* why;
    };
    const Case cases[] = {
        {{0, 0, 640, 480}, {0, 0, 320, 240}, 320, 240, true, "Select All scaled down"},
        {{0, 0, 640, 480}, {0, 0, 1280, 960}, 1280, 960, true, "Select All scaled up"},
        {{0, 0, 100, 100}, {0, 0, 200, 200}, 640, 480, false, "a corner selection only grows the picture"},
        {{0, 0, 100, 100}, {0, 0, 50, 50}, 640, 480, false, "and never cuts it"},
        {{100, 100, 200, 200}, {100, 100, 700, 300}, 700, 480, false, "past the right edge"},
        {{0, 0, 640, 480}, {10, 0, 330, 240}, 640, 480, false, "moved off the origin"},
    };
    for (const Case& c : cases) {
        const NeededPicture n = PictureSizeForSelection(c.source, c.rect, 640, 480);
        EXPECT_EQ(n.width, c.w) << c.why;
        EXPECT_EQ(n.height, c.h) << c.why;
        EXPECT_EQ(n.takesSelectionSize, c.takes) << c.why;
    }
}

TEST(Lasso, TheMaskIsClippedToThePictureAndWindingFilled) {
    SelectionRect box;
    std::vector<uint8_t> mask;
    // A triangle (0, 0) (4, 0) (0, 4): left edges count, right ones do not.
    ASSERT_TRUE(LassoMask({{0, 0}, {4, 0}, {0, 4}}, 10, 10, &box, &mask));
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 5);
    const char* expected[5] = {"1111.", "111..", "11...", "1....", "....."};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(mask[static_cast<size_t>(y) * 5 + x], expected[y][x] == '1') << x << ", " << y;
    // Far outside on the left and back: the box is the picture's part only, and nothing is allocated beyond it.
    ASSERT_TRUE(LassoMask({{5, 2}, {-9'000'000, 3}, {5, 8}}, 8, 10, &box, &mask));
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 6);
    EXPECT_EQ(mask.size(), static_cast<size_t>(box.right - box.left) * (box.bottom - box.top));
    // Two points, a lasso wholly off the picture, one whose outline holds no pixel: no selection.
    EXPECT_FALSE(LassoMask({{1, 1}, {5, 5}}, 10, 10, &box, &mask));
    EXPECT_FALSE(LassoMask({{-50, -50}, {-10, -50}, {-10, -10}}, 10, 10, &box, &mask));
    EXPECT_FALSE(LassoMask({{3, 3}, {3, 3}, {3, 3}}, 10, 10, &box, &mask));
    // A figure eight winds both ways; both loops are inside by the nonzero rule.
    ASSERT_TRUE(LassoMask({{0, 0}, {4, 4}, {8, 0}, {8, 8}, {4, 4}, {0, 8}}, 10, 10, &box, &mask));
    EXPECT_EQ(mask[static_cast<size_t>(4) * (box.right - box.left) + 1], 1);
}

} // namespace
