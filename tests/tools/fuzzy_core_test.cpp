#include "tools/fuzzy_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Picture {
    int w, h;
    std::vector<uint32_t> px;
    Picture(int width, int height, uint32_t fill)
        : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}
    PixelView View() { return {px.data(), w, h}; }
    void Set(int x, int y, uint32_t v) { WritePixel(View(), x, y, v); }
};

// The region as rows of '#' and '.' over the whole picture.
std::vector<std::string> Drawn(const Picture& p, const SimilarRegion& r) {
    std::vector<std::string> rows(static_cast<size_t>(p.h), std::string(static_cast<size_t>(p.w), '.'));
    const int bw = r.box.right - r.box.left;
    for (int y = r.box.top; y < r.box.bottom; ++y)
        for (int x = r.box.left; x < r.box.right; ++x)
            if (r.mask[static_cast<size_t>(y - r.box.top) * bw + (x - r.box.left)]) rows[y][x] = '#';
    return rows;
}

TEST(FuzzyRegion, APlainPictureIsSelectedWhole) {
    Picture p(7, 5, 0xFFFFFFFFu);
    SimilarRegion r;
    ASSERT_EQ(FindSimilarRegion(p.View(), 6, 4, 0, &r), RegionResult::Found);
    EXPECT_EQ(r.box.left, 0);
    EXPECT_EQ(r.box.right, 7);
    EXPECT_EQ(r.box.bottom, 5);
    EXPECT_EQ(r.mask, std::vector<uint8_t>(35, 1));
}

TEST(FuzzyRegion, ToleranceIsTheLargestChannelDifferenceInclusiveAndAlphaIgnored) {
    EXPECT_FALSE(SimilarColor(0xFF010000u, 0xFF000000u, 0));
    EXPECT_TRUE(SimilarColor(0x00000000u, 0xFF000000u, 0)) << "alpha ignored";
    EXPECT_TRUE(SimilarColor(0xFF0F0F0Fu, 0xFF000000u, 15));
    EXPECT_FALSE(SimilarColor(0xFF100000u, 0xFF000000u, 15));
    EXPECT_TRUE(SimilarColor(0xFF000000u, 0xFF404040u, 64));
    Picture p(2, 1, 0xFF000000u);
    p.Set(1, 0, 0xFF010000u);
    SimilarRegion r;
    ASSERT_EQ(FindSimilarRegion(p.View(), 0, 0, 0, &r), RegionResult::Found);
    EXPECT_EQ(r.box.right, 1);
    ASSERT_EQ(FindSimilarRegion(p.View(), 0, 0, 15, &r), RegionResult::Found);
    EXPECT_EQ(r.box.right, 2);
}

TEST(FuzzyRegion, TheSeedIsComparedNotTheNeighbour) {
    // A red gradient rising by 16 a column: each tolerance reaches exactly its columns from the seed at 0.
    Picture p(17, 2, 0);
    for (int x = 0; x < 17; ++x)
        for (int y = 0; y < 2; ++y)
            p.Set(x, y, 0xFF000000u | static_cast<uint32_t>(std::min(255, 16 * x)) << 16);
    struct Case {
        int tolerance, columns;
    } cases[] = {{0, 1}, {15, 1}, {32, 3}, {64, 5}};
    for (const Case& c : cases) {
        SimilarRegion r;
        ASSERT_EQ(FindSimilarRegion(p.View(), 0, 1, c.tolerance, &r), RegionResult::Found);
        EXPECT_EQ(r.box.right - r.box.left, c.columns) << c.tolerance;
        EXPECT_EQ(r.box.bottom - r.box.top, 2);
    }
}

TEST(FuzzyRegion, GrowsThroughSidesNeverCornersAndRoundHoles) {
    Picture p(6, 5, 0xFFFFFFFFu);
    const char* art[5] = {"##....", "##....", "..#...", "...###", "...#.#"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            if (art[y][x] == '#') p.Set(x, y, 0xFF000000u);
    SimilarRegion r;
    ASSERT_EQ(FindSimilarRegion(p.View(), 0, 0, 0, &r), RegionResult::Found);
    const std::vector<std::string> corner = {"##....", "##....", "......", "......", "......"};
    EXPECT_EQ(Drawn(p, r), corner) << "areas touching only at a corner are not joined";
    ASSERT_EQ(FindSimilarRegion(p.View(), 5, 0, 0, &r), RegionResult::Found);
    const std::vector<std::string> white = {"..####", "..####", "...###", "......", "......"};
    EXPECT_EQ(Drawn(p, r), white) << "the white below is cut off by the diagonal, and the lone one too";
    ASSERT_EQ(FindSimilarRegion(p.View(), 5, 3, 0, &r), RegionResult::Found);
    EXPECT_EQ(r.box.left, 3) << "the last column works";
}

TEST(FuzzyRegion, OutsideAndOutOfMemory) {
    Picture p(4, 4, 0xFFFFFFFFu);
    SimilarRegion r;
    EXPECT_EQ(FindSimilarRegion(p.View(), -1, 0, 0, &r), RegionResult::Outside);
    EXPECT_EQ(FindSimilarRegion(p.View(), 4, 0, 0, &r), RegionResult::Outside);
    EXPECT_EQ(FindSimilarRegion(p.View(), 0, 4, 0, &r), RegionResult::Outside);
    EXPECT_EQ(FindSimilarRegion({}, 0, 0, 0, &r), RegionResult::Outside);
    // A queue that cannot grow ends the search with nothing selected: under a white row, five separate runs wait.
    Picture comb(9, 3, 0xFFFFFFFFu);
    for (int x = 1; x < 9; x += 2)
        comb.Set(x, 1, 0xFF000000u);
    EXPECT_EQ(FindSimilarRegion(comb.View(), 0, 0, 0, &r, 2), RegionResult::NoMemory);
    EXPECT_TRUE(r.mask.empty());
    EXPECT_EQ(FindSimilarRegion(comb.View(), 0, 0, 0, &r, 8), RegionResult::Found);
    EXPECT_EQ(r.mask.size(), 27u);
}

// The region the slow way, pixel by pixel from a queue: rows of '#' and '.' like Drawn.
std::vector<std::string> ReferenceRegion(Picture& p, int x, int y, int tolerance) {
    std::vector<std::string> rows(static_cast<size_t>(p.h), std::string(static_cast<size_t>(p.w), '.'));
    const uint32_t seed = ReadPixel(p.View(), x, y);
    std::queue<std::pair<int, int>> todo;
    todo.push({x, y});
    rows[y][x] = '#';
    while (!todo.empty()) {
        const auto [cx, cy] = todo.front();
        todo.pop();
        const std::pair<int, int> sides[4] = {{cx - 1, cy}, {cx + 1, cy}, {cx, cy - 1}, {cx, cy + 1}};
        for (const auto& [nx, ny] : sides) {
            if (nx < 0 || ny < 0 || nx >= p.w || ny >= p.h || rows[ny][nx] == '#') continue;
            if (!SimilarColor(ReadPixel(p.View(), nx, ny), seed, tolerance)) continue;
            rows[ny][nx] = '#';
            todo.push({nx, ny});
        }
    }
    return rows;
}

// Random pictures whose channels lie just inside and just outside each tolerance of a grey, with any alpha:
// both paths of the row scans find the reference's region.
TEST(FuzzyRegion, BothPathsFindTheReferenceRegionOnRandomPictures) {
    std::vector<PixelPath> paths = {PixelPath::Scalar};
    if (CpuHasSse2()) paths.push_back(PixelPath::Sse2);
    const int offsets[] = {0, 1, -1, 15, -16, 16, 32, -33, 100, -128, 127};
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{1, 1}, {3, 5}, {4, 4}, {5, 1}, {17, 9}, {64, 40}, {130, 7}};
    std::mt19937 rng(20261211u);
    std::uniform_int_distribution<int> pickOffset(0, static_cast<int>(std::size(offsets)) - 1), pickAlpha(0, 255);
    for (const Size& size : sizes) {
        for (int tolerance : {0, 1, 15, 16, 32, 40, 255, 300, -5}) {
            Picture p(size.w, size.h, 0);
            for (uint32_t& px : p.px) {
                uint32_t v = static_cast<uint32_t>(pickAlpha(rng)) << 24;
                for (int shift : {16, 8, 0})
                    v |= static_cast<uint32_t>(std::clamp(128 + offsets[pickOffset(rng)], 0, 255)) << shift;
                px = v;
            }
            std::uniform_int_distribution<int> pickX(0, size.w - 1), pickY(0, size.h - 1);
            for (int round = 0; round < 3; ++round) {
                const int x = pickX(rng), y = pickY(rng);
                const std::vector<std::string> expected = ReferenceRegion(p, x, y, tolerance);
                for (const PixelPath path : paths) {
                    SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h) + " tolerance " +
                                 std::to_string(tolerance) + " at " + std::to_string(x) + "," + std::to_string(y) +
                                 ", " + PixelPathName(path));
                    SimilarRegion r;
                    ASSERT_EQ(FindSimilarRegion(p.View(), x, y, tolerance, &r, SIZE_MAX, path), RegionResult::Found);
                    EXPECT_EQ(Drawn(p, r), expected);
                }
            }
        }
    }
}

} // namespace
