// Geometry of the shape tools: the Shift constraints, the shape box, the arrowhead, the curve's points and
// the multi-click state of the polygon and the curve. Points are picture points unless named otherwise.
#pragma once
#include <vector>

#include "document/view_core.h"

// The line's end with Shift held: horizontal, vertical or 45 degrees (the shorter leg wins).
PicturePoint ConstrainLine(PicturePoint from, PicturePoint to, bool shift);

struct ShapeBox {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive, as the drawing primitives take them
};
// The box from the anchor to the pointer; with Shift a square of the larger side, grown away from the anchor.
ShapeBox ShapeBoxOf(PicturePoint anchor, PicturePoint pointer, bool shift);

// A line of the given width from (x1, y1) to (x2, y2), or with an arrowhead a shorter shaft and a triangle.
struct LineOrArrow {
    bool arrow = false;
    PicturePoint shaftEnd;     // where the shaft ends; the line's own end without an arrow
    PicturePoint head[3] = {}; // tip first, then the two base corners
    int width = 1;
};
LineOrArrow LineOrArrowGeometry(int x1, int y1, int x2, int y2, int width, bool arrow);

struct CubicPoints {
    double x[4] = {};
    double y[4] = {};
};
constexpr int kCurveSteps = 100;
// The curve's polyline: P0, then B(k / 100) for k = 1..100, each coordinate scaled and truncated toward zero.
std::vector<PicturePoint> CurvePolyline(const CubicPoints& c, double scale);

// Zoomed pen width of a preview.
int PreviewPenWidth(double zoom, int lineWidth);

struct PendingPolygon {
    bool inProgress = false;
    int lastButton = 1; // the button of the last drag, whose colours a double-click close uses
    std::vector<PicturePoint> points;
};
enum class PolygonStep { Added, Close };
// A button-up of the polygon tool: press at anchor, release at q.
PolygonStep PolygonRelease(PendingPolygon* p, PicturePoint anchor, PicturePoint q, int button);
// A double-click closes a polygon in progress with at least three vertices.
bool PolygonCanCloseByDoubleClick(const PendingPolygon& p);
// Undo of an unfinished polygon: the last vertex, or the whole polygon when it has one or two.
bool TakeBackPolygonVertex(PendingPolygon* p);

struct PendingCurve {
    int stage = 0; // 0 nothing yet, 1 the line is placed, 2 the first bend is placed
    int lastButton = 1;
    PicturePoint p[4];
};
// A button-up of the curve tool; true when the curve is complete and must be drawn with c->p.
bool CurveRelease(PendingCurve* c, PicturePoint anchor, PicturePoint q, int button);
// The control points the preview shows with the pointer at pointer (stage 1 or 2).
CubicPoints CurvePreviewPoints(const PendingCurve& c, PicturePoint pointer);
CubicPoints CurveFinalPoints(const PendingCurve& c);
