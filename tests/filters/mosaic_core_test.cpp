#include "filters/mosaic_core.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct Picture {
    int w, h;
    std::vector<uint32_t> px;
    Picture(int width, int height, uint32_t fill = 0xFF000000u)
        : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}
    PixelView View() { return {px.data(), w, h}; }
    uint32_t At(int x, int y) { return ReadPixel(View(), x, y); }
    void Set(int x, int y, uint32_t p) { WritePixel(View(), x, y, p); }
};

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }

// The plain rule, block by block and pixel by pixel, to hold the filter against.
void ReferenceMosaic(Picture& p, const MosaicArea& a, int n) {
    n = std::max(n, 2);
    for (int by = 0; by < a.height; by += n)
        for (int bx = 0; bx < a.width; bx += n) {
            uint64_t r = 0, g = 0, b = 0, k = 0;
            std::vector<std::pair<int, int>> counted;
            for (int y = a.top + by; y < a.top + std::min(by + n, a.height); ++y)
                for (int x = a.left + bx; x < a.left + std::min(bx + n, a.width); ++x) {
                    if (x < 0 || y < 0 || x >= p.w || y >= p.h) continue;
                    if (a.mask && a.mask[(y - a.top) * a.width + (x - a.left)] != 1) continue;
                    const uint32_t v = p.At(x, y);
                    if (a.keyRgb && (v & 0xFFFFFF) == *a.keyRgb) continue;
                    r += v >> 16 & 0xFF;
                    g += v >> 8 & 0xFF;
                    b += v & 0xFF;
                    ++k;
                    counted.push_back({x, y});
                }
            for (auto [x, y] : counted)
                p.Set(x, y,
                      Rgb(static_cast<uint32_t>(r / k), static_cast<uint32_t>(g / k), static_cast<uint32_t>(b / k)));
        }
}

TEST(Mosaic, BlocksOfEightOnTenByTenAreCutShortAtTheEdgesWithExactAverages) {
    Picture p(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            p.Set(x, y,
                  Rgb(static_cast<uint32_t>(x * 20), static_cast<uint32_t>(y * 25), static_cast<uint32_t>(x * y)));
    MosaicPixels(p.View(), {0, 0, 10, 10}, 8);
    // Column and row averages: x 0..7 -> 70 (red 20x), 8..9 -> 170; y 0..7 -> 87 (25y, 87.5 down), 8..9 -> 212.
    // Blue x*y: sum over the block / count, rounded down.
    struct Block {
        int x0, y0, x1, y1;
        uint32_t expected;
    } blocks[] = {
        {0, 0, 8, 8, Rgb(70, 87, 12)},    // (28 * 28) / 64 = 12.25
        {8, 0, 10, 8, Rgb(170, 87, 29)},  // (17 * 28) / 16 = 29.75
        {0, 8, 8, 10, Rgb(70, 212, 29)},  // (28 * 17) / 16
        {8, 8, 10, 10, Rgb(170, 212, 72)} // (17 * 17) / 4 = 72.25
    };
    for (const Block& b : blocks)
        for (int y = b.y0; y < b.y1; ++y)
            for (int x = b.x0; x < b.x1; ++x)
                ASSERT_EQ(p.At(x, y), b.expected) << x << "," << y;
}

TEST(Mosaic, HalfBlackHalfWhiteGivesGrey127AndAlphaBecomesOpaque) {
    Picture p(4, 2, 0x00000000u);
    for (int y = 0; y < 2; ++y)
        p.Set(1, y, 0x00FFFFFFu);
    MosaicPixels(p.View(), {0, 0, 4, 2}, 2);
    EXPECT_EQ(p.At(0, 0), Rgb(127, 127, 127));
    EXPECT_EQ(p.At(1, 1), Rgb(127, 127, 127));
    EXPECT_EQ(p.At(3, 1), Rgb(0, 0, 0));
}

TEST(Mosaic, OnlyPixelsInsideThePictureCountAndChange) {
    Picture p(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            p.Set(x, y, Rgb(static_cast<uint32_t>(x * 40), static_cast<uint32_t>(y * 40), 9));
    // Anchored at (-3, -3) with blocks of 4: the first block holds only picture column 0 and row 0.
    MosaicPixels(p.View(), {-3, -3, 20, 20}, 4);
    EXPECT_EQ(p.At(0, 0), Rgb(0, 0, 9));
    EXPECT_EQ(p.At(1, 0), Rgb(100, 0, 9)) << "columns 1..4 of row 0";
    EXPECT_EQ(p.At(5, 5), Rgb(200, 200, 9)) << "the last block holds column and row 5 only";
    EXPECT_EQ(p.At(3, 3), Rgb(100, 100, 9));
    // Wholly off the picture, or empty: nothing happens.
    Picture q(4, 4, Rgb(1, 2, 3));
    q.Set(0, 0, Rgb(200, 0, 0));
    MosaicPixels(q.View(), {-10, -10, 10, 10}, 2);
    MosaicPixels(q.View(), {4, 0, 5, 5}, 2);
    MosaicPixels(q.View(), {0, 0, 0, 4}, 2);
    MosaicPixels({nullptr, 4, 4}, {0, 0, 4, 4}, 2);
    EXPECT_EQ(q.At(0, 0), Rgb(200, 0, 0));
}

TEST(Mosaic, TheMaskRestrictsBothTheAveragesAndTheWrites) {
    Picture p(4, 2, Rgb(255, 255, 255));
    p.Set(0, 0, Rgb(0, 0, 0));
    p.Set(1, 1, Rgb(100, 50, 10));
    const uint8_t mask[8] = {1, 0, 1, 1, //
                             0, 1, 1, 1};
    MosaicPixels(p.View(), {0, 0, 4, 2, mask}, 2);
    EXPECT_EQ(p.At(0, 0), Rgb(50, 25, 5)) << "black and the dark pixel only";
    EXPECT_EQ(p.At(1, 1), Rgb(50, 25, 5));
    EXPECT_EQ(p.At(1, 0), Rgb(255, 255, 255)) << "outside the mask: kept";
    EXPECT_EQ(p.At(0, 1), Rgb(255, 255, 255));
}

TEST(Mosaic, KeyColouredPixelsAreNeitherCountedNorChanged) {
    Picture p(2, 2, 0xFFFFFFFFu);
    p.Set(0, 0, Rgb(10, 20, 30));
    p.Set(1, 1, 0x00305070u); // alpha is not part of the colour
    const uint32_t white = 0xFFFFFF;
    MosaicPixels(p.View(), {0, 0, 2, 2, nullptr, &white}, 2);
    EXPECT_EQ(p.At(0, 0), Rgb(29, 50, 71));
    EXPECT_EQ(p.At(1, 1), Rgb(29, 50, 71));
    EXPECT_EQ(p.At(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(p.At(0, 1), 0xFFFFFFFFu);
}

TEST(Mosaic, BlockSizesBelowTwoActAsTwoAndLargeOnesAreKept) {
    struct Case {
        int n, asN;
    } cases[] = {{1, 2}, {0, 2}, {-5, 2}, {65, 65}, {1000, 1000}};
    for (const Case& c : cases) {
        Picture a(70, 67), b(70, 67);
        std::mt19937 rng(static_cast<unsigned>(c.n + 100));
        for (size_t i = 0; i < a.px.size(); ++i)
            a.px[i] = b.px[i] = rng();
        MosaicPixels(a.View(), {0, 0, 70, 67}, c.n);
        ReferenceMosaic(b, {0, 0, 70, 67}, c.asN);
        EXPECT_EQ(a.px, b.px) << c.n;
    }
    // 65 on 70 x 67: a block of 65 x 65 and the cut-short ones beside and below it.
    Picture p(70, 67, Rgb(0, 0, 0));
    p.Set(64, 64, Rgb(255, 0, 0)); // in the first block with 65, in a block of 18 pixels with 64
    MosaicPixels(p.View(), {0, 0, 70, 67}, 65);
    EXPECT_EQ(p.At(64, 64), Rgb(0, 0, 0)) << "255 / 4225 rounds down to 0";
    EXPECT_EQ(p.At(65, 65), Rgb(0, 0, 0));
}

TEST(Mosaic, LargeBlocksAverageExactlyJustBelowAWholeValue) {
    // A sum one short of 255 per pixel must round down to 254, also for the largest counts.
    for (int side : {64, 100, 256, 300}) {
        Picture p(side, side, 0xFFFFFFFFu);
        p.Set(side / 2, side / 3, Rgb(254, 254, 254));
        MosaicPixels(p.View(), {0, 0, side, side}, side);
        EXPECT_EQ(p.At(0, 0), Rgb(254, 254, 254)) << side;
        EXPECT_EQ(p.At(side - 1, side - 1), Rgb(254, 254, 254)) << side;
        Picture white(side, side, 0xFFFFFFFFu); // an exact multiple stays whole
        MosaicPixels(white.View(), {0, 0, side, side}, side);
        EXPECT_EQ(white.At(1, 1), Rgb(255, 255, 255)) << side;
    }
    // Blocks taller than the rows summed at a time.
    Picture a(5, 700), b(5, 700);
    std::mt19937 rng(3u);
    for (size_t i = 0; i < a.px.size(); ++i)
        a.px[i] = b.px[i] = rng();
    std::vector<uint8_t> mask(5 * 700, 1);
    mask[1234] = 0;
    MosaicPixels(a.View(), {0, 0, 5, 700, mask.data()}, 600);
    ReferenceMosaic(b, {0, 0, 5, 700, mask.data()}, 600);
    EXPECT_EQ(a.px, b.px);
}

// On every path of the column sums.
TEST(Mosaic, AgreesWithThePlainRuleOverRandomAreasMasksAndKeys) {
    std::vector<PixelPath> paths = {PixelPath::Scalar};
    if (CpuHasSse2()) paths.push_back(PixelPath::Sse2);
    std::mt19937 rng(17u);
    for (int round = 0; round < 120; ++round) {
        const PixelPath path = paths[static_cast<size_t>(round) % paths.size()];
        const int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 40);
        Picture a(w, h), b(w, h);
        for (size_t i = 0; i < a.px.size(); ++i)
            a.px[i] = b.px[i] = (rng() % 4 == 0) ? 0xFFFFFFFFu : rng();
        MosaicArea area;
        area.left = static_cast<int>(rng() % 50) - 20;
        area.top = static_cast<int>(rng() % 50) - 20;
        area.width = 1 + static_cast<int>(rng() % 50);
        area.height = 1 + static_cast<int>(rng() % 50);
        std::vector<uint8_t> mask(static_cast<size_t>(area.width) * area.height);
        for (uint8_t& m : mask)
            m = rng() % 3 != 0;
        if (round % 3 != 0) area.mask = mask.data();
        const uint32_t white = 0xFFFFFF;
        if (round % 2) area.keyRgb = &white;
        const int n = 2 + static_cast<int>(rng() % 12);
        MosaicPixels(a.View(), area, n, path);
        ReferenceMosaic(b, area, n);
        ASSERT_EQ(a.px, b.px) << "round " << round << ", " << PixelPathName(path);
    }
}

} // namespace
