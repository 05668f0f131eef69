#include "tools/pencil_core.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct LineCase {
    int x0, y0, x1, y1;
};

TEST(PencilLine, EveryStepTouchesTheLastPixelAndBothEndsAreDrawn) {
    const LineCase cases[] = {{0, 0, 0, 0},  {0, 0, 7, 0},   {0, 0, 0, -6}, {0, 0, 5, 5},    {3, 9, -4, 1},
                              {0, 0, 13, 4}, {0, 0, -2, 11}, {5, 5, 4, 4},  {-3, 2, 40, -17}};
    for (const LineCase& c : cases) {
        std::vector<std::pair<int, int>> pts;
        ForEachLinePixel(c.x0, c.y0, c.x1, c.y1, [&](int x, int y) { pts.emplace_back(x, y); });
        ASSERT_FALSE(pts.empty());
        EXPECT_EQ(pts.front(), std::make_pair(c.x0, c.y0));
        EXPECT_EQ(pts.back(), std::make_pair(c.x1, c.y1));
        const size_t expectedCount = static_cast<size_t>(std::max(std::abs(c.x1 - c.x0), std::abs(c.y1 - c.y0))) + 1;
        EXPECT_EQ(pts.size(), expectedCount) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
        for (size_t i = 1; i < pts.size(); ++i) {
            EXPECT_LE(std::abs(pts[i].first - pts[i - 1].first), 1);
            EXPECT_LE(std::abs(pts[i].second - pts[i - 1].second), 1);
        }
    }
}

TEST(PencilLine, ShallowLineMatchesBresenham) {
    std::vector<std::pair<int, int>> pts;
    ForEachLinePixel(0, 0, 5, 2, [&](int x, int y) { pts.emplace_back(x, y); });
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
    EXPECT_EQ(pts, expected);
}

TEST(PencilLine, DrawingIsClippedToThePicture) {
    std::vector<uint32_t> px(4 * 3, 0);
    const PixelView v{px.data(), 4, 3};
    DrawPixelLine(v, -5, 1, 10, 1, 0xFFFF0000u);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(ReadPixel(v, x, 1), 0xFFFF0000u);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(ReadPixel(v, x, 0), 0u);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(ReadPixel(v, x, 2), 0u);
}

} // namespace
