#include "tools/shape_tools.h"

#include <algorithm>
#include <vector>

#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "tools/path_tool.h"
#include "tools/shape_core.h"

// UI thread only. Both live across drags until the shape is finished or cancelled.
static PendingPolygon g_polygon;
static PendingCurve g_curve;
// Counts the times unfinished shapes were forgotten, so that a release whose shape was forgotten while its
// button was held (Esc, a tool key) adds nothing and starts nothing again.
static unsigned g_forgetCount = 0;
static unsigned g_forgetCountAtPress = 0;

static int ButtonNumber(MouseButton b) { return b == MouseButton::Right ? 2 : 1; }
static MouseButton ButtonOf(int n) { return n == 2 ? MouseButton::Right : MouseButton::Left; }

// A pen or brush of the colour, or the null stock object when the style has none; deletes what it made.
class ShapePaint {
public:
    ShapePaint(HDC dc, int penWidth, const COLORREF* pen, const COLORREF* brush)
        : pen_(pen ? CreatePen(PS_SOLID, penWidth, *pen) : nullptr), brush_(brush ? CreateSolidBrush(*brush) : nullptr),
          selPen_(dc, pen_.get() ? static_cast<HGDIOBJ>(pen_.get()) : GetStockObject(NULL_PEN)),
          selBrush_(dc, brush_.get() ? static_cast<HGDIOBJ>(brush_.get()) : GetStockObject(NULL_BRUSH)) {}

private:
    ScopedGdiObj<HPEN> pen_;
    ScopedGdiObj<HBRUSH> brush_;
    ScopedSelectObject selPen_;
    ScopedSelectObject selBrush_;
};

void DrawLineOrArrow(HDC surface, int x1, int y1, int x2, int y2, int width, COLORREF colour, bool arrow) {
    const LineOrArrow g = LineOrArrowGeometry(x1, y1, x2, y2, width, arrow);
    {
        ShapePaint paint(surface, g.width, &colour, nullptr);
        MoveToEx(surface, x1, y1, nullptr);
        LineTo(surface, g.shaftEnd.x, g.shaftEnd.y);
    }
    if (!g.arrow) return;
    ShapePaint paint(surface, 1, &colour, &colour);
    const POINT head[3] = {{g.head[0].x, g.head[0].y}, {g.head[1].x, g.head[1].y}, {g.head[2].x, g.head[2].y}};
    Polygon(surface, head, 3);
}

// Outline and fill of a box shape or a closed polygon by fill style: 0 outline, 1 outline and fill, 2 fill.
struct FillColors {
    const COLORREF* pen;
    const COLORREF* brush;
};
static FillColors ColorsForStyle(ToolId tool, int fillStyle, const COLORREF& drawing, const COLORREF& other) {
    switch (fillStyle) {
    case 1: return {&drawing, &other};
    // A fill-only polygon takes the other colour, unlike the box shapes.
    case 2: return {nullptr, tool == ToolId::Polygon ? &other : &drawing};
    default: return {&drawing, nullptr};
    }
}

static void DrawBoxShape(HDC dc, ToolId tool, const ShapeBox& b, int penWidth, int corner, MouseButton button) {
    const COLORREF drawing = DrawingColor(button), other = OtherColor(button);
    const FillColors c = ColorsForStyle(tool, g_tools.fillStyle, drawing, other);
    ShapePaint paint(dc, penWidth, c.pen, c.brush);
    switch (tool) {
    case ToolId::Ellipse: Ellipse(dc, b.left, b.top, b.right, b.bottom); break;
    case ToolId::RoundedRectangle: RoundRect(dc, b.left, b.top, b.right, b.bottom, corner, corner); break;
    default: Rectangle(dc, b.left, b.top, b.right, b.bottom); break;
    }
}

static std::vector<POINT> ToPoints(const std::vector<PicturePoint>& pts, bool zoomed) {
    std::vector<POINT> out;
    out.reserve(pts.size());
    for (const PicturePoint& p : pts)
        out.push_back(zoomed ? POINT{PictureToContent(p.x), PictureToContent(p.y)} : POINT{p.x, p.y});
    return out;
}

static void DrawPolylinePoints(HDC dc, const std::vector<POINT>& pts, int penWidth, COLORREF colour) {
    if (pts.empty()) return;
    ShapePaint paint(dc, penWidth, &colour, nullptr);
    Polyline(dc, pts.data(), static_cast<int>(pts.size()));
}

static void DrawClosedPolygon(HDC dc, const std::vector<POINT>& pts, int penWidth, MouseButton button) {
    const COLORREF drawing = DrawingColor(button), other = OtherColor(button);
    const FillColors c = ColorsForStyle(ToolId::Polygon, g_tools.fillStyle, drawing, other);
    ShapePaint paint(dc, penWidth, c.pen, c.brush);
    const int oldMode = SetPolyFillMode(dc, ALTERNATE);
    Polygon(dc, pts.data(), static_cast<int>(pts.size()));
    SetPolyFillMode(dc, oldMode);
}

static bool CanDraw() { return g_canvas.pixels && g_canvas.memDC; }

static void ClosePolygon() {
    if (CanDraw()) {
        PushUndoSnapshot();
        DrawClosedPolygon(g_canvas.memDC, ToPoints(g_polygon.points, false), g_tools.lineWidth,
                          ButtonOf(g_polygon.lastButton));
        GdiFlush();
    }
    g_polygon.inProgress = false;
    g_polygon.points.clear();
}

static void DrawCurve(const PendingCurve& c) {
    if (!CanDraw()) return;
    PushUndoSnapshot();
    DrawPolylinePoints(g_canvas.memDC, ToPoints(CurvePolyline(CurveFinalPoints(c), 1.0), false), g_tools.lineWidth,
                       DrawingColor(ButtonOf(c.lastButton)));
    GdiFlush();
}

static PressOutcome MultiClickPress(const ToolPointer&) {
    g_forgetCountAtPress = g_forgetCount;
    return PressOutcome::Repaint;
}

static void LineRelease(const ToolPointer& p) {
    if (!CanDraw()) return;
    PushUndoSnapshot();
    const PicturePoint end = ConstrainLine(p.anchor, p.point, p.shift);
    DrawLineOrArrow(g_canvas.memDC, p.anchor.x, p.anchor.y, end.x, end.y, g_tools.lineWidth, DrawingColor(p.button),
                    g_tools.arrowHead);
    GdiFlush();
}

static void BoxRelease(const ToolPointer& p) {
    if (!CanDraw()) return;
    PushUndoSnapshot();
    DrawBoxShape(g_canvas.memDC, p.tool, ShapeBoxOf(p.anchor, p.point, p.shift), g_tools.lineWidth, 16, p.button);
    GdiFlush();
}

static void CurveReleaseRow(const ToolPointer& p) {
    if (g_forgetCount != g_forgetCountAtPress) return;
    if (CurveRelease(&g_curve, p.anchor, p.point, ButtonNumber(p.button))) DrawCurve(g_curve);
}

static void PolygonReleaseRow(const ToolPointer& p) {
    if (g_forgetCount != g_forgetCountAtPress) return;
    if (PolygonRelease(&g_polygon, p.anchor, p.point, ButtonNumber(p.button)) == PolygonStep::Close) ClosePolygon();
}

static bool PolygonDoubleClick() {
    if (!PolygonCanCloseByDoubleClick(g_polygon)) return false;
    ClosePolygon();
    return true;
}

bool CancelUnfinishedShapes() {
    ++g_forgetCount;
    const bool had = g_polygon.inProgress || g_curve.stage != 0;
    g_polygon.inProgress = false;
    g_polygon.points.clear();
    g_curve.stage = 0;
    return had;
}

bool IsPolygonInProgress() { return g_polygon.inProgress; }
int CurveStage() { return g_curve.stage; }

bool TakeBackUnfinishedShape() {
    if (g_tools.currentTool == ToolId::Path && RemoveLastPathAnchor()) return true;
    if (g_tools.currentTool == ToolId::Polygon && TakeBackPolygonVertex(&g_polygon)) return true;
    if (g_tools.currentTool == ToolId::Curve && g_curve.stage != 0) {
        g_curve.stage = 0;
        return true;
    }
    return false;
}

static bool PolygonFollowsPointer() { return g_polygon.inProgress; }
static bool CurveFollowsPointer() { return g_curve.stage >= 1; }

static void PreviewLine(HDC dc, PicturePoint a, PicturePoint b, MouseButton button, bool arrow) {
    DrawLineOrArrow(dc, PictureToContent(a.x), PictureToContent(a.y), PictureToContent(b.x), PictureToContent(b.y),
                    PreviewPenWidth(g_view.zoom, g_tools.lineWidth), DrawingColor(button), arrow);
}

static void PreviewPolygon(HDC dc, const ToolOverlay& p) {
    const int pen = PreviewPenWidth(g_view.zoom, g_tools.lineWidth);
    if (!g_polygon.inProgress) {
        if (p.dragging) PreviewLine(dc, p.anchor, p.pointer, p.button, false);
        return;
    }
    std::vector<PicturePoint> pts = g_polygon.points;
    pts.push_back(p.pointer);
    const MouseButton button = p.dragging ? p.button : ButtonOf(g_polygon.lastButton);
    if (g_tools.fillStyle != 0 && pts.size() >= 3)
        DrawClosedPolygon(dc, ToPoints(pts, true), pen, button);
    else
        DrawPolylinePoints(dc, ToPoints(pts, true), pen, DrawingColor(button));
}

static void PreviewCurve(HDC dc, const ToolOverlay& p) {
    if (g_curve.stage == 0) {
        if (p.dragging) PreviewLine(dc, p.anchor, p.pointer, p.button, false);
        return;
    }
    const MouseButton button = p.dragging ? p.button : ButtonOf(g_curve.lastButton);
    DrawPolylinePoints(dc, ToPoints(CurvePolyline(CurvePreviewPoints(g_curve, p.pointer), g_view.zoom), false),
                       PreviewPenWidth(g_view.zoom, g_tools.lineWidth), DrawingColor(button));
}

static void PreviewLineDrag(HDC buffer, const ToolOverlay& p) {
    if (p.dragging)
        PreviewLine(buffer, p.anchor, ConstrainLine(p.anchor, p.pointer, p.shift), p.button, g_tools.arrowHead);
}

static void PreviewBox(HDC buffer, const ToolOverlay& p) {
    if (!p.dragging) return;
    const ShapeBox b = ShapeBoxOf(p.anchor, p.pointer, p.shift);
    const ShapeBox zoomed{PictureToContent(b.left), PictureToContent(b.top), PictureToContent(b.right),
                          PictureToContent(b.bottom)};
    DrawBoxShape(buffer, p.tool, zoomed, PreviewPenWidth(g_view.zoom, g_tools.lineWidth),
                 std::max(1, PictureToContent(16)), p.button);
}

void ResetShapeStates() {
    CancelUnfinishedShapes();
    g_forgetCountAtPress = g_forgetCount;
}

const ToolRow kLineRow{.release = LineRelease, .paintOverlay = PreviewLineDrag};
const ToolRow kCurveRow{.press = MultiClickPress,
                        .release = CurveReleaseRow,
                        .paintOverlay = PreviewCurve,
                        .followsPointer = CurveFollowsPointer};
const ToolRow kBoxShapeRow{.release = BoxRelease, .paintOverlay = PreviewBox};
const ToolRow kPolygonRow{.press = MultiClickPress,
                          .release = PolygonReleaseRow,
                          .doubleClick = PolygonDoubleClick,
                          .paintOverlay = PreviewPolygon,
                          .followsPointer = PolygonFollowsPointer};
