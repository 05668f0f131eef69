// Pointer input on the canvas: panning, grip drags, the triple right-click, the wheel, cursors and the
// per-tool dispatch of presses, moves and releases.
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/main_window.h"
#include "shell/status_bar.h"
#include "tools/canvas_state.h"
#include "tools/canvas_window.h"
#include "tools/fill_picker.h"
#include "tools/freehand.h"
#include "tools/pencil.h"
#include "tools/shape_tools.h"
#include "tools/text_tool.h"
#include "toolbox/tool_state.h"

static void Repaint(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

static void SetStatusPair(int part, const char* format, int a, int b) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    SetStatusText(part, text);
}

static bool InsideZoomedPicture(int contentX, int contentY) {
    return contentX >= 0 && contentY >= 0 && contentX < ZoomedExtent(g_view.zoom, g_canvas.width) &&
           contentY < ZoomedExtent(g_view.zoom, g_canvas.height);
}

// Actions at a press inside the picture; false for the tools that leave the canvas unpainted.
static bool ToolButtonDown(HWND hwnd, int button, POINT client) {
    const CanvasState& s = g_canvasState;
    switch (s.dragTool) {
    case ToolId::Pencil:
        PushUndoSnapshot();
        PencilDot(button, s.anchor);
        return true;
    case ToolId::Eraser:
    case ToolId::Brush:
    case ToolId::Airbrush:
        PushUndoSnapshot();
        FreehandButtonDown(s.dragTool, button, s.anchor, GetMessageTime());
        // The airbrush goes on spraying while the button is held still.
        if (s.dragTool == ToolId::Airbrush) SetTimer(hwnd, kAirbrushTimer, 40, nullptr);
        return true;
    case ToolId::Fill: FillAt(button, s.anchor); return true;
    case ToolId::PickColor: PickColorAt(button, s.anchor); return true;
    case ToolId::Magnifier: MagnifierClick(button, client); return true;
    case ToolId::Text: return false;
    case ToolId::FuzzySelect: return false;
    default: return true;
    }
}

static bool ShowsDragSize(ToolId t) {
    return t == ToolId::Select || t == ToolId::Text || t == ToolId::Rectangle || t == ToolId::Ellipse ||
           t == ToolId::RoundedRectangle;
}

static void ToolMove() {
    CanvasState& s = g_canvasState;
    switch (s.dragTool) {
    case ToolId::Pencil: PencilSegment(s.dragButton, s.last, s.pointer); break;
    case ToolId::Eraser:
    case ToolId::Brush:
    case ToolId::Airbrush: FreehandMove(s.dragTool, s.dragButton, s.last, s.pointer, GetMessageTime()); break;
    default: break;
    }
    s.last = s.pointer;
    if (!ShowsDragSize(s.dragTool)) return;
    int w = std::abs(s.anchor.x - s.pointer.x), h = std::abs(s.anchor.y - s.pointer.y);
    if (s.shiftHeld) w = h = std::max(w, h);
    SetStatusPair(kStatusDrag, "%d x %d", w, h);
}

void OnCanvasMouseMove(HWND hwnd, int x, int y, WPARAM keys) {
    CanvasState& s = g_canvasState;
    s.pointer = ClientToPicture(x, y);
    s.shiftHeld = (keys & MK_SHIFT) != 0;
    SetStatusPair(kStatusPointer, "%d, %d", s.pointer.x, s.pointer.y);
    // A drag whose button is no longer down lost its release somewhere else; it must not paint on.
    if ((s.dragging || s.panning) && !(keys & (MK_LBUTTON | MK_RBUTTON))) {
        CancelCanvasDrag(hwnd);
        return;
    }
    if (s.panning) {
        g_view.scrollX = s.panStartScroll.x + s.panStartClient.x - x;
        g_view.scrollY = s.panStartScroll.y + s.panStartClient.y - y;
        ClampScroll();
        SetCursor(PanCursor(true));
        Repaint(hwnd);
        return;
    }
    if (s.spaceHeld) SetCursor(PanCursor(false));
    if (s.grip != CanvasGrip::None) {
        const GripSize size = GripDragSize(s.grip, g_canvas.width, g_canvas.height, g_view.zoom,
                                           x - s.gripStartClient.x, y - s.gripStartClient.y);
        s.gripWidth = size.width;
        s.gripHeight = size.height;
        SetStatusPair(kStatusDrag, "%d x %d", s.gripWidth, s.gripHeight);
        Repaint(hwnd);
        return;
    }
    if (!s.dragging) {
        if (ShapeFollowsPointer(g_tools.currentTool)) Repaint(hwnd);
        return;
    }
    ToolMove();
    Repaint(hwnd);
}

void OnCanvasAirbrushTimer() {
    const CanvasState& s = g_canvasState;
    if (!s.dragging || s.dragTool != ToolId::Airbrush || g_tools.currentTool != ToolId::Airbrush) return;
    AirbrushTick(s.dragButton, s.pointer);
    if (g_app.canvas) Repaint(g_app.canvas);
}

static void StartPan(HWND hwnd, int x, int y) {
    CanvasState& s = g_canvasState;
    ResetRightClicks(&s.rightClicks);
    SetCapture(hwnd);
    s.panning = true;
    s.panStartClient = {x, y};
    s.panStartScroll = {g_view.scrollX, g_view.scrollY};
    SetCursor(PanCursor(true));
}

static void StartGripDrag(HWND hwnd, CanvasGrip grip, int x, int y) {
    CanvasState& s = g_canvasState;
    ResetRightClicks(&s.rightClicks);
    CommitTextBox();
    SetCapture(hwnd);
    s.dragging = true;
    s.gripStartClient = {x, y};
    s.grip = grip;
    s.gripWidth = g_canvas.width;
    s.gripHeight = g_canvas.height;
}

static void CountRightClickOutside(HWND hwnd) {
    if (!CountRightClick(&g_canvasState.rightClicks, GetTickCount())) return;
    CancelUnfinishedShapes();
    CommitTextBox();
    const ResizeResult r = ResizeCanvasImage(10, 10, true, true);
    ReportResizeFailure(r, 10, 10);
    Repaint(hwnd);
}

void OnCanvasButtonDown(HWND hwnd, int button, int x, int y) {
    CanvasState& s = g_canvasState;
    if (s.spaceHeld && button == 1) {
        StartPan(hwnd, x, y);
        return;
    }
    CommitTextBox();
    const int cx = x + g_view.scrollX, cy = y + g_view.scrollY;
    const CanvasGrip grip = HitCanvasGrip(g_view.zoom, g_canvas.width, g_canvas.height, cx, cy);
    if (grip != CanvasGrip::None) {
        StartGripDrag(hwnd, grip, x, y);
        return;
    }
    if (InsideZoomedPicture(cx, cy) && g_canvas.pixels) {
        ResetRightClicks(&s.rightClicks);
        SetCapture(hwnd);
        s.dragging = true;
        s.dragButton = button;
        s.dragTool = g_tools.currentTool;
        s.anchor = s.last = s.pointer = ClientToPicture(x, y);
        if (ToolButtonDown(hwnd, button, {x, y})) Repaint(hwnd);
        return;
    }
    if (button == 1)
        ResetRightClicks(&s.rightClicks);
    else
        CountRightClickOutside(hwnd);
}

void OnCanvasButtonUp(HWND hwnd, int x, int y, WPARAM keys) {
    CanvasState& s = g_canvasState;
    if (s.panning) {
        s.panning = false;
        ReleaseCanvasCapture();
        SetCursor(PanCursor(s.spaceHeld));
        return;
    }
    if (s.grip != CanvasGrip::None) {
        s.dragging = false;
        s.grip = CanvasGrip::None;
        ReleaseCanvasCapture();
        const ResizeResult r = ResizeCanvasImage(s.gripWidth, s.gripHeight, true, true);
        SetStatusText(kStatusDrag, L"");
        ReportResizeFailure(r, s.gripWidth, s.gripHeight);
        Repaint(hwnd);
        return;
    }
    if (!s.dragging) return;
    s.dragging = false;
    ReleaseCanvasCapture();
    KillTimer(hwnd, kAirbrushTimer);
    s.pointer = ClientToPicture(x, y);
    s.shiftHeld = (keys & MK_SHIFT) != 0;
    FinishInkStroke(s.dragButton);
    ShapeButtonUp(s.dragTool, s.dragButton, s.anchor, s.pointer, s.shiftHeld);
    SetStatusText(kStatusDrag, L"");
    Repaint(hwnd);
}

void OnCanvasDoubleClick(HWND hwnd) {
    ResetRightClicks(&g_canvasState.rightClicks);
    if (g_tools.currentTool == ToolId::Polygon && PolygonDoubleClick()) Repaint(hwnd);
}

// Moves and resizes would end with their current state; shapes are simply not drawn, as if the drag never
// happened, and a freehand stroke keeps what it drew (its undo level exists already).
void CancelCanvasDrag(HWND hwnd) {
    CanvasState& s = g_canvasState;
    if (!s.dragging && !s.panning && s.grip == CanvasGrip::None) return;
    KillTimer(hwnd, kAirbrushTimer);
    if (s.dragging) FinishInkStroke(s.dragButton);
    const bool hadCapture = GetCapture() == hwnd;
    s.dragging = false;
    s.panning = false;
    s.grip = CanvasGrip::None;
    s.textRectDragging = false;
    if (hadCapture) ReleaseCanvasCapture();
    SetStatusText(kStatusDrag, L"");
    Repaint(hwnd);
}

void OnCanvasWheel(HWND hwnd, int delta, WPARAM keys, int screenX, int screenY) {
    const int step = WheelScrollStep(delta);
    if ((keys & MK_CONTROL) || GetKeyState(VK_CONTROL) < 0) {
        POINT p{screenX, screenY};
        ScreenToClient(hwnd, &p);
        if (delta > 0) SetZoom(NextZoomIn(g_view.zoom), &p);
        if (delta < 0) SetZoom(NextZoomOut(g_view.zoom, g_canvas.width, g_canvas.height), &p);
        return;
    }
    if ((keys & MK_SHIFT) || GetKeyState(VK_SHIFT) < 0)
        g_view.scrollX -= step;
    else
        g_view.scrollY -= step;
    ClampScroll();
    Repaint(hwnd);
}

void OnCanvasHorizontalWheel(HWND hwnd, int delta) {
    g_view.scrollX += WheelScrollStep(delta);
    ClampScroll();
    Repaint(hwnd);
}

static LPCSTR GripCursor(CanvasGrip g) {
    switch (g) {
    case CanvasGrip::Corner: return IDC_SIZENWSE;
    case CanvasGrip::Right: return IDC_SIZEWE;
    case CanvasGrip::Bottom: return IDC_SIZENS;
    default: return IDC_ARROW;
    }
}

void OnCanvasSetCursor(HWND hwnd) {
    const CanvasState& s = g_canvasState;
    if (s.spaceHeld || s.panning) {
        SetCursor(PanCursor(s.panning));
        return;
    }
    if (s.grip != CanvasGrip::None) {
        SetCursor(LoadCursorA(nullptr, GripCursor(s.grip)));
        return;
    }
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    const int cx = p.x + g_view.scrollX, cy = p.y + g_view.scrollY;
    const CanvasGrip over = HitCanvasGrip(g_view.zoom, g_canvas.width, g_canvas.height, cx, cy);
    LPCSTR cursor = IDC_ARROW;
    if (over != CanvasGrip::None)
        cursor = GripCursor(over);
    else if (s.dragging || InsideZoomedPicture(cx, cy))
        cursor = g_tools.currentTool == ToolId::Text ? IDC_IBEAM : IDC_CROSS;
    SetCursor(LoadCursorA(nullptr, cursor));
}
