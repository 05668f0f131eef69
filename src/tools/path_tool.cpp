#include "tools/path_tool.h"

#include <cstdio>
#include <vector>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "filters/mosaic_core.h"
#include "tools/canvas_window.h"
#include "tools/path_core.h"
#include "tools/pending_edits.h"
#include "tools/selection.h"

// UI thread only. Lives across drags until an action, Esc, a tool change or the last removal ends it.
static BezierPath g_path;

int PathAnchorCount() { return static_cast<int>(g_path.anchors.size()); }
bool IsPathInProgress() { return g_path.hasAnchors && !g_path.anchors.empty(); }

bool RemoveLastPathAnchor() {
    if (!RemoveLastAnchor(&g_path)) return false;
    RepaintCanvas();
    return true;
}

static const wchar_t* ModeName(int mode) {
    static const wchar_t* const kNames[] = {L"Make selection", L"Stroke line", L"Apply mosaic", L"Clear"};
    return mode >= 0 && mode < 4 ? kNames[mode] : kNames[0];
}

static void ShowPathReady(const wchar_t* state) {
    wchar_t text[160];
    swprintf(text, 160, L"Path %ls. Press Enter to %ls, or click [Select]/[Stroke]/[Mosaic]/[Clear].", state,
             ModeName(g_tools.pathMode));
    SetStatusText(kStatusMessage, text);
}

static PressOutcome PathPressRow(const ToolPointer& p) {
    if (PathPress(&g_path, p.anchor.x, p.anchor.y) == PathPressResult::Added) return PressOutcome::Repaint;
    ShowPathReady(L"closed");
    return PressOutcome::EndDrag;
}

static void PathMoveRow(const ToolPointer& p) { PathDrag(&g_path, p.point.x, p.point.y); }
static void PathReleaseRow(const ToolPointer&) { PathRelease(&g_path); }

static bool PathDoubleClickRow() {
    if (!PathFinish(&g_path)) return false;
    EndCanvasDrag();
    ShowPathReady(L"finished");
    return true;
}

static bool PathFollowsPointer() { return IsPathInProgress() && !g_path.closed; }

// The overlay, in content coordinates.
static POINT Content(PicturePoint p) { return {PictureToContent(p.x), PictureToContent(p.y)}; }
static POINT Content(int x, int y) { return Content(PicturePoint{x, y}); }

static void PaintPathSegments(HDC dc) {
    const std::vector<PathAnchor>& a = g_path.anchors;
    const size_t n = a.size();
    const size_t count = n - 1 + (g_path.closed && n >= 3 ? 1 : 0);
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 2, RGB(0, 120, 255)));
    ScopedSelectObject sel(dc, pen.get());
    for (size_t i = 0; i < count; ++i) {
        const PathSegment s = SegmentBetween(a[i], a[(i + 1) % n]);
        PicturePoint zoomed[4];
        for (int k = 0; k < 4; ++k)
            zoomed[k] = {PictureToContent(s.p[k].x), PictureToContent(s.p[k].y)};
        if (s.straight) {
            MoveToEx(dc, zoomed[0].x, zoomed[0].y, nullptr);
            LineTo(dc, zoomed[3].x, zoomed[3].y);
            continue;
        }
        std::vector<POINT> pts;
        for (const PicturePoint& q : CubicPolyline(zoomed, 24))
            pts.push_back({q.x, q.y});
        Polyline(dc, pts.data(), static_cast<int>(pts.size()));
    }
}

static void PaintRubberBand(HDC dc, PicturePoint pointer) {
    ScopedGdiObj<HPEN> pen(CreatePen(PS_DOT, 1, RGB(0, 120, 255)));
    ScopedSelectObject sel(dc, pen.get());
    const POINT from = Content(g_path.anchors.back().x, g_path.anchors.back().y), to = Content(pointer);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

static void PaintHandles(HDC dc) {
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(128, 128, 128)));
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(RGB(0, 160, 255)));
    ScopedSelectObject selPen(dc, pen.get());
    ScopedSelectObject selBrush(dc, brush.get());
    for (const PathAnchor& a : g_path.anchors) {
        if (!a.curved) continue;
        const POINT in = Content(a.inX, a.inY), out = Content(a.outX, a.outY);
        MoveToEx(dc, in.x, in.y, nullptr);
        LineTo(dc, out.x, out.y);
        for (const POINT& h : {in, out})
            Ellipse(dc, h.x - 2, h.y - 2, h.x + 3, h.y + 3);
    }
}

static void PaintAnchorSquares(HDC dc) {
    ScopedGdiObj<HBRUSH> first(CreateSolidBrush(RGB(255, 220, 0)));
    ScopedSelectObject selPen(dc, GetStockObject(BLACK_PEN));
    ScopedSelectObject selBrush(dc, GetStockObject(WHITE_BRUSH));
    for (size_t i = 0; i < g_path.anchors.size(); ++i) {
        const POINT c = Content(g_path.anchors[i].x, g_path.anchors[i].y);
        SelectObject(dc, i == 0 ? static_cast<HGDIOBJ>(first.get()) : GetStockObject(WHITE_BRUSH));
        Rectangle(dc, c.x - 3, c.y - 3, c.x + 4, c.y + 4);
    }
}

static void PaintPathOverlay(HDC buffer, const ToolOverlay& o) {
    if (g_tools.currentTool != ToolId::Path || !IsPathInProgress()) return;
    PaintPathSegments(buffer);
    if (!g_path.closed && !g_path.draggingAnchor) PaintRubberBand(buffer, o.pointer);
    PaintHandles(buffer);
    PaintAnchorSquares(buffer);
}

// An action used the path up: the drag it may have been part of ends and the path is forgotten.
static void UsePathUp() {
    EndCanvasDrag();
    ClearBezierPath(&g_path);
}

static bool HasTwoAnchors(const wchar_t* action) {
    if (PathAnchorCount() >= 2) return true;
    wchar_t text[96];
    swprintf(text, 96, L"Path needs at least 2 points to %ls.", action);
    SetStatusText(kStatusMessage, text);
    return false;
}

void StrokePath() {
    if (PathAnchorCount() < 2 || !g_canvas.memDC) return;
    PushUndoSnapshot();
    HDC dc = g_canvas.memDC;
    {
        ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, g_tools.lineWidth, DrawingColor(LastCanvasDragButton())));
        ScopedSelectObject sel(dc, pen.get());
        const std::vector<PathAnchor>& a = g_path.anchors;
        const int count = StrokeSegmentCount(a, g_path.closed);
        for (int i = 0; i < count; ++i) {
            const PathSegment s = SegmentBetween(a[static_cast<size_t>(i)], a[static_cast<size_t>(i + 1) % a.size()]);
            if (s.straight) {
                MoveToEx(dc, s.p[0].x, s.p[0].y, nullptr);
                LineTo(dc, s.p[3].x, s.p[3].y);
                continue;
            }
            std::vector<POINT> pts;
            for (const PicturePoint& q : CubicPolyline(s.p, 32))
                pts.push_back({q.x, q.y});
            Polyline(dc, pts.data(), static_cast<int>(pts.size()));
        }
    }
    GdiFlush();
    UsePathUp();
    RepaintToolBox();
    RepaintCanvas();
    char text[64];
    std::snprintf(text, sizeof text, "Path stroked with %dpx line.", g_tools.lineWidth);
    SetStatusText(kStatusMessage, text);
}

void PathMosaic(int blockSize) {
    SettlePendingEdits(Settle::Text);
    if (!HasTwoAnchors(L"apply mosaic")) return;
    SelectionRect box;
    std::vector<uint8_t> mask;
    // A polygon of 2 vertices, or one that covers no pixel, encloses nothing: the path stays, silently.
    if (!PathEnclosedArea(g_path.anchors, g_canvas.width, g_canvas.height, &box, &mask)) return;
    PushUndoSnapshot();
    GdiFlush();
    MosaicPixels(CanvasPixels(),
                 {box.left, box.top, box.right - box.left, box.bottom - box.top, mask.empty() ? nullptr : mask.data()},
                 blockSize);
    UsePathUp();
    MarkDocumentModified();
    RepaintToolBox();
    RepaintCanvas();
    char text[64];
    std::snprintf(text, sizeof text, "Path mosaic applied (%d px block size).", blockSize);
    SetStatusText(kStatusMessage, text);
}

void PathToSelection() {
    SettlePendingEdits(Settle::Text);
    if (!HasTwoAnchors(L"make selection")) return;
    SelectionRect box;
    std::vector<uint8_t> mask;
    if (!PathEnclosedArea(g_path.anchors, g_canvas.width, g_canvas.height, &box, &mask)) return;
    CreateSelection(box.left, box.top, box.right, box.bottom, std::move(mask));
    if (!HasSelection()) return; // it said why; the path stays for another try
    (void)LiftSelection();
    UsePathUp();
    g_tools.currentTool = ToolId::FreeFormSelect; // without the side effects of a tool change
    g_tools.selectionTransparent = true;
    RepaintToolBox();
    RepaintCanvas();
    SetStatusText(kStatusMessage, L"Free-form selection created from path. (Drag to move or cut/copy)");
}

void ClearPath() {
    // Like the other actions it ends a drag that pulls the handles of the anchor it forgets.
    UsePathUp();
    RepaintCanvas();
    SetStatusText(kStatusMessage, L"Path cleared.");
}

void RunPathAction() {
    if (g_tools.currentTool != ToolId::Path) return;
    switch (g_tools.pathMode) {
    case 1:
        SettlePendingEdits(Settle::Text);
        if (HasTwoAnchors(L"stroke line")) StrokePath();
        break;
    case 2: PathMosaic(g_tools.mosaicBlockSize); break;
    case 3: ClearPath(); break;
    default: PathToSelection(); break;
    }
}

const ToolRow kPathRow{.press = PathPressRow,
                       .move = PathMoveRow,
                       .release = PathReleaseRow,
                       .cancel = PathReleaseRow,
                       .doubleClick = PathDoubleClickRow,
                       .paintOverlay = PaintPathOverlay,
                       .followsPointer = PathFollowsPointer};
