#include "document/view_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ViewMaths, PictureToContentTruncatesWithEpsilonAndClamps) {
    EXPECT_EQ(PictureToContent(1.0, 5), 5);
    EXPECT_EQ(PictureToContent(0.1, 30), 3); // 2.9999999... without the epsilon
    EXPECT_EQ(PictureToContent(0.5, -3), -1);
    EXPECT_EQ(PictureToContent(16.0, 32767), 524272);
    EXPECT_EQ(PictureToContent(16.0, 1LL << 40), kMaxContent);
    EXPECT_EQ(PictureToContent(16.0, -(1LL << 40)), -kMaxContent);
    EXPECT_EQ(ZoomedExtent(2.0, 0), 0);
}

TEST(ViewMaths, ClientToPictureFloorsIncludingNegativePoints) {
    EXPECT_EQ(ClientToPictureAt(2.0, 0, 0, 5, 7).x, 2);
    EXPECT_EQ(ClientToPictureAt(2.0, 0, 0, 5, 7).y, 3);
    EXPECT_EQ(ClientToPictureAt(2.0, 0, 0, -1, 0).x, -1);
    EXPECT_EQ(ClientToPictureAt(0.5, 10, 20, 1, 1).x, 22);
    EXPECT_EQ(ClientToPictureAt(0.5, 10, 20, 1, 1).y, 42);
}

TEST(ViewMaths, ScrollStaysWithinTheZoomedPicture) {
    int sx = -5, sy = 9999;
    LimitScroll(1.0, 1000, 800, 600, 500, &sx, &sy);
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 300);
    sx = 50, sy = 50;
    LimitScroll(1.0, 100, 100, 600, 500, &sx, &sy); // smaller than the window
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
}

struct ZoomWalk {
    const char* name;
    int width, height;
    double start;
    bool zoomIn;
    std::vector<double> expected;
};

TEST(ViewMaths, ZoomStepsFollowTheLevels) {
    const double m480 = 10.0 / 480;
    const ZoomWalk walks[] = {
        {"640x480 out", 640, 480, 1.0, false, {0.5, 0.25, 0.125, 0.0625, 0.03125, m480, m480}},
        {"640x480 in", 640, 480, m480, true, {2 * m480, 4 * m480, 0.125, 0.25, 0.5, 1, 2, 4, 6, 8, 16, 16}},
        {"10x10 out", 10, 10, 2.0, false, {1, 1}},
        {"1x1 in", 1, 1, 10.0, true, {16, 16}},
        {"1x1 out", 1, 1, 16.0, false, {10, 10}},
    };
    for (const ZoomWalk& w : walks) {
        double z = w.start;
        for (size_t i = 0; i < w.expected.size(); ++i) {
            z = w.zoomIn ? NextZoomIn(z) : NextZoomOut(z, w.width, w.height);
            z = LimitZoom(z, w.width, w.height);
            EXPECT_NEAR(z, w.expected[i], 1e-7) << w.name << " step " << i;
        }
    }
}

TEST(ViewMaths, MagnifierCyclesThroughTheLevelsFromTheNearestOne) {
    double z = 1;
    const double cycle[] = {2, 4, 6, 8, 16, 1, 2};
    for (double expected : cycle) {
        z = MagnifierZoom(z, 1);
        EXPECT_DOUBLE_EQ(z, expected);
    }
    // 3 is as near to 2 as to 4: the tie goes to 2, so the next zoom is 4.
    EXPECT_EQ(NearestZoomLevel(3), 4);
    EXPECT_DOUBLE_EQ(MagnifierZoom(3, 1), 4);
    EXPECT_DOUBLE_EQ(MagnifierZoom(0.02, 1), 0.25);
    EXPECT_DOUBLE_EQ(MagnifierZoom(12, 1), 16); // 12 ties between 8 and 16: from 8 up
    EXPECT_DOUBLE_EQ(MagnifierZoom(16, 1), 1);
    EXPECT_DOUBLE_EQ(MagnifierZoom(6, 2), 1);
}

TEST(ViewMaths, ZoomLimitsDependOnTheShorterSide) {
    EXPECT_DOUBLE_EQ(LimitZoom(0.01, 640, 480), 10.0 / 480);
    EXPECT_DOUBLE_EQ(LimitZoom(0.5, 10, 10), 1.0);
    EXPECT_DOUBLE_EQ(LimitZoom(1.0, 1, 1), 10.0);
    EXPECT_DOUBLE_EQ(LimitZoom(40.0, 640, 480), 16.0);
    EXPECT_DOUBLE_EQ(LimitZoom(0.2, 0, 0), 1.0); // no pixels: 1..16
}

TEST(ViewMaths, AnchoredZoomKeepsThePicturePointUnderThePointer) {
    // Zoom 1 -> 2 about client (100, 50), offsets 0: the point (100, 50) must stay at client (100, 50).
    const PicturePoint p = ClientToPictureAt(1.0, 0, 0, 100, 50);
    const int sx = PictureToContent(2.0, p.x) - 100, sy = PictureToContent(2.0, p.y) - 50;
    EXPECT_EQ(sx, 100);
    EXPECT_EQ(sy, 50);
    const PicturePoint after = ClientToPictureAt(2.0, sx, sy, 100, 50);
    EXPECT_EQ(after.x, p.x);
    EXPECT_EQ(after.y, p.y);
}

} // namespace
