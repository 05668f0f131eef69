#include "shell/status_bar.h"

#include <commctrl.h>

#include "base/app_windows.h"
#include "base/text_convert.h"
#include "document/document_state.h"

// Part 1 fits "-123456, -123456" and part 2 "100000 x 100000" in the GUI font.
constexpr int kPointerPartWidth = 120;
constexpr int kDragPartWidth = 130;

HWND CreateStatusBar(HWND parent) {
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    return bar;
}

void SizeStatusParts(int clientWidth) {
    if (!g_app.statusBar) return;
    int edges[3] = {clientWidth - kPointerPartWidth - kDragPartWidth, clientWidth - kDragPartWidth, -1};
    if (edges[0] < 0) edges[0] = 0;
    if (edges[1] < edges[0]) edges[1] = edges[0];
    SendMessageW(g_app.statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void UpdateWindowTitle() {
    if (!g_app.main) return;
    std::wstring name = g_document.path.empty() ? std::wstring() : Utf8ToWide(g_document.path);
    if (name.empty()) name = L"Untitled";
    std::wstring caption = name + (g_document.modified ? L" *" : L"") + L" - Kolvex";
    if (!SetWindowTextW(g_app.main, caption.c_str())) SetWindowTextA(g_app.main, WideToAnsi(caption).c_str());
}
