#include "tools/shape_core.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

bool Same(PicturePoint a, PicturePoint b) { return a.x == b.x && a.y == b.y; }

TEST(ShapeGeometry, ShiftConstrainsLinesToHorizontalVerticalOrDiagonal) {
    struct Case {
        int dx, dy, ex, ey;
    } cases[] = {
        {10, 4, 10, 0}, {10, 6, 6, 6}, {2, 10, 0, 10},    {-10, 6, -6, 6}, {-8, -8, -8, -8},
        {7, -3, 7, 0},  {0, 0, 0, 0},  {-3, -20, 0, -20}, {5, -9, 5, -5},
    };
    const PicturePoint from{50, 40};
    for (const Case& c : cases) {
        const PicturePoint end = ConstrainLine(from, {from.x + c.dx, from.y + c.dy}, true);
        EXPECT_TRUE(Same(end, {from.x + c.ex, from.y + c.ey}))
            << c.dx << "," << c.dy << " gave " << end.x - from.x << "," << end.y - from.y;
        EXPECT_TRUE(Same(ConstrainLine(from, {from.x + c.dx, from.y + c.dy}, false), {from.x + c.dx, from.y + c.dy}));
    }
}

TEST(ShapeGeometry, BoxRunsFromTheSmallerToTheLargerAndShiftMakesASquareAwayFromTheAnchor) {
    struct Case {
        PicturePoint anchor, pointer;
        bool shift;
        ShapeBox box;
    } cases[] = {
        {{10, 10}, {20, 15}, false, {10, 10, 20, 15}}, {{20, 15}, {10, 10}, false, {10, 10, 20, 15}},
        {{10, 10}, {20, 15}, true, {10, 10, 20, 20}},  {{10, 10}, {0, 15}, true, {0, 10, 10, 20}},
        {{10, 10}, {13, 2}, true, {10, 2, 18, 10}},    {{10, 10}, {10, 10}, true, {10, 10, 10, 10}},
    };
    for (const Case& c : cases) {
        const ShapeBox b = ShapeBoxOf(c.anchor, c.pointer, c.shift);
        EXPECT_EQ(b.left, c.box.left);
        EXPECT_EQ(b.top, c.box.top);
        EXPECT_EQ(b.right, c.box.right);
        EXPECT_EQ(b.bottom, c.box.bottom);
    }
}

TEST(ShapeGeometry, ArrowheadSizesFollowTheWidthAndShrinkOnShortLines) {
    // Width 10 on a long horizontal line: head 46 long, half base 23, the shaft ends 30 before the tip. The
    // half-pixel offsets round every corner in the line's own direction, so the base is 23 up and 22 down.
    LineOrArrow g = LineOrArrowGeometry(0, 0, 200, 0, 10, true);
    ASSERT_TRUE(g.arrow);
    EXPECT_TRUE(Same(g.shaftEnd, {170, 0}));
    EXPECT_TRUE(Same(g.head[0], {200, 0}));
    EXPECT_TRUE(Same(g.head[1], {154, -23}));
    EXPECT_TRUE(Same(g.head[2], {154, 22}));

    // Length 5, width 1: 0.55 * 5 truncates to 2, so the head is the smallest one, 4 long and 3 wide.
    g = LineOrArrowGeometry(0, 0, 5, 0, 1, true);
    ASSERT_TRUE(g.arrow);
    EXPECT_TRUE(Same(g.head[1], {1, -3}));
    EXPECT_TRUE(Same(g.head[2], {1, 2}));

    // Length 40, width 5: 26 > 22, so the head is 22 long and floor(44 / 3) = 14 wide.
    g = LineOrArrowGeometry(0, 0, 0, 40, 5, true);
    EXPECT_TRUE(Same(g.head[1], {13, 18}));
    EXPECT_TRUE(Same(g.head[2], {-14, 18}));
    EXPECT_TRUE(Same(g.shaftEnd, {0, 26}));
}

TEST(ShapeGeometry, PlainLinesAndDegenerateArrowsAreJustLines) {
    EXPECT_FALSE(LineOrArrowGeometry(0, 0, 50, 50, 3, false).arrow);
    EXPECT_FALSE(LineOrArrowGeometry(7, 7, 7, 7, 3, true).arrow);
    EXPECT_EQ(LineOrArrowGeometry(0, 0, 9, 9, 0, false).width, 1);
}

TEST(ShapeGeometry, CurveRunsFromStartToEndThroughTruncatedPoints) {
    const CubicPoints c{{0, 0, 100, 100}, {0, 90, 90, 0}};
    const auto pts = CurvePolyline(c, 1.0);
    ASSERT_EQ(pts.size(), static_cast<size_t>(kCurveSteps + 1));
    EXPECT_TRUE(Same(pts.front(), {0, 0}));
    EXPECT_TRUE(Same(pts.back(), {100, 0}));
    EXPECT_TRUE(Same(pts[50], {50, 67})); // B(0.5) = (50, 67.5)
    // At zoom 2 the same points are computed in picture units, doubled, then truncated.
    EXPECT_TRUE(Same(CurvePolyline(c, 2.0)[50], {100, 135}));
}

TEST(ShapeGeometry, CurveWithControlPointsOnItsEndsIsAStraightLine) {
    PendingCurve c;
    EXPECT_FALSE(CurveRelease(&c, {10, 20}, {110, 20}, 1));
    EXPECT_EQ(c.stage, 1);
    EXPECT_FALSE(CurveRelease(&c, {10, 20}, {10, 20}, 1));
    EXPECT_EQ(c.stage, 2);
    EXPECT_TRUE(CurveRelease(&c, {110, 20}, {110, 20}, 2));
    EXPECT_EQ(c.stage, 0);
    EXPECT_EQ(c.lastButton, 2);
    for (const PicturePoint& p : CurvePolyline(CurveFinalPoints(c), 1.0))
        EXPECT_EQ(p.y, 20);
}

TEST(ShapeGeometry, CurvePreviewBendsWithThePointerAtEachStage) {
    PendingCurve c;
    (void)CurveRelease(&c, {0, 0}, {100, 0}, 1);
    CubicPoints p = CurvePreviewPoints(c, {50, 40});
    EXPECT_EQ(p.x[1], 50);
    EXPECT_EQ(p.y[2], 40);
    (void)CurveRelease(&c, {0, 0}, {20, 30}, 1);
    p = CurvePreviewPoints(c, {70, -30});
    EXPECT_EQ(p.x[1], 20);
    EXPECT_EQ(p.y[1], 30);
    EXPECT_EQ(p.x[2], 70);
    EXPECT_EQ(p.y[2], -30);
}

TEST(ShapeGeometry, PolygonGrowsAtReleasesAndClosesNearTheStartOrOnAClickInPlace) {
    PendingPolygon p;
    EXPECT_EQ(PolygonRelease(&p, {10, 10}, {60, 10}, 1), PolygonStep::Added); // first drag: first edge
    EXPECT_EQ(p.points.size(), 2u);
    // With two vertices a click in place still adds its point.
    EXPECT_EQ(PolygonRelease(&p, {60, 60}, {60, 60}, 1), PolygonStep::Added);
    EXPECT_EQ(PolygonRelease(&p, {30, 80}, {20, 70}, 2), PolygonStep::Added);
    EXPECT_EQ(p.points.size(), 4u);
    // Now a click that does not move closes without adding.
    EXPECT_EQ(PolygonRelease(&p, {40, 40}, {40, 40}, 1), PolygonStep::Close);
    EXPECT_EQ(p.points.size(), 4u);
    // A release within 6 pixels of the first vertex closes too; 7 away does not.
    PendingPolygon q;
    (void)PolygonRelease(&q, {0, 0}, {50, 0}, 1);
    EXPECT_EQ(PolygonRelease(&q, {50, 50}, {6, 1}, 1), PolygonStep::Added); // 37 > 36
    EXPECT_EQ(PolygonRelease(&q, {50, 50}, {6, 0}, 1), PolygonStep::Close);
}

TEST(ShapeGeometry, UndoTakesBackVerticesThenTheWholePolygon) {
    PendingPolygon p;
    EXPECT_FALSE(TakeBackPolygonVertex(&p));
    (void)PolygonRelease(&p, {0, 0}, {10, 0}, 1);
    (void)PolygonRelease(&p, {10, 10}, {10, 12}, 1);
    EXPECT_TRUE(PolygonCanCloseByDoubleClick(p));
    EXPECT_TRUE(TakeBackPolygonVertex(&p));
    EXPECT_EQ(p.points.size(), 2u);
    EXPECT_FALSE(PolygonCanCloseByDoubleClick(p));
    EXPECT_TRUE(TakeBackPolygonVertex(&p));
    EXPECT_FALSE(p.inProgress);
    EXPECT_TRUE(p.points.empty());
    EXPECT_FALSE(TakeBackPolygonVertex(&p));
}

TEST(ShapeGeometry, PreviewPenWidthFollowsTheZoomButNeverVanishes) {
    EXPECT_EQ(PreviewPenWidth(1, 5), 5);
    EXPECT_EQ(PreviewPenWidth(4, 5), 20);
    EXPECT_EQ(PreviewPenWidth(0.125, 5), 1);
    EXPECT_EQ(PreviewPenWidth(0.5, 5), 3);
    EXPECT_EQ(PreviewPenWidth(16, 500), 8000);
}

} // namespace
