// The snip's life: the frozen screen and its dimmed copy, the overlay that shows them and takes the drag, and
// the end by a capture or a cancel.
#include "capture/snip_window.h"

#include <windowsx.h>

#include <cwchar>
#include <vector>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "capture/snip_output.h"
#include "document/canvas_image.h"
#include "document/undo_core.h"
#include "shell/dialog_frame.h"
#include "toolbox/colors.h"
#include "tools/pending_edits.h"

SnipState g_snip;

namespace {

constexpr COLORREF kFrameColor = RGB(0, 120, 215);
constexpr DWORD kHideSettleMs = 120; // for the hidden main window to leave the screen

void FreeSurface(SnipSurface& s) {
    if (s.dc) DeleteDC(s.dc);
    if (s.bitmap) DeleteObject(s.bitmap);
    s = {};
}

bool MakeDibSurface(HDC screen, SnipSurface* out) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = g_snip.area.width;
    info.bmiHeader.biHeight = -g_snip.area.height; // top-down, as the screen reads
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    out->dc = CreateCompatibleDC(screen);
    out->bitmap = out->dc ? g_createDibSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!out->bitmap || !bits) return false;
    out->pixels = static_cast<uint32_t*>(bits);
    SelectObject(out->dc, out->bitmap);
    return true;
}

bool MakeSurfaces() {
    const SnipRect& a = g_snip.area;
    ScopedGetDC screen(nullptr);
    if (!screen.get() || !MakeDibSurface(screen.get(), &g_snip.frozen) ||
        !BitBlt(g_snip.frozen.dc, 0, 0, a.width, a.height, screen.get(), a.left, a.top, SRCCOPY) ||
        !MakeDibSurface(screen.get(), &g_snip.dimmed))
        return false;
    GdiFlush();
    DimPixels(g_snip.frozen.pixels, g_snip.dimmed.pixels, static_cast<size_t>(a.width) * static_cast<size_t>(a.height));
    g_snip.back.dc = CreateCompatibleDC(screen.get());
    g_snip.back.bitmap = CreateCompatibleBitmap(screen.get(), a.width, a.height);
    if (!g_snip.back.dc || !g_snip.back.bitmap) return false;
    SelectObject(g_snip.back.dc, g_snip.back.bitmap);
    return true;
}

bool OpenOverlay() {
    const SnipRect& a = g_snip.area;
    g_snip.dragging = false;
    g_snip.start = g_snip.current = {};
    g_snip.overlay = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kSnipClass, kSnipTitle, WS_POPUP | WS_VISIBLE,
                                     a.left, a.top, a.width, a.height, nullptr, nullptr, g_app.instance, nullptr);
    if (!g_snip.overlay) return false;
    SetForegroundWindow(g_snip.overlay);
    SetFocus(g_snip.overlay);
    return true;
}

// Snip triggers wait for the question a dialog, a message box or an Open or Save dialog is asking.
bool IsSnipBlocked() { return ModalDialogDepth() > 0 || (g_app.main && !IsWindowEnabled(g_app.main)); }

void ShowMainWindowInFront() {
    if (!g_app.main) return;
    ShowWindow(g_app.main, SW_SHOW);
    SetForegroundWindow(g_app.main);
}

// A 2-pixel frame colour outline, nothing filled.
void PaintFrame(HDC hdc, const SnipRect& s) {
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 2, kFrameColor));
    ScopedSelectObject selPen(hdc, pen.get());
    ScopedSelectObject selBrush(hdc, GetStockObject(NULL_BRUSH));
    Rectangle(hdc, s.left, s.top, s.Right(), s.Bottom());
}

void PaintTextBox(HDC hdc, const SnipRect& r, COLORREF fill, COLORREF outline, const wchar_t* text) {
    ScopedGdiObj<HBRUSH> brush(CreateSolidBrush(fill));
    ScopedGdiObj<HPEN> pen(CreatePen(PS_SOLID, 1, outline));
    ScopedSelectObject selBrush(hdc, brush.get());
    ScopedSelectObject selPen(hdc, pen.get());
    ScopedSelectObject selFont(hdc, GetStockObject(DEFAULT_GUI_FONT));
    Rectangle(hdc, r.left, r.top, r.Right(), r.Bottom());
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(255, 255, 255));
    RECT box{r.left, r.top, r.Right(), r.Bottom()};
    DrawTextW(hdc, text, -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

SnipRect CurrentSelection() { return SpannedRect(g_snip.start.x, g_snip.start.y, g_snip.current.x, g_snip.current.y); }

// Only what the selection covers changes during a drag, so only that is painted again.
void InvalidateSelection(HWND hwnd) {
    const SnipRect d = SnipDamageRect(CurrentSelection(), g_snip.area.height);
    const RECT r{d.left, d.top, d.Right(), d.Bottom()};
    if (d.width > 0) InvalidateRect(hwnd, &r, FALSE);
}

// Overlay client coordinates; dirty is what must be right afterwards. Reads the snip, changes nothing.
void PaintSnipContent(HDC hdc, const RECT& dirty) {
    const SnipRect& a = g_snip.area;
    const int saved = SaveDC(hdc);
    BitBlt(hdc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, g_snip.dimmed.dc, dirty.left,
           dirty.top, SRCCOPY);
    const SnipRect s = CurrentSelection();
    if (g_snip.dragging && s.width > 0 && s.height > 0) {
        BitBlt(hdc, s.left, s.top, s.width, s.height, g_snip.frozen.dc, s.left, s.top, SRCCOPY);
        PaintFrame(hdc, s);
        wchar_t size[32];
        swprintf(size, 32, L"%d x %d", s.width, s.height);
        PaintTextBox(hdc, SnipLabelRect(s, a.height), RGB(30, 30, 30), RGB(100, 100, 100), size);
    }
    const SnipRect h = SnipHintRect(a.width);
    const RECT hint{h.left, h.top, h.Right(), h.Bottom()};
    RECT common;
    if (IntersectRect(&common, &hint, &dirty)) // text costs more than the blits of a small drag
        PaintTextBox(hdc, h, RGB(24, 24, 24), kFrameColor, L"Select an area to snip | ESC or Right-click to cancel");
    RestoreDC(hdc, saved);
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT& r = ps.rcPaint;
    if (g_snip.back.dc) { // the overlay lives only with all three surfaces
        PaintSnipContent(g_snip.back.dc, r);
        BitBlt(hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, g_snip.back.dc, r.left, r.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
}

// Signed: under the capture the pointer may leave the overlay; clipping then cuts the rectangle to the area.
POINT PointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

void OnLeftDown(HWND hwnd, POINT p) {
    SetFocus(hwnd);
    g_snip.dragging = true;
    InvalidateSelection(hwnd); // what an earlier press left
    g_snip.start = g_snip.current = p;
    SetCapture(hwnd);
}

void OnMouseMove(HWND hwnd, POINT p) {
    if (!g_snip.dragging) return;
    InvalidateSelection(hwnd);
    g_snip.current = p;
    InvalidateSelection(hwnd);
}

void OnLeftUp(POINT p) {
    if (!g_snip.dragging) return;
    g_snip.dragging = false;
    ReleaseCapture();
    g_snip.current = p;
    FinishScreenSnip();
}

void OnTimer(WPARAM id) {
    if (id == kSnipEscapeTimer && (GetAsyncKeyState(VK_ESCAPE) & 0x8000)) CancelScreenSnip();
}

// The overlay can go without the snip ending it (the session ends, another program destroys it): the snip
// ends as a cancel then, so that the main window comes back and a new snip can start.
void OnDestroy(HWND hwnd) {
    if (g_snip.overlay != hwnd) return;
    g_snip.overlay = nullptr;
    CancelScreenSnip();
}

} // namespace

LRESULT CALLBACK SnipOverlayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        SetTimer(hwnd, kSnipEscapeTimer, kSnipEscapePeriodMs, nullptr);
        SetFocus(hwnd);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    case WM_CLOSE: CancelScreenSnip(); return 0; // Alt+F4 too
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR: SetCursor(LoadCursorA(nullptr, IDC_CROSS)); return TRUE;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) CancelScreenSnip();
        return 0;
    case WM_RBUTTONDOWN: CancelScreenSnip(); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_LBUTTONDOWN: OnLeftDown(hwnd, PointOf(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(hwnd, PointOf(lParam)); return 0;
    case WM_LBUTTONUP: OnLeftUp(PointOf(lParam)); return 0;
    case WM_PAINT: OnPaint(hwnd); return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND SnipWindow() { return g_snip.overlay && IsWindow(g_snip.overlay) ? g_snip.overlay : nullptr; }

void StartScreenSnip() {
    if (SnipWindow()) return;
    ReleaseSnipResources(); // what an overlay that went by itself left
    if (IsSnipBlocked()) return;
    g_snip.restoreMainWindow = g_app.main && IsWindowVisible(g_app.main);
    if (g_snip.restoreMainWindow) {
        ShowWindow(g_app.main, SW_HIDE);
        Sleep(kHideSettleMs);
    }
    const ScreenMetrics m{GetSystemMetrics(SM_CXSCREEN),        GetSystemMetrics(SM_CYSCREEN),
                          GetSystemMetrics(SM_XVIRTUALSCREEN),  GetSystemMetrics(SM_YVIRTUALSCREEN),
                          GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (ChooseSnipArea(m, &g_snip.area) && MakeSurfaces() && OpenOverlay()) return;
    // Nothing to tell the user: the screen could not be frozen.
    ReleaseSnipResources();
    if (g_snip.restoreMainWindow && g_app.main) ShowWindow(g_app.main, SW_SHOW);
    g_snip.restoreMainWindow = false;
}

void FinishScreenSnip() {
    SnipRect r;
    if (!ClipSnipRect(g_snip.start.x, g_snip.start.y, g_snip.current.x, g_snip.current.y, g_snip.area.width,
                      g_snip.area.height, &r)) {
        CancelScreenSnip();
        return;
    }
    std::vector<uint32_t> capture;
    const bool copied = TryAllocatePixels(static_cast<uint64_t>(r.width) * static_cast<uint64_t>(r.height), &capture);
    bool onClipboard = false;
    if (copied) {
        GdiFlush();
        CopyCaptureRegion(g_snip.frozen.pixels, g_snip.area.width, r, capture.data());
        onClipboard = PutCaptureOnClipboard(capture.data(), r.width, r.height, g_snip.frozen.dc, r.left, r.top);
    }
    ReleaseSnipResources();
    g_snip.restoreMainWindow = false;
    ShowMainWindowInFront();
    if (!copied) {
        OwnedMessageBox(g_app.main, L"Not enough memory to paste this image.", L"Kolvex", MB_OK | MB_ICONWARNING);
        return;
    }
    SettlePendingEdits(Settle::All);
    if (!PutCaptureInPicture(capture.data(), r.width, r.height)) return; // the refusal's text stays
    wchar_t text[128];
    swprintf(text, 128,
             onClipboard ? L"Screen captured (%d x %d px) - Copied to clipboard & canvas."
                         : L"Screen captured (%d x %d px) - clipboard unavailable.",
             r.width, r.height);
    SetStatusText(kStatusMessage, text);
}

void CancelScreenSnip() {
    const bool restore = g_snip.restoreMainWindow;
    g_snip.restoreMainWindow = false;
    ReleaseSnipResources();
    if (restore) ShowMainWindowInFront();
    SetStatusText(kStatusMessage, L"Screen capture cancelled.");
}

void ReleaseSnipResources() {
    // Cleared first, so that the overlay's destroy notification knows the snip is ending already.
    HWND overlay = g_snip.overlay;
    g_snip.overlay = nullptr;
    g_snip.dragging = false;
    if (overlay && IsWindow(overlay)) {
        KillTimer(overlay, kSnipEscapeTimer);
        if (GetCapture() == overlay) ReleaseCapture();
        DestroyWindow(overlay);
    }
    FreeSurface(g_snip.back);
    FreeSurface(g_snip.dimmed);
    FreeSurface(g_snip.frozen);
}

bool IsPictureBlank() { return IsPictureBlank(CanvasPixels(), PixelFromColor(g_colors.background)); }

void RegisterSnipHotKeys(HWND main) {
    RegisterHotKey(main, kHotKeySnipWinShiftS, MOD_WIN | MOD_SHIFT, 'S');
    RegisterHotKey(main, kHotKeySnipCtrlShiftX, MOD_CONTROL | MOD_SHIFT, 'X');
    RegisterHotKey(main, kHotKeySnipPrintScreen, 0, VK_SNAPSHOT);
}

void UnregisterSnipHotKeys(HWND main) {
    UnregisterHotKey(main, kHotKeySnipWinShiftS);
    UnregisterHotKey(main, kHotKeySnipCtrlShiftX);
    UnregisterHotKey(main, kHotKeySnipPrintScreen);
}
