// Flips, quarter turns, inversion and the stretch on small pictures of distinct pixels, each against the grid
// written out by hand. A grid is a list of rows from the top, one letter a pixel.
#include "filters/transform_core.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tools/selection_core.h"

namespace {

using Grid = std::vector<std::string>;

// A picture stored bottom-up like the program's, each pixel 0xFF0000 | its letter.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    Picture(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, 0) {}
    explicit Picture(const Grid& g) : Picture(static_cast<int>(g[0].size()), static_cast<int>(g.size())) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                WritePixel(View(), x, y, 0xFF000000u | static_cast<uint8_t>(g[y][x]));
    }
    PixelView View() { return {px.data(), w, h}; }
    Grid Rows() {
        Grid g(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '?'));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                g[y][x] = static_cast<char>(ReadPixel(View(), x, y) & 0xFF);
        return g;
    }
};

Grid Rotated(const Grid& g) {
    Picture src(g);
    Picture dst(src.h, src.w);
    RotatePixels90(src.View(), dst.View());
    return dst.Rows();
}

struct Case {
    const char* name;
    Grid in, flipH, flipV, rot90;
};

const Case kCases[] = {
    {"3 x 2", {"abc", "def"}, {"cba", "fed"}, {"def", "abc"}, {"cf", "be", "ad"}},
    {"4 x 3",
     {"abcd", "efgh", "ijkl"},
     {"dcba", "hgfe", "lkji"},
     {"ijkl", "efgh", "abcd"},
     {"dhl", "cgk", "bfj", "aei"}},
    {"1 x 3", {"a", "b", "c"}, {"a", "b", "c"}, {"c", "b", "a"}, {"abc"}},
    {"3 x 1", {"abc"}, {"cba"}, {"abc"}, {"c", "b", "a"}},
    {"1 x 1", {"a"}, {"a"}, {"a"}, {"a"}},
};

TEST(Transform, FlipsAndTheQuarterTurnMoveEveryPixelWhereTheGridSays) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Picture h(c.in);
        FlipPixelsHorizontal(h.View());
        EXPECT_EQ(h.Rows(), c.flipH);
        Picture v(c.in);
        FlipPixelsVertical(v.View());
        EXPECT_EQ(v.Rows(), c.flipV);
        EXPECT_EQ(Rotated(c.in), c.rot90) << "the top-right pixel goes to the top-left";
        EXPECT_EQ(Rotated(Rotated(Rotated(Rotated(c.in)))), c.in) << "four quarter turns";
    }
}

TEST(Transform, ATurnIntoASurfaceOfTheWrongSizeWritesNothing) {
    Picture src(Grid{"abc", "def"});
    Picture same(3, 2);
    RotatePixels90(src.View(), same.View());
    EXPECT_EQ(same.Rows(), (Grid{std::string(3, '\0'), std::string(3, '\0')}));
}

TEST(Transform, InvertingTwiceRestoresTheColoursAndMakesEveryPixelOpaque) {
    const uint32_t in[6] = {0x00123456u, 0xFF000000u, 0x80FFFFFFu, 0xFFFF0000u, 0x7F00FF00u, 0xFF0000FFu};
    const uint32_t once[6] = {0xFFEDCBA9u, 0xFFFFFFFFu, 0xFF000000u, 0xFF00FFFFu, 0xFFFF00FFu, 0xFFFFFF00u};
    std::vector<uint32_t> px(in, in + 6);
    const PixelView v{px.data(), 3, 2};
    InvertPixels(v);
    EXPECT_EQ(px, std::vector<uint32_t>(once, once + 6));
    InvertPixels(v);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(px[i], in[i] | 0xFF000000u) << i;
}

// Pictures of distinct random pixels at sizes around the four-pixel rounds and the 64-pixel tiles: every path of
// the flips, the turn and the inversion against the definitions, pixel by pixel.
TEST(Transform, EveryPathMovesEveryPixelAsDefinedAtEverySize) {
    std::vector<PixelPath> paths = {PixelPath::Scalar};
    if (CpuHasSse2()) paths.push_back(PixelPath::Sse2);
    std::mt19937 rng(1211u);
    const int sides[] = {1, 2, 3, 4, 5, 7, 8, 9, 63, 64, 65, 130};
    for (int w : sides) {
        for (int h : sides) {
            Picture in(w, h);
            for (uint32_t& p : in.px)
                p = rng();
            for (const PixelPath path : paths) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + ", " + PixelPathName(path));
                Picture flipH = in, flipV = in, turned(h, w), inverted = in;
                FlipPixelsHorizontal(flipH.View(), path);
                FlipPixelsVertical(flipV.View(), path);
                RotatePixels90(in.View(), turned.View(), path);
                InvertPixels(inverted.View(), path);
                int wrong = 0;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const uint32_t p = ReadPixel(in.View(), x, y);
                        wrong += ReadPixel(flipH.View(), w - 1 - x, y) != p;
                        wrong += ReadPixel(flipV.View(), x, h - 1 - y) != p;
                        wrong += ReadPixel(turned.View(), y, w - 1 - x) != p;
                        wrong += ReadPixel(inverted.View(), x, y) != (0xFF000000u | (~p & 0xFFFFFFu));
                    }
                EXPECT_EQ(wrong, 0);
            }
        }
    }
}

// Masks are rows from the top; '#' is inside.
std::vector<uint8_t> Mask(const Grid& g) {
    std::vector<uint8_t> m;
    for (const std::string& row : g)
        for (char ch : row)
            m.push_back(ch == '#');
    return m;
}

TEST(Transform, TheMaskOfAnLTurnsOverAndAroundLikeItsPixels) {
    const Grid l = {"#..", "#..", "#..", "###"};
    std::vector<uint8_t> h = Mask(l);
    FlipMaskHorizontal(h.data(), 3, 4);
    EXPECT_EQ(h, Mask({"..#", "..#", "..#", "###"}));
    std::vector<uint8_t> v = Mask(l);
    FlipMaskVertical(v.data(), 3, 4);
    EXPECT_EQ(v, Mask({"###", "#..", "#..", "#.."}));
    std::vector<uint8_t> turned(12, 7);
    RotateMask90(Mask(l).data(), 3, 4, turned.data());
    EXPECT_EQ(turned, Mask({"...#", "...#", "####"}));
    // The mask and the pixels of one shape stay together.
    EXPECT_EQ(Rotated({"abc", "def", "ghi", "jkl"}), (Grid{"cfil", "behk", "adgj"}));
}

struct StretchCase {
    const char* name;
    Grid in;
    int w, h;
    Grid out;
};

const StretchCase kStretches[] = {
    {"200 %", {"ab", "cd"}, 4, 4, {"aabb", "aabb", "ccdd", "ccdd"}},
    {"300 %", {"ab"}, 6, 3, {"aaabbb", "aaabbb", "aaabbb"}},
    {"50 %", {"abcd", "efgh", "ijkl", "mnop"}, 2, 2, {"ac", "ik"}},
    {"3 -> 2", {"abc", "def", "ghi"}, 2, 2, {"ab", "de"}},
    {"wider, lower", {"abc", "def"}, 6, 1, {"aabbcc"}},
};

TEST(Transform, TheStretchTakesTheNearestSourcePixelByTheOneRule) {
    for (const StretchCase& c : kStretches) {
        SCOPED_TRACE(c.name);
        Picture src(c.in);
        Picture dst(c.w, c.h);
        ScalePixelsNearest(src.View(), dst.View());
        EXPECT_EQ(dst.Rows(), c.out);
        // The mask of the same shape is sampled the same way.
        Grid maskIn = c.in;
        for (std::string& row : maskIn)
            for (char& ch : row)
                ch = (ch - 'a') % 2 ? '#' : '.';
        Grid maskOut = c.out;
        for (std::string& row : maskOut)
            for (char& ch : row)
                ch = (ch - 'a') % 2 ? '#' : '.';
        std::vector<uint8_t> scaled(static_cast<size_t>(c.w) * c.h, 7);
        ScaleMaskNearest(Mask(maskIn).data(), src.w, src.h, scaled.data(), c.w, c.h);
        EXPECT_EQ(scaled, Mask(maskOut));
    }
}

} // namespace
