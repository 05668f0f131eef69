#include "tools/canvas_window.h"

#include <windowsx.h>

#include "base/app_windows.h"
#include "document/document_state.h"
#include "document/view_state.h"
#include "tools/canvas_state.h"
#include "tools/selection.h"
#include "tools/text_tool.h"

CanvasState g_canvasState;

bool CanPanWithSpace() {
    if (IsTextEditingActive()) return false;
    HWND focus = GetFocus();
    if (!focus) return true;
    if (focus == TextEditWindow()) return false;
    if (focus == g_app.main || focus == g_app.canvas || focus == g_app.toolBox || focus == g_app.colorBox) return true;
    return g_app.main && IsChild(g_app.main, focus);
}

bool IsSpaceHeld() { return g_canvasState.spaceHeld; }
bool IsPanning() { return g_canvasState.panning; }

HCURSOR PanCursor(bool panning) {
    static HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    static HCURSOR sizeAll = LoadCursorA(nullptr, IDC_SIZEALL);
    HCURSOR c = panning ? sizeAll : (hand ? hand : sizeAll);
    return c ? c : LoadCursorA(nullptr, IDC_ARROW);
}

static bool PointerOverCanvas() {
    POINT p;
    return g_app.canvas && GetCursorPos(&p) && WindowFromPoint(p) == g_app.canvas;
}

void ArmSpacePan() {
    if (g_canvasState.spaceHeld) return;
    g_canvasState.spaceHeld = true;
    if (PointerOverCanvas()) SetCursor(PanCursor(g_canvasState.panning));
}

void ReleaseSpacePan() {
    g_canvasState.spaceHeld = false;
    if (g_canvasState.panning) {
        g_canvasState.panning = false;
        if (g_app.canvas) ReleaseCanvasCapture();
    }
    if (g_app.canvas)
        SendMessageW(g_app.canvas, WM_SETCURSOR, reinterpret_cast<WPARAM>(g_app.canvas),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void ReleaseCanvasCapture() {
    g_canvasState.releasingCapture = true;
    ReleaseCapture();
    g_canvasState.releasingCapture = false;
}

int CanvasAntsPhase() { return g_canvasState.antsPhase; }

void DrawMarchingAnts(HDC surface, int x0, int y0, int x1, int y1, int phase, const RECT* clip) {
    ContentRect c{-kMaxContent, -kMaxContent, kMaxContent, kMaxContent};
    if (clip) c = {clip->left, clip->top, clip->right, clip->bottom};
    ForEachAntsPixel(x0, y0, x1, y1, phase, c, [&](int x, int y, bool white) {
        SetPixelV(surface, x, y, white ? RGB(255, 255, 255) : RGB(0, 0, 0));
    });
}

static void OnKeyDown(WPARAM key, LPARAM keyData) {
    if (key == VK_SPACE) {
        if (!g_canvasState.spaceHeld && CanPanWithSpace()) ArmSpacePan();
        return;
    }
    // The message loop takes the shortcuts before a key reaches here; one sent straight to the canvas goes to the
    // main window, which takes them too.
    if (g_app.main) SendMessageW(g_app.main, WM_KEYDOWN, key, keyData);
}

RECT CanvasVisibleContent() {
    RECT rc{0, 0, 0, 0};
    if (g_app.canvas) GetClientRect(g_app.canvas, &rc);
    return {g_view.scrollX, g_view.scrollY, g_view.scrollX + rc.right, g_view.scrollY + rc.bottom};
}

static void OnTimer(HWND hwnd, UINT_PTR id) {
    if (id == kToolTimer) OnCanvasToolTimer(hwnd);
    // The ants move only around a selection; the grip-drag outline stands still.
    if (id == kAntsTimer && HasSelection()) {
        g_canvasState.antsPhase = (g_canvasState.antsPhase + 1) % kAntsPhases;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

static void OnViewChanged(bool zoomChanged) {
    PlaceTextEdit(); // the box keeps its place on the picture, not on the screen
    RepaintCanvas();
    // The magnifier's panel shows the zoom.
    if (zoomChanged) RepaintToolBox();
}

// The text box's edit takes the box's colours; any other control the default ones.
static LRESULT OnControlColor(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HBRUSH brush = nullptr;
    if (TextEditColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), &brush))
        return reinterpret_cast<LRESULT>(brush);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

static LRESULT OnCreate(HWND hwnd) {
    g_canvasState = {};
    ResetToolDragStates();
    g_documentListener.viewChanged = OnViewChanged;
    g_documentListener.pictureReplaced = RepaintCanvas;
    g_documentListener.dropPendingEdits = DropPendingEdits;
    g_documentListener.floatingPresent = SelectionFloats;
    g_documentListener.composeFloating = ComposeFloatingSelection;
    SetTimer(hwnd, kAntsTimer, 200, nullptr);
    return 0;
}

LRESULT CALLBACK CanvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_DESTROY:
        KillTimer(hwnd, kAntsTimer);
        KillTimer(hwnd, kToolTimer);
        FreeCanvasBuffer();
        return 0;
    case WM_KILLFOCUS: ResetRightClicks(&g_canvasState.rightClicks); break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: PaintCanvas(hwnd); return 0;
    case WM_SETCURSOR: OnCanvasSetCursor(hwnd); return TRUE;
    case WM_TIMER: OnTimer(hwnd, wParam); return 0;
    case WM_KEYDOWN:
        if (IsTextEditingActive()) break;
        OnKeyDown(wParam, lParam);
        return 0;
    case WM_KEYUP:
        if (wParam != VK_SPACE) break;
        ReleaseSpacePan();
        return 0;
    case WM_CHAR:
        if (!IsTextEditingActive() && g_app.main) return SendMessageW(g_app.main, WM_CHAR, wParam, lParam);
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: return OnControlColor(hwnd, msg, wParam, lParam);
    case WM_MOUSEMOVE: OnCanvasMouseMove(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam); return 0;
    case WM_LBUTTONDOWN:
        OnCanvasButtonDown(hwnd, MouseButton::Left, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnCanvasButtonDown(hwnd, MouseButton::Right, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: OnCanvasButtonUp(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam); return 0;
    case WM_LBUTTONDBLCLK: OnCanvasDoubleClick(hwnd, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSEWHEEL:
        OnCanvasWheel(hwnd, GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam), GET_X_LPARAM(lParam),
                      GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEHWHEEL: OnCanvasHorizontalWheel(hwnd, GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd && !g_canvasState.releasingCapture) CancelCanvasDrag(hwnd);
        return 0;
    case WM_CANCELMODE: CancelCanvasDrag(hwnd); break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
