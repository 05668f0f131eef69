#include "tools/canvas_core.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

TEST(CanvasGrips, HitAreasRunFromSixBeforeToSevenAfterTheZoomedEdge) {
    struct Case {
        double zoom;
        int cx, cy;
        CanvasGrip expected;
    } cases[] = {
        {1.0, 640, 480, CanvasGrip::Corner}, {1.0, 634, 474, CanvasGrip::Corner},  {1.0, 647, 487, CanvasGrip::Corner},
        {1.0, 648, 480, CanvasGrip::None},   {1.0, 633, 480, CanvasGrip::None},    {1.0, 640, 240, CanvasGrip::Right},
        {1.0, 640, 234, CanvasGrip::Right},  {1.0, 640, 248, CanvasGrip::None},    {1.0, 320, 480, CanvasGrip::Bottom},
        {1.0, 100, 100, CanvasGrip::None},   {2.0, 1280, 960, CanvasGrip::Corner}, {2.0, 1280, 480, CanvasGrip::Right},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HitCanvasGrip(c.zoom, 640, 480, c.cx, c.cy), c.expected) << c.zoom << " " << c.cx << "," << c.cy;
}

TEST(CanvasGrips, DragSizeNeverDropsBelowOneOrPassesTheLimit) {
    struct Case {
        CanvasGrip grip;
        double zoom;
        int dx, dy;
        int w, h;
    } cases[] = {
        {CanvasGrip::Right, 1.0, 60, 99, 700, 480},
        {CanvasGrip::Bottom, 1.0, 99, -80, 640, 400},
        {CanvasGrip::Corner, 2.0, 21, 9, 650, 484},
        {CanvasGrip::Corner, 1.0, -2000, -2000, 1, 1},
        {CanvasGrip::Right, 0.5, -3, 0, 634, 480}, // truncated toward zero: -6
        {CanvasGrip::Right, 10.0 / 480, 30000, 0, 32767, 480},
        {CanvasGrip::Corner, 10.0 / 480, 30000, 30000, 3051, 32767},
    };
    for (const Case& c : cases) {
        const GripSize s = GripDragSize(c.grip, 640, 480, c.zoom, c.dx, c.dy);
        EXPECT_EQ(s.width, c.w) << static_cast<int>(c.grip) << " " << c.dx << "," << c.dy;
        EXPECT_EQ(s.height, c.h) << static_cast<int>(c.grip) << " " << c.dx << "," << c.dy;
    }
}

TEST(CanvasWheel, StepIsSixtyPerNotchAndAtLeastSixty) {
    const std::pair<int, int> cases[] = {{120, 60},   {240, 120},   {30, 60},   {-30, -60}, {0, -60},
                                         {-120, -60}, {-360, -180}, {250, 120}, {119, 60}};
    for (auto [delta, step] : cases)
        EXPECT_EQ(WheelScrollStep(delta), step) << delta;
}

TEST(TripleRightClick, ThreeClicksWithinTwoSecondsOfTheFirstFire) {
    struct Case {
        const char* name;
        std::vector<uint32_t> ticks;
        std::vector<bool> fires;
    } cases[] = {
        {"quick", {1000, 1200, 1400}, {false, false, true}},
        {"exactly 2000 ms", {1000, 2000, 3000}, {false, false, true}},
        {"third too late", {1000, 2000, 3001}, {false, false, false}},
        {"late click starts a new series", {1000, 3500, 3600, 3700}, {false, false, false, true}},
        {"a fourth click starts over", {0, 10, 20, 30, 40, 50}, {false, false, true, false, false, true}},
        {"tick count wraps", {0xFFFFFF00u, 0xFFFFFFF0u, 0x00000100u}, {false, false, true}},
    };
    for (const Case& c : cases) {
        RightClickSeries s;
        for (size_t i = 0; i < c.ticks.size(); ++i)
            EXPECT_EQ(CountRightClick(&s, c.ticks[i]), c.fires[i]) << c.name << " " << i;
    }
    RightClickSeries s;
    CountRightClick(&s, 0);
    CountRightClick(&s, 10);
    ResetRightClicks(&s); // a left click in between restarts the count
    EXPECT_FALSE(CountRightClick(&s, 20));
}

TEST(MarchingAnts, DashesOfFourAnchoredToContentCoordinates) {
    std::map<std::pair<int, int>, bool> set;
    ForEachAntsPixel(0, 0, 10, 3, 0, {-100, -100, 100, 100}, [&](int x, int y, bool white) { set[{x, y}] = white; });
    EXPECT_EQ(set.size(), 10u + 10u + 2u); // top and bottom rows plus the one middle row's two ends
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(set.at({x, 0}), (x & 4) != 0) << x;
    EXPECT_EQ(set.at({0, 1}), false);
    std::map<std::pair<int, int>, bool> shifted;
    ForEachAntsPixel(0, 0, 10, 3, 1, {-100, -100, 100, 100}, [&](int x, int y, bool w) { shifted[{x, y}] = w; });
    EXPECT_EQ(shifted.at({3, 0}), true); // (3 + 1) & 4
    int count = 0;
    ForEachAntsPixel(0, 0, 10, 10, 0, {0, 0, 5, 1}, [&](int, int y, bool) {
        EXPECT_EQ(y, 0);
        ++count;
    });
    EXPECT_EQ(count, 5);
    count = 0;
    ForEachAntsPixel(5, 5, 5, 9, 0, {-100, -100, 100, 100}, [&](int, int, bool) { ++count; });
    EXPECT_EQ(count, 0);
}

} // namespace
