#include "base/status_text.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "base/app_windows.h"
#include "base/text_convert.h"
#include "base/ui_thread.h"

void SetStatusText(int part, const wchar_t* text) {
    AssertUiThread();
    if (!text || !g_app.statusBar) return;
    if (SendMessageW(g_app.statusBar, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text))) return;
    SendMessageA(g_app.statusBar, SB_SETTEXTA, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(WideToAnsi(text).c_str()));
}

void SetStatusText(int part, const char* ansiText) {
    AssertUiThread();
    if (!ansiText || !g_app.statusBar) return;
    SendMessageA(g_app.statusBar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(ansiText));
}

std::wstring GetStatusText(int part) {
    if (!g_app.statusBar) return {};
    const LRESULT info = SendMessageW(g_app.statusBar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    std::vector<wchar_t> buf(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
    SendMessageW(g_app.statusBar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buf.data()));
    return buf.data();
}
