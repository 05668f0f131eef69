// Pointer input on the canvas: panning, grip drags, the triple right-click, the wheel, cursors, the pending
// edits asked first at every press, and the hand-over of everything else to the row of the tool.
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/view_state.h"
#include "tools/canvas_state.h"
#include "tools/canvas_window.h"
#include "tools/shape_tools.h"
#include "toolbox/tool_traits_core.h"

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

static PendingPress PendingPressAt(HWND hwnd, MouseButton button, int x, int y) {
    return {hwnd, button, {x, y}, {x + g_view.scrollX, y + g_view.scrollY}, ClientToPicture(x, y)};
}

static ToolPointer PointerOfDrag(HWND hwnd, POINT client) {
    const CanvasState& s = g_canvasState;
    return {hwnd,      s.dragTool, s.dragButton, s.anchor,
            s.pointer, client,     s.shiftHeld,  static_cast<DWORD>(GetMessageTime())};
}

LPCSTR HandleCursor(int handle) {
    switch (handle) {
    case 1:
    case 5: return IDC_SIZENWSE;
    case 2:
    case 6: return IDC_SIZENS;
    case 3:
    case 7: return IDC_SIZENESW;
    default: return IDC_SIZEWE;
    }
}

void EndCanvasDrag() {
    CanvasState& s = g_canvasState;
    if (!s.dragging) return;
    s.dragging = false;
    s.activeEdit = -1;
    if (g_app.canvas && GetCapture() == g_app.canvas) ReleaseCanvasCapture();
    SetStatusText(kStatusDrag, L"");
    RepaintCanvas();
}

MouseButton LastCanvasDragButton() { return g_canvasState.dragButton; }

static void ShowDragSize() {
    const CanvasState& s = g_canvasState;
    int w = std::abs(s.anchor.x - s.pointer.x), h = std::abs(s.anchor.y - s.pointer.y);
    if (s.shiftHeld) w = h = std::max(w, h);
    SetStatusPair(kStatusDrag, "%d x %d", w, h);
}

static void MoveGripOutline(HWND hwnd, int x, int y) {
    CanvasState& s = g_canvasState;
    const GripSize size = GripDragSize(s.grip, g_canvas.width, g_canvas.height, g_view.zoom, x - s.gripStartClient.x,
                                       y - s.gripStartClient.y);
    s.gripWidth = size.width;
    s.gripHeight = size.height;
    SetStatusPair(kStatusDrag, "%d x %d", s.gripWidth, s.gripHeight);
    Repaint(hwnd);
}

static void MoveDrag(HWND hwnd, int x, int y) {
    const CanvasState& s = g_canvasState;
    if (s.activeEdit >= 0) {
        if (auto move = PendingEditAt(s.activeEdit).move) move(PendingPressAt(hwnd, s.dragButton, x, y));
    } else {
        if (auto move = ToolRowOf(s.dragTool).move) move(PointerOfDrag(hwnd, {x, y}));
        if (TraitsOf(s.dragTool).showsDragSize) ShowDragSize();
    }
    Repaint(hwnd);
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
        return;
    }
    if (s.spaceHeld) SetCursor(PanCursor(false));
    if (s.grip != CanvasGrip::None) {
        MoveGripOutline(hwnd, x, y);
        return;
    }
    if (s.dragging) {
        MoveDrag(hwnd, x, y);
        return;
    }
    const ToolRow& row = ToolRowOf(g_tools.currentTool);
    if (TraitsOf(g_tools.currentTool).followsPointer && row.followsPointer && row.followsPointer()) Repaint(hwnd);
}

void OnCanvasToolTimer(HWND hwnd) {
    const CanvasState& s = g_canvasState;
    if (!s.dragging || s.activeEdit >= 0) return;
    if (auto timer = ToolRowOf(s.dragTool).timer) timer(hwnd);
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

static void StartDrag(HWND hwnd, MouseButton button, int x, int y) {
    CanvasState& s = g_canvasState;
    ResetRightClicks(&s.rightClicks);
    SetCapture(hwnd);
    s.dragging = true;
    s.dragButton = button;
    s.dragTool = g_tools.currentTool;
    s.anchor = s.pointer = ClientToPicture(x, y);
}

static bool StartPendingEditDrag(HWND hwnd, bool beforeGrips, MouseButton button, int x, int y) {
    const int edit = PressPendingEdit(beforeGrips, PendingPressAt(hwnd, button, x, y));
    if (edit < 0) return false;
    StartDrag(hwnd, button, x, y);
    g_canvasState.activeEdit = edit;
    return true;
}

static void StartGripDrag(HWND hwnd, CanvasGrip grip, int x, int y) {
    CanvasState& s = g_canvasState;
    ResetRightClicks(&s.rightClicks);
    SettlePendingEdits(Settle::All);
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
    SettlePendingEdits(Settle::All);
    const ResizeResult r = ResizeCanvasImage(10, 10, PixelFromColor(g_colors.background), true);
    ReportResizeFailure(r, 10, 10);
    Repaint(hwnd);
}

static void StartToolDrag(HWND hwnd, MouseButton button, int x, int y) {
    StartDrag(hwnd, button, x, y);
    g_canvasState.activeEdit = -1;
    const ToolRow& row = ToolRowOf(g_canvasState.dragTool);
    const PressOutcome o = row.press ? row.press(PointerOfDrag(hwnd, {x, y})) : PressOutcome::Repaint;
    if (o == PressOutcome::EndDrag) EndCanvasDrag();
    if (o != PressOutcome::NoRepaint) Repaint(hwnd);
}

// The pending edits are asked in order: the text box, the grips, the selection. Only a press none of them takes
// settles them and goes on to the tool.
void OnCanvasButtonDown(HWND hwnd, MouseButton button, int x, int y) {
    CanvasState& s = g_canvasState;
    if (s.spaceHeld && button == MouseButton::Left) {
        StartPan(hwnd, x, y);
        return;
    }
    if (StartPendingEditDrag(hwnd, true, button, x, y)) return;
    const int cx = x + g_view.scrollX, cy = y + g_view.scrollY;
    const CanvasGrip grip = HitCanvasGrip(g_view.zoom, g_canvas.width, g_canvas.height, cx, cy);
    if (grip != CanvasGrip::None) {
        StartGripDrag(hwnd, grip, x, y);
        return;
    }
    if (StartPendingEditDrag(hwnd, false, button, x, y)) return;
    SettlePendingEdits(Settle::All);
    if (InsideZoomedPicture(cx, cy) && g_canvas.pixels) {
        StartToolDrag(hwnd, button, x, y);
        return;
    }
    if (button == MouseButton::Left)
        ResetRightClicks(&s.rightClicks);
    else
        CountRightClickOutside(hwnd);
}

static void EndGripDrag(HWND hwnd) {
    CanvasState& s = g_canvasState;
    s.dragging = false;
    s.grip = CanvasGrip::None;
    ReleaseCanvasCapture();
    const ResizeResult r = ResizeCanvasImage(s.gripWidth, s.gripHeight, PixelFromColor(g_colors.background), true);
    SetStatusText(kStatusDrag, L"");
    ReportResizeFailure(r, s.gripWidth, s.gripHeight);
    Repaint(hwnd);
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
        EndGripDrag(hwnd);
        return;
    }
    if (!s.dragging) return;
    s.dragging = false;
    ReleaseCanvasCapture();
    s.pointer = ClientToPicture(x, y);
    s.shiftHeld = (keys & MK_SHIFT) != 0;
    if (s.activeEdit >= 0) {
        const int edit = s.activeEdit;
        s.activeEdit = -1;
        if (auto release = PendingEditAt(edit).release) release(PendingPressAt(hwnd, s.dragButton, x, y));
    } else if (auto release = ToolRowOf(s.dragTool).release) {
        release(PointerOfDrag(hwnd, {x, y}));
    }
    SetStatusText(kStatusDrag, L"");
    Repaint(hwnd);
}

// The system sends the second press of a quick double click as this message instead of a button-down. A tool
// without a double-click action takes it as the press it also is, or every other of a run of quick dots would be
// lost; but not when the first press changed the tool (the colour picker), which would draw with the tool that
// was not clicked.
void OnCanvasDoubleClick(HWND hwnd, int x, int y) {
    ResetRightClicks(&g_canvasState.rightClicks);
    const ToolRow& row = ToolRowOf(g_tools.currentTool);
    if (row.doubleClick) {
        if (row.doubleClick()) Repaint(hwnd);
    } else if (g_canvasState.dragTool == g_tools.currentTool) {
        OnCanvasButtonDown(hwnd, MouseButton::Left, x, y);
    }
}

// Moves and resizes end where they are; shapes are simply not drawn, as if the drag never happened, and a
// freehand stroke keeps what it drew (its undo level exists already).
void CancelCanvasDrag(HWND hwnd) {
    CanvasState& s = g_canvasState;
    if (!s.dragging && !s.panning && s.grip == CanvasGrip::None) return;
    if (s.dragging && s.grip == CanvasGrip::None) {
        if (s.activeEdit >= 0) {
            if (auto cancel = PendingEditAt(s.activeEdit).cancel) cancel();
        } else if (auto cancel = ToolRowOf(s.dragTool).cancel) {
            POINT client{};
            cancel(PointerOfDrag(hwnd, client));
        }
    }
    const bool hadCapture = GetCapture() == hwnd;
    s.dragging = false;
    s.activeEdit = -1;
    s.panning = false;
    s.grip = CanvasGrip::None;
    if (hadCapture) ReleaseCanvasCapture();
    SetStatusText(kStatusDrag, L"");
    Repaint(hwnd);
}

void OnCanvasWheel(HWND hwnd, int delta, WPARAM keys, int screenX, int screenY) {
    const int step = WheelScrollStep(delta);
    if ((keys & MK_CONTROL) || GetKeyState(VK_CONTROL) < 0) {
        POINT p{screenX, screenY};
        ScreenToClient(hwnd, &p);
        SettlePendingEdits(Settle::Text);
        if (delta > 0) SetZoom(NextZoomIn(g_view.zoom), &p);
        if (delta < 0) SetZoom(NextZoomOut(g_view.zoom, g_canvas.width, g_canvas.height), &p);
        return;
    }
    if ((keys & MK_SHIFT) || GetKeyState(VK_SHIFT) < 0)
        g_view.scrollX -= step;
    else
        g_view.scrollY -= step;
    ClampScroll();
}

void OnCanvasHorizontalWheel(HWND hwnd, int delta) {
    (void)hwnd;
    g_view.scrollX += WheelScrollStep(delta);
    ClampScroll();
}

static LPCSTR GripCursor(CanvasGrip g) {
    switch (g) {
    case CanvasGrip::Corner: return IDC_SIZENWSE;
    case CanvasGrip::Right: return IDC_SIZEWE;
    case CanvasGrip::Bottom: return IDC_SIZENS;
    default: return IDC_ARROW;
    }
}

static LPCSTR ToolCursor(ToolId tool) {
    const ToolRow& row = ToolRowOf(tool);
    if (row.cursor) return row.cursor();
    return TraitsOf(tool).usesIBeam ? IDC_IBEAM : IDC_CROSS;
}

// By the pointer's place: the edits before the grips, the grips, the edits after them, the picture.
static LPCSTR HoverCursor(HWND hwnd) {
    const CanvasState& s = g_canvasState;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    const PendingPress at = PendingPressAt(hwnd, MouseButton::Left, p.x, p.y);
    if (LPCSTR c = PendingEditCursor(true, at)) return c;
    const CanvasGrip over = HitCanvasGrip(g_view.zoom, g_canvas.width, g_canvas.height, at.content.x, at.content.y);
    if (over != CanvasGrip::None) return GripCursor(over);
    if (LPCSTR c = PendingEditCursor(false, at)) return c;
    if (s.dragging || InsideZoomedPicture(at.content.x, at.content.y)) return ToolCursor(g_tools.currentTool);
    return IDC_ARROW;
}

void OnCanvasSetCursor(HWND hwnd) {
    const CanvasState& s = g_canvasState;
    if (s.spaceHeld || s.panning) {
        SetCursor(PanCursor(s.panning));
        return;
    }
    LPCSTR cursor = nullptr;
    if (s.dragging && s.activeEdit >= 0)
        if (auto edit = PendingEditAt(s.activeEdit).cursor)
            cursor = edit({hwnd, s.dragButton, {}, {}, s.pointer}, true);
    if (!cursor && s.grip != CanvasGrip::None) cursor = GripCursor(s.grip);
    if (!cursor) cursor = HoverCursor(hwnd);
    SetCursor(LoadCursorA(nullptr, cursor));
}
