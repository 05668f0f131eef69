#include "files/quantize_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

struct Picture {
    const char* name;
    int width, height;
    std::vector<uint32_t> px;
};

// Colour i spread over the cube: no two of i < 32,768 share a 5-5-5 cell.
uint32_t Spread(uint32_t i) { return (i & 31) << 19 | (i >> 5 & 31) << 11 | (i >> 10 & 31) << 3; }

Picture Make(const char* name, int w, int h, uint32_t (*color)(int x, int y)) {
    Picture p{name, w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.px.push_back(color(x, y));
    return p;
}

size_t DistinctRgb(const std::vector<uint32_t>& px) {
    std::set<uint32_t> s;
    for (uint32_t p : px)
        s.insert(p & 0xFFFFFF);
    return s.size();
}

int ChannelError(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255)));
    return worst;
}

TEST(Quantize, FewColoursAreKeptExactly) {
    const Picture cases[] = {
        {"1 x 1", 1, 1, {0xFF123456}},
        Make("checkerboard", 8, 4, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; }),
        Make("alpha is ignored", 4, 4, [](int x, int) { return static_cast<uint32_t>(x) << 24 | 0x00ABCDEFu; }),
        Make("exactly 256 colours", 16, 16, [](int x, int y) { return 0xFF000000u | Spread(y * 16 + x) | 1u; }),
        Make("256 colours over a large area", 400, 300, [](int x, int y) { return Spread((x / 25) * 16 + y / 19); }),
        Make("256 grey levels", 16, 16, [](int x, int y) { return static_cast<uint32_t>(y * 16 + x) * 0x010101u; }),
    };
    for (const Picture& p : cases) {
        SCOPED_TRACE(p.name);
        IndexedPicture out;
        ASSERT_TRUE(QuantizeTo256(p.px.data(), p.width, p.height, &out));
        EXPECT_TRUE(out.exact);
        EXPECT_EQ(out.palette.size(), DistinctRgb(p.px));
        ASSERT_EQ(out.indices.size(), p.px.size());
        size_t wrong = 0;
        for (size_t i = 0; i < p.px.size(); ++i)
            wrong += out.indices[i] >= out.palette.size() || out.palette[out.indices[i]] != (p.px[i] & 0xFFFFFF);
        EXPECT_EQ(wrong, 0u);
    }
}

struct ManyCase {
    Picture picture;
    int maxError;     // worst channel difference of any pixel
    double meanError; // average of the worst channel difference over all pixels
};

TEST(Quantize, ManyColoursStayClose) {
    const ManyCase cases[] = {
        // 256 colours in their own 5-5-5 cells plus a 257th beside one of them: every colour keeps its own cell.
        {Make("257 colours", 257, 3,
              [](int x, int) { return x < 256 ? Spread(static_cast<uint32_t>(x)) : Spread(0) + 1; }),
         1, 0.01},
        {Make("smooth gradient", 512, 256,
              [](int x, int y) {
                  return static_cast<uint32_t>(x / 2) << 16 | static_cast<uint32_t>(y) << 8 |
                         static_cast<uint32_t>((x + y) / 3);
              }),
         16, 6.0},
        {Make("noise", 300, 200,
              [](int x, int y) { return static_cast<uint32_t>(x * 7919 + y * 104729) * 2654435761u >> 8; }),
         48, 20.0},
    };
    for (const ManyCase& c : cases) {
        const Picture& p = c.picture;
        SCOPED_TRACE(p.name);
        IndexedPicture out;
        ASSERT_TRUE(QuantizeTo256(p.px.data(), p.width, p.height, &out));
        EXPECT_FALSE(out.exact);
        ASSERT_GE(out.palette.size(), 1u);
        ASSERT_LE(out.palette.size(), 256u);
        ASSERT_EQ(out.indices.size(), p.px.size());
        int worst = 0;
        double sum = 0;
        for (size_t i = 0; i < p.px.size(); ++i) {
            ASSERT_LT(out.indices[i], out.palette.size());
            const int e = ChannelError(out.palette[out.indices[i]], p.px[i]);
            worst = std::max(worst, e);
            sum += e;
        }
        EXPECT_LE(worst, c.maxError);
        EXPECT_LE(sum / static_cast<double>(p.px.size()), c.meanError);
    }
}

// 1,600 blocks of one colour each: without dithering every block keeps one index.
TEST(Quantize, FlatAreasStayFlat) {
    constexpr int kBlock = 6, kSide = 40;
    std::vector<uint32_t> px;
    for (int y = 0; y < kSide * kBlock; ++y)
        for (int x = 0; x < kSide * kBlock; ++x)
            px.push_back(Spread(static_cast<uint32_t>((y / kBlock) * kSide + x / kBlock) * 31));
    IndexedPicture out;
    ASSERT_TRUE(QuantizeTo256(px.data(), kSide * kBlock, kSide * kBlock, &out));
    ASSERT_FALSE(out.exact);
    ASSERT_EQ(out.indices.size(), px.size());
    size_t changes = 0;
    for (int y = 0; y < kSide * kBlock; ++y)
        for (int x = 0; x < kSide * kBlock; ++x) {
            const size_t i = static_cast<size_t>(y) * kSide * kBlock + x;
            const size_t first = static_cast<size_t>(y / kBlock * kBlock) * kSide * kBlock + x / kBlock * kBlock;
            changes += out.indices[i] != out.indices[first];
        }
    EXPECT_EQ(changes, 0u);
}

TEST(Quantize, EmptyPictureGetsOneEntry) {
    IndexedPicture out;
    out.indices.assign(3, 9);
    ASSERT_TRUE(QuantizeTo256(nullptr, 0, 0, &out));
    EXPECT_EQ(out.palette.size(), 1u);
    EXPECT_TRUE(out.indices.empty());
}

} // namespace
