#include "tools/shape_tools.h"

#include <algorithm>
#include <vector>

#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/scoped_handles.h"
#include "tools/shape_core.h"
#include "toolbox/color_box.h"

// UI thread only. Both live across drags until the shape is finished or cancelled.
static PendingPolygon g_polygon;
static PendingCurve g_curve;

static COLORREF DrawingColor(int button) { return button == 2 ? g_colors.background : g_colors.foreground; }
static COLORREF OtherColor(int button) { return button == 2 ? g_colors.foreground : g_colors.background; }

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

static void DrawBoxShape(HDC dc, ToolId tool, const ShapeBox& b, int penWidth, int corner, int button) {
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

static void DrawClosedPolygon(HDC dc, const std::vector<POINT>& pts, int penWidth, int button) {
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
        DrawClosedPolygon(g_canvas.memDC, ToPoints(g_polygon.points, false), g_tools.lineWidth, g_polygon.lastButton);
        GdiFlush();
    }
    g_polygon.inProgress = false;
    g_polygon.points.clear();
}

static void DrawCurve(const PendingCurve& c) {
    if (!CanDraw()) return;
    PushUndoSnapshot();
    DrawPolylinePoints(g_canvas.memDC, ToPoints(CurvePolyline(CurveFinalPoints(c), 1.0), false), g_tools.lineWidth,
                       DrawingColor(c.lastButton));
    GdiFlush();
}

void ShapeButtonUp(ToolId tool, int button, PicturePoint anchor, PicturePoint release, bool shift) {
    switch (tool) {
    case ToolId::Line: {
        if (!CanDraw()) return;
        PushUndoSnapshot();
        const PicturePoint end = ConstrainLine(anchor, release, shift);
        DrawLineOrArrow(g_canvas.memDC, anchor.x, anchor.y, end.x, end.y, g_tools.lineWidth, DrawingColor(button),
                        g_tools.arrowHead);
        GdiFlush();
        return;
    }
    case ToolId::Rectangle:
    case ToolId::Ellipse:
    case ToolId::RoundedRectangle:
        if (!CanDraw()) return;
        PushUndoSnapshot();
        DrawBoxShape(g_canvas.memDC, tool, ShapeBoxOf(anchor, release, shift), g_tools.lineWidth, 16, button);
        GdiFlush();
        return;
    case ToolId::Curve:
        if (CurveRelease(&g_curve, anchor, release, button)) DrawCurve(g_curve);
        return;
    case ToolId::Polygon:
        if (PolygonRelease(&g_polygon, anchor, release, button) == PolygonStep::Close) ClosePolygon();
        return;
    default: return;
    }
}

bool PolygonDoubleClick() {
    if (!PolygonCanCloseByDoubleClick(g_polygon)) return false;
    ClosePolygon();
    return true;
}

bool CancelUnfinishedShapes() {
    const bool had = g_polygon.inProgress || g_curve.stage != 0;
    g_polygon.inProgress = false;
    g_polygon.points.clear();
    g_curve.stage = 0;
    return had;
}

bool IsPolygonInProgress() { return g_polygon.inProgress; }
int CurveStage() { return g_curve.stage; }

bool TakeBackUnfinishedShape() {
    if (g_tools.currentTool == ToolId::Polygon && TakeBackPolygonVertex(&g_polygon)) return true;
    if (g_tools.currentTool == ToolId::Curve && g_curve.stage != 0) {
        g_curve.stage = 0;
        return true;
    }
    return false;
}

bool ShapeFollowsPointer(ToolId tool) {
    return (tool == ToolId::Polygon && g_polygon.inProgress) || (tool == ToolId::Curve && g_curve.stage >= 1);
}

static void PreviewLine(HDC dc, PicturePoint a, PicturePoint b, int button, bool arrow) {
    DrawLineOrArrow(dc, PictureToContent(a.x), PictureToContent(a.y), PictureToContent(b.x), PictureToContent(b.y),
                    PreviewPenWidth(g_view.zoom, g_tools.lineWidth), DrawingColor(button), arrow);
}

static void PreviewPolygon(HDC dc, const ShapePreview& p) {
    const int pen = PreviewPenWidth(g_view.zoom, g_tools.lineWidth);
    if (!g_polygon.inProgress) {
        if (p.dragging) PreviewLine(dc, p.anchor, p.pointer, p.dragButton, false);
        return;
    }
    std::vector<PicturePoint> pts = g_polygon.points;
    pts.push_back(p.pointer);
    const int button = p.dragging ? p.dragButton : g_polygon.lastButton;
    if (g_tools.fillStyle != 0 && pts.size() >= 3)
        DrawClosedPolygon(dc, ToPoints(pts, true), pen, button);
    else
        DrawPolylinePoints(dc, ToPoints(pts, true), pen, DrawingColor(button));
}

static void PreviewCurve(HDC dc, const ShapePreview& p) {
    if (g_curve.stage == 0) {
        if (p.dragging) PreviewLine(dc, p.anchor, p.pointer, p.dragButton, false);
        return;
    }
    const int button = p.dragging ? p.dragButton : g_curve.lastButton;
    DrawPolylinePoints(dc, ToPoints(CurvePolyline(CurvePreviewPoints(g_curve, p.pointer), g_view.zoom), false),
                       PreviewPenWidth(g_view.zoom, g_tools.lineWidth), DrawingColor(button));
}

void PaintShapePreview(HDC buffer, const ShapePreview& p) {
    switch (p.tool) {
    case ToolId::Line:
        if (p.dragging)
            PreviewLine(buffer, p.anchor, ConstrainLine(p.anchor, p.pointer, p.shift), p.dragButton, g_tools.arrowHead);
        return;
    case ToolId::Rectangle:
    case ToolId::Ellipse:
    case ToolId::RoundedRectangle: {
        if (!p.dragging) return;
        const ShapeBox b = ShapeBoxOf(p.anchor, p.pointer, p.shift);
        const ShapeBox zoomed{PictureToContent(b.left), PictureToContent(b.top), PictureToContent(b.right),
                              PictureToContent(b.bottom)};
        DrawBoxShape(buffer, p.tool, zoomed, PreviewPenWidth(g_view.zoom, g_tools.lineWidth),
                     std::max(1, PictureToContent(16)), p.dragButton);
        return;
    }
    case ToolId::Polygon: PreviewPolygon(buffer, p); return;
    case ToolId::Curve: PreviewCurve(buffer, p); return;
    default: return;
    }
}
