#include "info/about_window.h"

#include <cstring>
#include <string>

#include "info/shortcuts_window.h"
#include "shell/dialog_frame.h"
#include "base/app_windows.h"
#include "update/update_core.h"
#include "update/update_window.h"

namespace {

// When this build was made, shown as it was stamped.
constexpr wchar_t kBuildDate[] = L"Oct 28 2026";
constexpr wchar_t kBuildTime[] = L"09:47:29";

constexpr wchar_t kFeatures[] = L"- Pure Win32 GDI C++ Architecture (0ms Startup, <5MB RAM)\r\n"
                                L"- All 18 Classic Paint Tools & 28-Color Palette Bar\r\n"
                                L"- 1,000-Level Disk-Spooled Undo & Redo (Ctrl+Z / Ctrl+Y)\r\n"
                                L"- Pixel Art Zoom (down to 10px side / up to 1600%) with Grid (Ctrl+G)\r\n"
                                L"- Floating Selection & Mosaic Filters (Ctrl+M)\r\n"
                                L"- Full Win95 / Win98 / WinXP / Win7 / Win10 / Win11 Compatibility";

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

// The icon, which the window destroys with itself; the shared default icon when the program's is missing.
void AddIcon(HWND w) {
    HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON, 20, 20, 32, 32, w, nullptr,
                                 g_app.instance, nullptr);
    if (!label) return;
    HANDLE icon = LoadImageW(g_app.instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0);
    if (!icon) icon = LoadIconA(nullptr, IDI_APPLICATION);
    SendMessageW(label, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void DestroyOwnIcon(HWND hwnd) {
    HWND label = FindWindowExW(hwnd, nullptr, L"STATIC", nullptr);
    for (; label; label = FindWindowExW(hwnd, label, L"STATIC", nullptr)) {
        if (!(GetWindowLongW(label, GWL_STYLE) & SS_ICON)) continue;
        HICON icon = reinterpret_cast<HICON>(SendMessageW(label, STM_GETICON, 0, 0));
        if (icon && icon != LoadIconA(nullptr, IDI_APPLICATION)) DestroyIcon(icon);
        return;
    }
}

// A label that shows an ampersand as itself, in the frame's font.
void AddPlainLabel(HWND w, const wchar_t* text, int x, int y, int width, int height) {
    HWND label = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, x, y, width, height,
                                 w, nullptr, g_app.instance, nullptr);
    if (label) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
}

HWND AddControls(HWND w) {
    AddIcon(w);
    const std::wstring version = L"Version " + Widen(kProgramVersion) + L"  (Build: " + Widen(kProgramBuild) + L")";
    const std::wstring compiled =
        std::wstring(L"Compiled: ") + kBuildDate + L" " + kBuildTime + L"  [Pure Static i686 Win32 GDI]";
    AddPlainLabel(w, L"Kolvex (Vantrelo)", 65, 18, 360, 20);
    AddPlainLabel(w, version.c_str(), 65, 40, 360, 18);
    AddPlainLabel(w, compiled.c_str(), 65, 60, 360, 18);
    // A button's text takes "&" as a mnemonic mark; doubled, it shows as itself.
    AddDialogControl(w, DialogControl::GroupBox, L"Key Features && Capabilities", 20, 88, 405, 180);
    AddPlainLabel(w, kFeatures, 35, 112, 380, 145);
    AddDialogControl(w, DialogControl::Button, L"&Shortcuts...", 20, 280, 105, 28, kAboutShortcutsId);
    AddDialogControl(w, DialogControl::Button, L"Check for &Updates...", 140, 280, 160, 28, kAboutCheckUpdatesId);
    return AddDialogControl(w, DialogControl::OkButton, L"OK", 315, 280, 110, 28);
}

void OnCommand(HWND hwnd, int id) {
    switch (id) {
    case IDOK:
    case IDCANCEL: DestroyWindow(hwnd); return;
    case kAboutCheckUpdatesId: {
        // Read before the window goes: a destroyed window has no owner, and the check needs one for its boxes.
        HWND owner = DialogOwner(hwnd);
        DestroyWindow(hwnd);
        CheckForUpdates(owner);
        return;
    }
    case kAboutShortcutsId: ShowShortcutsWindow(DialogOwner(hwnd)); return;
    default: return;
    }
}

} // namespace

HWND ShowAboutWindow(HWND owner) {
    if (!owner || !IsWindow(owner)) owner = g_app.main;
    HWND w = CreateDialogWindow(kAboutClass, AboutWindowProc, L"About Kolvex", 450, 330, owner);
    if (!w) return nullptr;
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND ok = AddControls(w);
    if (ok) SetFocus(ok);
    return ok;
}

LRESULT CALLBACK AboutWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: OnCommand(hwnd, LOWORD(wParam)); return 0;
    case WM_CLOSE: CloseModelessWindow(hwnd); return 0;
    case WM_DESTROY:
        DestroyOwnIcon(hwnd);
        OnDialogDestroyed(hwnd);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
