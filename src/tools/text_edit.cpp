// The text box's edit control: its subclass procedure, which paints the picture or the background colour under
// the typing, lets presses on the box's frame reach the canvas and keeps Esc, Ctrl+A and Ctrl+Z to the box.
#include <windowsx.h>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/view_state.h"
#include "tools/text_box.h"
#include "tools/text_tool.h"
#include "toolbox/colors.h"
#include "toolbox/tool_state.h"

static LRESULT Previous(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(g_textBox.previousProc, hwnd, msg, wParam, lParam);
}

// A transparent edit draws its text without erasing; each change is painted again over the picture.
static LRESULT PreviousThenRepaint(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT r = Previous(hwnd, msg, wParam, lParam);
    if (g_tools.textTransparent && IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

// Transparent: the picture under the box, from inside the same inset the commit keeps, so what shows under the
// typing is where the text lands. Opaque: the background colour.
static void EraseBackground(HWND hwnd, HDC dc) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!g_tools.textTransparent) {
        ScopedGdiObj<HBRUSH> fill(CreateSolidBrush(g_colors.background));
        FillRect(dc, &rc, fill.get());
        return;
    }
    if (!g_canvas.memDC) return;
    const EditPlacement s = EditBackgroundSource(g_textBox.rect, g_view.zoom);
    GdiFlush();
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, rc.right, rc.bottom, g_canvas.memDC, s.x, s.y, s.width, s.height, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

static POINT CursorContentPoint() {
    POINT p{};
    GetCursorPos(&p);
    if (g_app.canvas) ScreenToClient(g_app.canvas, &p);
    return {p.x + g_view.scrollX, p.y + g_view.scrollY};
}

static bool SetFrameCursor() {
    LPCSTR cursor = TextBoxCursorAt(CursorContentPoint());
    if (!cursor) return false;
    SetCursor(LoadCursorA(nullptr, cursor));
    return true;
}

// A press on a handle or the border band inside the edit is the canvas's: it starts the resize or the move there.
static bool PressOnFrame(HWND hwnd, WPARAM keys, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!g_app.canvas) return false;
    MapWindowPoints(hwnd, g_app.canvas, &p, 1);
    if (!TextBoxCursorAt({p.x + g_view.scrollX, p.y + g_view.scrollY})) return false;
    SendMessageW(g_app.canvas, WM_LBUTTONDOWN, keys, MAKELPARAM(p.x, p.y));
    return true;
}

static bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

// True when the key was the box's own.
static bool OnKeyDown(HWND hwnd, WPARAM key) {
    if (key == VK_ESCAPE) {
        CancelTextBox();
        return true;
    }
    if (!CtrlHeld()) return false;
    if (key == 'A') SendMessageW(hwnd, EM_SETSEL, 0, -1);
    if (key == 'Z') SendMessageW(hwnd, EM_UNDO, 0, 0);
    return key == 'A' || key == 'Z';
}

// Ctrl+A and Ctrl+Z acted at the key-down; their characters would undo the undo again.
static bool IsHandledControlCharacter(WPARAM c) { return c == 0x01 || c == 0x1A; }

LRESULT CALLBACK TextEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool ours = g_textBox.open && hwnd == g_textBox.edit;
    switch (msg) {
    case WM_SIZE: {
        const LRESULT r = Previous(hwnd, msg, wParam, lParam);
        ResetEditLayout(hwnd);
        return r;
    }
    case WM_ERASEBKGND:
        if (!ours) break;
        EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_SETCURSOR:
        if (ours && SetFrameCursor()) return TRUE;
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (ours && OnKeyDown(hwnd, wParam)) return 0;
        return PreviousThenRepaint(hwnd, msg, wParam, lParam);
    case WM_CHAR:
        if (IsHandledControlCharacter(wParam)) return 0;
        return PreviousThenRepaint(hwnd, msg, wParam, lParam);
    case WM_KEYUP:
    case WM_VSCROLL:
    case WM_LBUTTONUP:
    case WM_PASTE: return PreviousThenRepaint(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN:
        if (ours && PressOnFrame(hwnd, wParam, lParam)) return 0;
        break;
    case WM_NCDESTROY: ForgetTextEdit(hwnd); break;
    default: break;
    }
    return Previous(hwnd, msg, wParam, lParam);
}
