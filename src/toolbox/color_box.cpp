#include "toolbox/color_box.h"

#include <commdlg.h>
#include <windowsx.h>

#include "base/app_windows.h"
#include "base/loaders.h"
#include "base/scoped_handles.h"
#include "tools/text_tool.h"
#include "toolbox/color_box_core.h"
#include "toolbox/shortcuts.h"

static void FillFramed(HDC hdc, RECT r, COLORREF color, UINT edge) {
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(color));
    FillRect(hdc, &r, brush.get());
    DrawEdge(hdc, &r, edge, BF_RECT);
}

static void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT well{4, 4, 36, 36};
    DrawEdge(hdc, &well, EDGE_SUNKEN, BF_RECT);
    FillFramed(hdc, {16, 16, 32, 32}, g_colors.background, EDGE_RAISED);
    FillFramed(hdc, {8, 8, 24, 24}, g_colors.foreground, EDGE_RAISED);
    for (int i = 0; i < kPaletteSize; ++i) {
        const SwatchRect s = PaletteSwatchRect(i);
        FillFramed(hdc, {s.left, s.top, s.right, s.bottom}, kPalette[i], EDGE_SUNKEN);
    }
    EndPaint(hwnd, &ps);
}

static bool ChooseColorFor(HWND owner, COLORREF* color, COLORREF* custom) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = *color;
    cc.lpCustColors = custom;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    const auto choose = LoadCommonDialogApi().chooseColor;
    if (!choose || !choose(&cc)) return false;
    *color = cc.rgbResult;
    return true;
}

// True when the click was the colour box's; an open text box takes the new colours.
static bool OnButtonDown(HWND hwnd, bool right, int x, int y) {
    COLORREF* target = right ? &g_colors.background : &g_colors.foreground;
    const ColorBoxHit hit = HitColorBox(x, y);
    if (hit.kind == ColorBoxHit::Kind::None) return false;
    if (hit.kind == ColorBoxHit::Kind::Palette) *target = kPalette[hit.index];
    if (hit.kind == ColorBoxHit::Kind::Well) ChooseColorFor(hwnd, target, g_colors.wellCustom);
    TextBoxColorsChanged();
    InvalidateRect(hwnd, nullptr, FALSE);
    return true;
}

void EditColors() {
    if (!ChooseColorFor(g_app.main, &g_colors.foreground, g_colors.editColorsCustom)) return;
    TextBoxColorsChanged();
    if (g_app.colorBox) InvalidateRect(g_app.colorBox, nullptr, TRUE);
    if (g_app.canvas) InvalidateRect(g_app.canvas, nullptr, FALSE);
}

LRESULT CALLBACK ColorBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: OnPaint(hwnd); return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorA(nullptr, IDC_ARROW)); return TRUE;
    case WM_KEYDOWN:
        if (!HandleShortcutKey(static_cast<UINT>(wParam), lParam, hwnd) && g_app.main)
            SendMessageW(g_app.main, WM_KEYDOWN, wParam, lParam);
        return 0;
    case WM_CHAR: HandleShortcutChar(wParam); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (OnButtonDown(hwnd, msg == WM_RBUTTONDOWN, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
