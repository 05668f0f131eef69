#include "toolbox/tool_box_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstddef>
#include <string>

#include "base/app_windows.h"
#include "base/loaders.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "toolbox/shortcuts.h"
#include "toolbox/thickness_dialog.h"
#include "toolbox/tool_actions.h"
#include "toolbox/tool_box_core.h"
#include "toolbox/tool_box_paint.h"
#include "tools/path_tool.h"

namespace {

// UI thread only; all live until exit (the tooltip window until the tool box goes). The tooltips are built at
// the first pointer move over the tool box, not at start-up.
HWND g_toolTip = nullptr;
bool g_toolTipBuilt = false;
HFONT g_toolTipFont = nullptr;

HFONT ToolTipFont() {
    if (!g_toolTipFont)
        g_toolTipFont = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");
    return g_toolTipFont ? g_toolTipFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Older common-controls libraries refuse the current structure size: retry with the shorter one, then ANSI.
bool AddToolTip(HWND toolBox, int k) {
    const BoxRect b = ToolButtonRect(k);
    const UINT sizes[2] = {sizeof(TTTOOLINFOW), static_cast<UINT>(offsetof(TTTOOLINFOW, lpReserved))};
    for (UINT size : sizes) {
        TTTOOLINFOW ti = {};
        ti.cbSize = size;
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = toolBox;
        ti.uId = static_cast<UINT_PTR>(k);
        ti.rect = RECT{b.left, b.top, b.right, b.bottom};
        ti.lpszText = const_cast<wchar_t*>(ToolInfoOf(static_cast<ToolId>(k)).tooltip);
        if (SendMessageW(g_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) return true;
    }
    char ansi[128] = {};
    WideCharToMultiByte(CP_ACP, 0, ToolInfoOf(static_cast<ToolId>(k)).tooltip, -1, ansi, sizeof ansi, nullptr, nullptr);
    ansi[sizeof ansi - 1] = 0;
    const UINT ansiSizes[2] = {sizeof(TTTOOLINFOA), static_cast<UINT>(offsetof(TTTOOLINFOA, lpReserved))};
    for (UINT size : ansiSizes) {
        TTTOOLINFOA ti = {};
        ti.cbSize = size;
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = toolBox;
        ti.uId = static_cast<UINT_PTR>(k);
        ti.rect = RECT{b.left, b.top, b.right, b.bottom};
        ti.lpszText = ansi;
        if (SendMessageA(g_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti))) return true;
    }
    return false;
}

void BuildToolTips(HWND toolBox) {
    g_toolTipBuilt = true;
    g_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, toolBox, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!g_toolTip) return; // the tool box works on without tooltips
    SendMessageW(g_toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(ToolTipFont()), FALSE);
    SendMessageW(g_toolTip, TTM_SETDELAYTIME, TTDT_INITIAL, 200);
    SendMessageW(g_toolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 5000);
    SendMessageW(g_toolTip, TTM_SETDELAYTIME, TTDT_RESHOW, 50);
    for (int k = 0; k < kToolCount; ++k)
        AddToolTip(toolBox, k);
    SendMessageW(g_toolTip, TTM_ACTIVATE, TRUE, 0);
    SetWindowPos(g_toolTip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT OnLButtonDown(HWND hwnd, int x, int y, WPARAM wParam, LPARAM lParam) {
    const int button = ToolButtonAt(x, y);
    if (button >= 0) {
        SetTool(static_cast<ToolId>(button));
        return 0;
    }
    const PanelClickResult r = PanelClick(&g_tools, x, y, PathAnchorCount());
    if (!r.hit) return DefWindowProcW(hwnd, WM_LBUTTONDOWN, wParam, lParam);
    ApplyOptionEffects({r.action, r.zoom, r.textBackgroundChanged, &r.status, true, r.repaintCanvas});
    return 0;
}

LRESULT OnMouseMove(HWND hwnd, int x, int y) {
    if (!g_toolTipBuilt) {
        BuildToolTips(hwnd);
        // The tooltip sees the tool box's messages from the next one on; this one starts its timer.
        MSG move = {hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), static_cast<DWORD>(GetMessageTime()), {}};
        if (g_toolTip) SendMessageW(g_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
    }
    if (auto track = LoadTrackMouseApi().trackMouseEvent) {
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
        track(&tme);
    }
    const int button = ToolButtonAt(x, y);
    if (button >= 0) {
        const ToolInfo& info = ToolInfoOf(static_cast<ToolId>(button));
        SetStatusText(kStatusMessage, info.hover ? info.hover : info.description);
        return 0;
    }
    const std::wstring text = PanelHoverText(g_tools, x, y);
    if (!text.empty()) SetStatusText(kStatusMessage, text.c_str());
    return 0;
}

LRESULT OnDoubleClick(int y) {
    if (y >= kOptionAreaTop) OpenThicknessDialog(g_app.main);
    return 0;
}

LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    ScopedMemDC mem(hdc);
    ScopedGdiObj<HBITMAP> buffer(CreateCompatibleBitmap(hdc, client.right, client.bottom));
    if (mem.get() && buffer.get()) {
        ScopedSelectObject sel(mem.get(), buffer.get());
        PaintToolBoxContent(mem.get(), client);
        BitBlt(hdc, 0, 0, client.right, client.bottom, mem.get(), 0, 0, SRCCOPY);
    } else {
        PaintToolBoxContent(hdc, client);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT OnKeyDown(HWND hwnd, WPARAM key, LPARAM keyData) {
    if (!HandleShortcutKey(static_cast<UINT>(key), keyData, hwnd) && g_app.main)
        SendMessageW(g_app.main, WM_KEYDOWN, key, keyData);
    return 0;
}

LRESULT OnDestroy() {
    if (g_toolTip && IsWindow(g_toolTip)) DestroyWindow(g_toolTip); // owned windows may already be gone
    g_toolTip = nullptr;
    g_toolTipBuilt = false;
    return 0;
}

} // namespace

LRESULT CALLBACK ToolBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_DESTROY: return OnDestroy();
    case WM_PAINT: return OnPaint(hwnd);
    case WM_ERASEBKGND: return 1; // the paint fills everything from a back buffer
    case WM_SETCURSOR: SetCursor(LoadCursorA(nullptr, IDC_ARROW)); return TRUE;
    case WM_KEYDOWN: return OnKeyDown(hwnd, wParam, lParam);
    case WM_CHAR: HandleShortcutChar(wParam); return 0;
    case WM_MOUSEMOVE: return OnMouseMove(hwnd, x, y);
    case WM_LBUTTONDOWN: return OnLButtonDown(hwnd, x, y, wParam, lParam);
    case WM_LBUTTONDBLCLK: return OnDoubleClick(y);
    case WM_MOUSELEAVE: ShowToolDescription(); return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND ToolBoxToolTip() { return g_toolTip; }
