#include "tools/path_core.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

PathAnchor Corner(int x, int y) { return {x, y, x, y, x, y, false}; }
PathAnchor Smooth(int x, int y, int outX, int outY) { return {x, y, 2 * x - outX, 2 * y - outY, outX, outY, true}; }

bool Same(PicturePoint a, PicturePoint b) { return a.x == b.x && a.y == b.y; }

TEST(PathSampling, SampledPointsAddAHalfAndTruncateTowardZero) {
    struct Case {
        PicturePoint p[4];
        double t;
        PicturePoint expected;
    } cases[] = {
        // B(1/2) = (P0 + 3 P1 + 3 P2 + P3) / 8: -21/8 = -2.625 becomes -2 (a floor would give -3), 21/8 gives 3.
        {{{0, 0}, {0, 0}, {-7, 7}, {0, 0}}, 0.5, {-2, 3}},
        // -60/8 = -7.5 plus 0.5 is -7; 7.5 rounds up to 8.
        {{{0, 0}, {0, 0}, {-20, 20}, {0, 0}}, 0.5, {-7, 8}},
        // A negative whole coordinate moves one toward zero: -3 + 0.5 truncates to -2.
        {{{-3, -3}, {-3, -3}, {-3, -3}, {-3, -3}}, 0.25, {-2, -2}},
        {{{0, 0}, {30, 0}, {30, 30}, {0, 30}}, 0, {0, 0}},
        {{{0, 0}, {30, 0}, {30, 30}, {0, 30}}, 1, {0, 30}},
    };
    for (const Case& c : cases) {
        const PicturePoint got = CubicPointRounded(c.p, c.t);
        EXPECT_TRUE(Same(got, c.expected))
            << got.x << "," << got.y << " expected " << c.expected.x << "," << c.expected.y;
    }
}

TEST(PathSampling, ASegmentIsStraightOnlyWhenNeitherEndIsCurved) {
    const PathSegment straight = SegmentBetween(Corner(1, 2), Corner(9, 8));
    EXPECT_TRUE(straight.straight);
    const PathSegment curved = SegmentBetween(Smooth(0, 0, 10, -5), Corner(40, 0));
    EXPECT_FALSE(curved.straight);
    EXPECT_TRUE(Same(curved.p[1], {10, -5})) << "the outgoing handle of the start";
    EXPECT_TRUE(Same(curved.p[2], {40, 0})) << "a corner end uses its position";
    const PathSegment into = SegmentBetween(Corner(0, 0), Smooth(40, 0, 50, 10));
    EXPECT_TRUE(Same(into.p[1], {0, 0}));
    EXPECT_TRUE(Same(into.p[2], {30, -10})) << "the incoming handle, mirrored";
    const std::vector<PicturePoint> line = CubicPolyline(curved.p, 24);
    ASSERT_EQ(line.size(), 25u);
    EXPECT_TRUE(Same(line.front(), {0, 0}));
    EXPECT_TRUE(Same(line.back(), {40, 0}));
}

TEST(PathFlatten, StraightSegmentsGiveTheirStartsAndCurvedOnesSixteenPointsWithoutTheirEnd) {
    const std::vector<PicturePoint> straight = FlattenPath({Corner(0, 0), Corner(30, 0), Corner(30, 20)});
    ASSERT_EQ(straight.size(), 3u);
    EXPECT_TRUE(Same(straight[0], {0, 0}));
    EXPECT_TRUE(Same(straight[2], {30, 20})) << "the closing segment back to the first adds only its start";

    const std::vector<PathAnchor> curved = {Corner(0, 0), Smooth(32, 0, 32, 16), Corner(0, 32)};
    const std::vector<PicturePoint> flat = FlattenPath(curved);
    // Segment 0 -> 1 and 1 -> 2 are curved (16 points each), the closing 2 -> 0 straight (1 point).
    ASSERT_EQ(flat.size(), 33u);
    EXPECT_TRUE(Same(flat[0], {0, 0})) << "start kept";
    EXPECT_TRUE(Same(flat[16], {32, 0})) << "the second segment starts at the anchor; the first does not end on it";
    const PathSegment s = SegmentBetween(curved[0], curved[1]);
    for (int j = 0; j < 16; ++j)
        EXPECT_TRUE(Same(flat[static_cast<size_t>(j)], CubicPointRounded(s.p, j / 16.0))) << j;
    EXPECT_TRUE(Same(flat[32], {0, 32}));
    EXPECT_TRUE(FlattenPath({}).empty());
}

TEST(PathClosing, APressClosesOnlyBelowFiftyWithThreeAnchors) {
    const std::vector<PathAnchor> three = {Corner(10, 10), Corner(60, 10), Corner(60, 60)};
    struct Case {
        int x, y;
        bool closes;
    } cases[] = {{10, 10, true},           {17, 10, true} /* 49 */, {17, 11, false} /* 50 */,
                 {15, 15, false} /* 50 */, {3, 10, true},           {10, 3, true}};
    for (const Case& c : cases)
        EXPECT_EQ(PressClosesPath(three, c.x, c.y), c.closes) << c.x << "," << c.y;
    EXPECT_FALSE(PressClosesPath({Corner(10, 10), Corner(60, 10)}, 10, 10)) << "two anchors never close";
}

TEST(PathClosing, TheStrokeDrawsTheClosingSegmentForALastAnchorNearTheFirst) {
    struct Case {
        std::vector<PathAnchor> anchors;
        bool closed;
        int segments;
    } cases[] = {
        {{Corner(0, 0), Corner(40, 30), Corner(5, 0)}, false, 3}, // 5 px from the first: a triangle
        {{Corner(0, 0), Corner(40, 30), Corner(7, 0)}, false, 3}, // 49
        {{Corner(0, 0), Corner(40, 30), Corner(7, 1)}, false, 2}, // 50
        {{Corner(0, 0), Corner(0, 0)}, false, 1},                 // two anchors never close
        {{Corner(0, 0), Corner(40, 30), Corner(90, 0)}, true, 3},
        {{Corner(0, 0)}, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StrokeSegmentCount(c.anchors, c.closed), c.segments) << c.anchors.size();
}

TEST(PathBuilding, ClicksAddCornersAndDragsPullMirroredHandles) {
    BezierPath p;
    EXPECT_EQ(PathPress(&p, 10, 10), PathPressResult::Added);
    EXPECT_TRUE(p.hasAnchors);
    EXPECT_TRUE(p.draggingAnchor);
    PathRelease(&p);
    EXPECT_FALSE(p.anchors.back().curved) << "a press and release without a move is a corner";

    PathPress(&p, 100, 50);
    PathDrag(&p, 110, 40);
    PathDrag(&p, 100, 50); // back to the start: the handles of the last position passed stay
    PathRelease(&p);
    const PathAnchor& a = p.anchors.back();
    EXPECT_TRUE(a.curved);
    EXPECT_EQ(a.outX, 110);
    EXPECT_EQ(a.outY, 40);
    EXPECT_EQ(a.inX, 90);
    EXPECT_EQ(a.inY, 60);
    PathDrag(&p, 200, 200);
    EXPECT_EQ(p.anchors.back().outX, 110) << "after the release the handles stay";

    PathPress(&p, 100, 100);
    PathRelease(&p);
    EXPECT_EQ(PathPress(&p, 15, 14), PathPressResult::Closed);
    EXPECT_TRUE(p.closed);
    EXPECT_FALSE(p.draggingAnchor);
    EXPECT_EQ(p.anchors.size(), 3u);
    EXPECT_EQ(PathPress(&p, 300, 300), PathPressResult::Added) << "after closing a press starts a new path";
    EXPECT_FALSE(p.closed);
    ASSERT_EQ(p.anchors.size(), 1u);
    EXPECT_EQ(p.anchors[0].x, 300);
}

TEST(PathBuilding, FinishingDropsADoubleClicksExtraAnchorAndRemovingEmptiesThePath) {
    BezierPath p;
    PathPress(&p, 0, 0);
    EXPECT_FALSE(PathFinish(&p)) << "one anchor: nothing to finish";
    PathPress(&p, 50, 0);
    PathPress(&p, 55, 4); // the double-click's first press, 41 from the one before
    ASSERT_TRUE(PathFinish(&p));
    EXPECT_EQ(p.anchors.size(), 2u);
    EXPECT_FALSE(p.draggingAnchor);
    EXPECT_FALSE(p.closed);
    PathPress(&p, 57, 5); // 49 + 25 from the one before: kept
    ASSERT_TRUE(PathFinish(&p));
    EXPECT_EQ(p.anchors.size(), 3u);
    BezierPath two;
    PathPress(&two, 0, 0);
    PathPress(&two, 3, 3);
    ASSERT_TRUE(PathFinish(&two));
    EXPECT_EQ(two.anchors.size(), 2u) << "with two anchors nothing is dropped";
    p.closed = true;
    ASSERT_TRUE(RemoveLastAnchor(&p));
    EXPECT_TRUE(p.closed) << "removing leaves the closed flag";
    while (RemoveLastAnchor(&p)) {
    }
    EXPECT_FALSE(p.hasAnchors);
    EXPECT_TRUE(p.anchors.empty());
}

TEST(PathArea, TheEnclosedAreaIsClippedToThePictureAndNeedsThreeVertices) {
    SelectionRect box;
    std::vector<uint8_t> mask;
    EXPECT_FALSE(PathEnclosedArea({Corner(0, 0), Corner(50, 50)}, 100, 100, &box, &mask));
    ASSERT_TRUE(PathEnclosedArea({Corner(-20, 10), Corner(60, 10), Corner(60, 150)}, 100, 100, &box, &mask));
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.right, 61);
    EXPECT_EQ(box.bottom, 100) << "the far edge becomes the last row";
    ASSERT_EQ(mask.size(), 61u * 90u);
    EXPECT_EQ(mask[0], 1) << "(0, 10) on the top edge, a left edge counting";
    EXPECT_EQ(mask[60], 0) << "(60, 10) on the right edge does not";
    EXPECT_EQ(mask[static_cast<size_t>(80 * 61 + 59)], 1) << "(59, 90)";
    EXPECT_EQ(mask[static_cast<size_t>(80 * 61 + 5)], 0) << "(5, 90) lies left of the long edge";
    EXPECT_FALSE(PathEnclosedArea({Corner(-50, -50), Corner(-10, -50), Corner(-10, -10)}, 100, 100, &box, &mask));
}

} // namespace
