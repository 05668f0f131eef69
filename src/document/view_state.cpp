#include "document/view_state.h"

#include "base/app_windows.h"
#include "document/canvas_image.h"
#include "document/document_state.h"

ViewState g_view;

PicturePoint ClientToPicture(int clientX, int clientY) {
    return ClientToPictureAt(g_view.zoom, g_view.scrollX, g_view.scrollY, clientX, clientY);
}

int PictureToContent(int64_t v) { return PictureToContent(g_view.zoom, v); }

void ClampZoom() { g_view.zoom = LimitZoom(g_view.zoom, g_canvas.width, g_canvas.height); }

static void LimitScrollToCanvas() {
    if (!g_app.canvas) return;
    RECT rc;
    GetClientRect(g_app.canvas, &rc);
    LimitScroll(g_view.zoom, g_canvas.width, g_canvas.height, rc.right, rc.bottom, &g_view.scrollX, &g_view.scrollY);
}

void ClampScroll() {
    LimitScrollToCanvas();
    AnnounceViewChanged(false);
}

void SetZoom(double factor, const POINT* anchor) {
    factor = LimitZoom(factor, g_canvas.width, g_canvas.height);
    if (anchor && g_app.canvas) {
        const PicturePoint p = ClientToPicture(anchor->x, anchor->y);
        g_view.zoom = factor;
        g_view.scrollX = PictureToContent(p.x) - anchor->x;
        g_view.scrollY = PictureToContent(p.y) - anchor->y;
    } else {
        g_view.zoom = factor;
    }
    LimitScrollToCanvas();
    AnnounceViewChanged(true);
}

// The pointer when it is over the canvas, else the canvas centre; none without a canvas or a position.
static bool ZoomAnchor(POINT* anchor) {
    if (!g_app.canvas || !GetCursorPos(anchor)) return false;
    ScreenToClient(g_app.canvas, anchor);
    RECT rc;
    GetClientRect(g_app.canvas, &rc);
    if (anchor->x < 0 || anchor->y < 0 || anchor->x >= rc.right || anchor->y >= rc.bottom)
        *anchor = {(rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2};
    return true;
}

void ZoomIn() {
    POINT anchor;
    const bool has = ZoomAnchor(&anchor);
    SetZoom(NextZoomIn(g_view.zoom), has ? &anchor : nullptr);
}

void ZoomOut() {
    POINT anchor;
    const bool has = ZoomAnchor(&anchor);
    SetZoom(NextZoomOut(g_view.zoom, g_canvas.width, g_canvas.height), has ? &anchor : nullptr);
}

bool ToggleGrid() {
    g_view.gridShown = !g_view.gridShown;
    AnnounceViewChanged(false);
    return g_view.gridShown;
}

void SetGridSpacing(int spacing) {
    g_view.gridSpacing = spacing;
    g_view.gridShown = true;
    AnnounceViewChanged(false);
}
