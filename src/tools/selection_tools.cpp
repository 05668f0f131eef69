// The selection as the canvas sees it: its move and handle resize as a pending edit, and the Select and
// Free-Form Select rows that make new selections.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_core.h"
#include "document/view_state.h"
#include "tools/canvas_window.h"
#include "tools/selection.h"

// UI thread only: the lasso of a Free-Form Select drag, in picture points.
static std::vector<PicturePoint> g_lasso;

static void ShowSizeOf(const FloatingSelection& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%d x %d", s.right - s.left, s.bottom - s.top);
    SetStatusText(kStatusDrag, text);
}

static bool SelectionPress(const PendingPress& p) {
    FloatingSelection& s = g_selection;
    if (!s.active) return false;
    const int handle = HitSelectionHandle(p.content);
    const bool inside = p.point.x >= s.left && p.point.x < s.right && p.point.y >= s.top && p.point.y < s.bottom;
    if (!handle && !inside) return false;
    // Without memory for the image the drag still goes on, over the unchanged picture.
    (void)LiftSelection();
    s.dragStart = p.point;
    s.dragRect = {s.left, s.top, s.right, s.bottom};
    s.handle = handle;
    s.resizing = handle != 0;
    s.moving = handle == 0;
    return true;
}

static void SelectionMove(const PendingPress& p) {
    FloatingSelection& s = g_selection;
    const int64_t dx = static_cast<int64_t>(p.point.x) - s.dragStart.x;
    const int64_t dy = static_cast<int64_t>(p.point.y) - s.dragStart.y;
    if (s.moving) {
        s.left = static_cast<int>(std::clamp<int64_t>(s.dragRect.left + dx, -kMaxContent, kMaxContent));
        s.top = static_cast<int>(std::clamp<int64_t>(s.dragRect.top + dy, -kMaxContent, kMaxContent));
        s.right = s.left + s.width;
        s.bottom = s.top + s.height;
        return;
    }
    if (!s.resizing) return;
    const SelectionRect r = ResizeWithHandle(s.handle, s.dragRect, dx, dy);
    s.left = r.left;
    s.top = r.top;
    s.right = r.right;
    s.bottom = r.bottom;
    ShowSizeOf(s);
}

// The resized rectangle takes the image resampled to its size; a Select All resizes the picture, and a rectangle
// past the picture's right or bottom edge grows it. Everything is made first: a failure leaves the selection as
// it was before the drag.
static void EndHandleResize() {
    FloatingSelection& s = g_selection;
    s.resizing = false;
    s.handle = 0;
    const int w = s.right - s.left, h = s.bottom - s.top;
    if (w < 1 || h < 1 || (w == s.width && h == s.height)) return;
    const NeededPicture need =
        PictureSizeForSelection({s.sourceLeft, s.sourceTop, s.sourceRight, s.sourceBottom},
                                {s.left, s.top, s.right, s.bottom}, g_canvas.width, g_canvas.height);
    const bool whole = need.takesSelectionSize;
    // Both are a rectangle edge or a picture side, so they fit an int.
    const int pictureW = static_cast<int>(need.width), pictureH = static_cast<int>(need.height);
    auto refuse = [&](ResizeResult r, int rw, int rh) {
        ReportResizeFailure(r, rw, rh);
        s.left = s.dragRect.left;
        s.top = s.dragRect.top;
        s.right = s.dragRect.right;
        s.bottom = s.dragRect.bottom;
    };
    CanvasImage scaled;
    if (s.image.pixels && !MakeCanvasSurface(w, h, &scaled)) return refuse(ResizeResult::NoMemory, w, h);
    std::vector<uint8_t> mask;
    try {
        if (!s.mask.empty()) mask.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    } catch (const std::bad_alloc&) {
        FreeCanvasSurface(scaled);
        return refuse(ResizeResult::NoMemory, w, h);
    }
    CanvasImage picture;
    const ResizeResult grow = MakeResizedCopy(pictureW, pictureH, PixelFromColor(g_colors.background), &picture);
    if (grow == ResizeResult::TooLarge || grow == ResizeResult::NoMemory) {
        FreeCanvasSurface(scaled);
        return refuse(grow, pictureW, pictureH);
    }
    if (s.image.pixels) {
        ScalePixelsNearest({s.image.pixels, s.width, s.height}, {scaled.pixels, w, h});
        FreeCanvasSurface(s.image);
        s.image = scaled;
    }
    if (!mask.empty()) ScaleMaskNearest(s.mask.data(), s.width, s.height, mask.data(), w, h);
    s.mask.swap(mask);
    s.width = w;
    s.height = h;
    // The picture's new size records no level: the lift recorded the one this drag belongs to.
    if (grow == ResizeResult::Done) ReplacePicture(picture);
    if (whole) {
        s.sourceRight = s.right = w;
        s.sourceBottom = s.bottom = h;
    }
}

static void SelectionRelease(const PendingPress& p) {
    FloatingSelection& s = g_selection;
    if (s.resizing) {
        SelectionMove(p);
        EndHandleResize();
    }
    s.moving = false;
    RepaintCanvas();
}

// A lost capture ends a move where it is and a resize as a release at the last pointer.
static void SelectionCancel() {
    FloatingSelection& s = g_selection;
    if (s.resizing) EndHandleResize();
    s.moving = false;
    SetStatusText(kStatusDrag, L"");
}

static LPCSTR SelectionCursor(const PendingPress& p, bool dragging) {
    const FloatingSelection& s = g_selection;
    if (!s.active) return nullptr;
    if (dragging) return s.resizing ? HandleCursor(s.handle) : s.moving ? IDC_SIZEALL : nullptr;
    if (const int h = HitSelectionHandle(p.content)) return HandleCursor(h);
    const bool inside = p.point.x >= s.left && p.point.x < s.right && p.point.y >= s.top && p.point.y < s.bottom;
    return inside ? IDC_SIZEALL : nullptr;
}

static void SettleSelection(Settle strength) {
    if (strength != Settle::All || !g_selection.active) return;
    if (g_selection.lifted && g_selection.image.pixels)
        (void)CommitSelection(); // a commit the picture cannot take keeps the selection floating
    else
        DropSelection(false);
}

static void ForgetSelection() { DropSelection(false); }

const PendingEdit kSelectionEdit{.beforeGrips = false,
                                 .paintBelowTool = true,
                                 .press = SelectionPress,
                                 .move = SelectionMove,
                                 .release = SelectionRelease,
                                 .cancel = SelectionCancel,
                                 .cursor = SelectionCursor,
                                 .paint = PaintSelection,
                                 .settle = SettleSelection,
                                 .drop = ForgetSelection};

static void SelectRelease(const ToolPointer& p) {
    if (std::abs(p.point.x - p.anchor.x) >= 2 && std::abs(p.point.y - p.anchor.y) >= 2)
        CreateSelection(p.anchor.x, p.anchor.y, p.point.x, p.point.y);
}

static int Zoomed(int v) { return static_cast<int>(std::clamp(v * g_view.zoom, -1e8, 1e8)); }

static void PreviewSelectDrag(HDC buffer, const ToolOverlay& o) {
    if (!o.dragging) return;
    const RECT visible = CanvasVisibleContent();
    DrawMarchingAnts(buffer, Zoomed(std::min(o.anchor.x, o.pointer.x)), Zoomed(std::min(o.anchor.y, o.pointer.y)),
                     Zoomed(std::max(o.anchor.x, o.pointer.x)), Zoomed(std::max(o.anchor.y, o.pointer.y)),
                     CanvasAntsPhase(), &visible);
}

static PressOutcome LassoPress(const ToolPointer& p) {
    g_lasso.clear();
    g_lasso.push_back(p.anchor);
    return PressOutcome::Repaint;
}

static void LassoMove(const ToolPointer& p) {
    try {
        g_lasso.push_back(p.point);
    } catch (const std::bad_alloc&) {
        // A lasso that cannot grow keeps the points it has.
    }
}

static void LassoRelease(const ToolPointer&) {
    std::vector<PicturePoint> lasso;
    lasso.swap(g_lasso);
    SelectionRect box;
    std::vector<uint8_t> mask;
    // A lasso of two points, or one whose outline holds no pixel of the picture, makes no selection.
    if (lasso.size() < 3 || !LassoMask(lasso, g_canvas.width, g_canvas.height, &box, &mask)) return;
    CreateSelection(box.left, box.top, box.right, box.bottom, std::move(mask));
}

static void LassoCancel(const ToolPointer&) { g_lasso.clear(); }

static void PreviewLasso(HDC buffer, const ToolOverlay& o) {
    if (!o.dragging || g_lasso.size() < 2) return;
    std::vector<POINT> pts;
    pts.reserve(g_lasso.size());
    for (const PicturePoint& q : g_lasso)
        pts.push_back({Zoomed(q.x), Zoomed(q.y)});
    HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(buffer, pen);
    Polyline(buffer, pts.data(), static_cast<int>(pts.size()));
    SelectObject(buffer, old);
    DeleteObject(pen);
}

const ToolRow kFreeFormSelectRow{.press = LassoPress,
                                 .move = LassoMove,
                                 .release = LassoRelease,
                                 .cancel = LassoCancel,
                                 .paintOverlay = PreviewLasso};
const ToolRow kSelectRow{.release = SelectRelease, .paintOverlay = PreviewSelectDrag};
