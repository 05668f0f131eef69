// A second Wine program for the end-to-end snip tests: a borderless top-most window "Kolvex Snip Pattern" that
// shows a BMP file 1:1 at a given screen position, since X windows of other programs capture as black inside
// Wine's desktop. It reports on stdout what reaches it: "ready", "active", "inactive", "key <vk>", "hotkey". When the
// request file appears it deletes it and takes the foreground ("focused"), which no X tool can give a Wine window over
// a top-most one. With "grab" it first registers Ctrl+Shift+X itself ("grabbed 1" or "grabbed 0") and gives it up at
// the first WM_HOTKEY ("released"). Nothing of the program is linked.
//   kolvex_snip_pattern <file.bmp> <x> <y> <request file> [grab]
// It ends on WM_CLOSE or after 120 s.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int kGrabId = 1;
constexpr UINT_PTR kEndTimer = 1, kRequestTimer = 2;
HBITMAP g_picture = nullptr;
const wchar_t* g_request = nullptr;
SIZE g_size{};

void Say(const char* what, unsigned value = 0, bool withValue = false) {
    if (withValue)
        std::printf("%s %u\n", what, value);
    else
        std::printf("%s\n", what);
    std::fflush(stdout);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    HDC mem = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(mem, g_picture);
    BitBlt(hdc, 0, 0, g_size.cx, g_size.cy, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ACTIVATE: Say(LOWORD(wParam) == WA_INACTIVE ? "inactive" : "active"); return 0;
    case WM_KEYDOWN: Say("key", static_cast<unsigned>(wParam), true); return 0;
    case WM_HOTKEY:
        Say("hotkey");
        if (wParam == kGrabId && UnregisterHotKey(hwnd, kGrabId)) Say("released");
        return 0;
    case WM_TIMER:
        if (wParam == kEndTimer) DestroyWindow(hwnd);
        if (wParam == kRequestTimer && DeleteFileW(g_request)) {
            SetForegroundWindow(hwnd);
            SetFocus(hwnd);
            Say(GetForegroundWindow() == hwnd ? "focused" : "not focused");
        }
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    g_request = argv[4];
    g_picture = static_cast<HBITMAP>(LoadImageW(nullptr, argv[1], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP info{};
    if (!g_picture || !GetObjectW(g_picture, sizeof info, &info)) return 1;
    g_size = {info.bmWidth, info.bmHeight};
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KolvexSnipPatternClass";
    if (!RegisterClassExW(&wc)) return 1;
    HWND w =
        CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Kolvex Snip Pattern", WS_POPUP | WS_VISIBLE, _wtoi(argv[2]),
                        _wtoi(argv[3]), g_size.cx, g_size.cy, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    if (argc > 5 && std::wcscmp(argv[5], L"grab") == 0)
        Say("grabbed", RegisterHotKey(w, kGrabId, MOD_CONTROL | MOD_SHIFT, 'X') ? 1u : 0u, true);
    UpdateWindow(w);
    Say("ready");
    SetTimer(w, kEndTimer, 120000, nullptr);
    SetTimer(w, kRequestTimer, 50, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DeleteObject(g_picture);
    return 0;
}
