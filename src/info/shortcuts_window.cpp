#include "info/shortcuts_window.h"

#include "info/shortcuts_text_core.h"
#include "shell/dialog_frame.h"
#include "base/app_windows.h"

namespace {

// The field's own font, which the window deletes with itself; the stock fixed font when Courier New is missing.
HFONT CreateReferenceFont() {
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    return font ? font : static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
}

HWND AddReferenceText(HWND w) {
    constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
    HWND edit =
        CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", kStyle, 15, 15, 515, 410, w,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kShortcutsTextId)), g_app.instance, nullptr);
    if (!edit) return nullptr;
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(CreateReferenceFont()), TRUE);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ShortcutsReferenceText().c_str()));
    return edit;
}

void DeleteOwnFont(HWND hwnd) {
    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(hwnd, kShortcutsTextId, WM_GETFONT, 0, 0));
    if (font && font != GetStockObject(ANSI_FIXED_FONT)) DeleteObject(font);
}

} // namespace

HWND ShowShortcutsWindow(HWND owner) {
    if (!owner || !IsWindow(owner)) owner = g_app.main;
    HWND w = CreateDialogWindow(kShortcutsClass, ShortcutsWindowProc, L"Kolvex Keyboard Shortcuts Reference", 560, 520,
                                owner);
    if (!w) return nullptr;
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    AddReferenceText(w);
    HWND close = AddDialogControl(w, DialogControl::OkButton, L"Close", 430, 450, 95, 26);
    if (close) SetFocus(close);
    return w;
}

LRESULT CALLBACK ShortcutsWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd);
        return 0;
    case WM_CLOSE: CloseModelessWindow(hwnd); return 0;
    case WM_DESTROY:
        DeleteOwnFont(hwnd);
        OnDialogDestroyed(hwnd);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
