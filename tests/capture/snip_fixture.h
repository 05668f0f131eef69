// The snip tests' set-up: the real program, and a top-most window of the test process at a known place that
// shows a 256 x 256 pattern no two pixels of which are alike, so that a capture of it can be checked exactly.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/app_windows.h"
#include "capture/snip_window.h"
#include "document/canvas_image.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"

constexpr int kPatternX = 300, kPatternY = 200, kPatternSize = 256;

// Red = x, green = y, blue = x xor y, in pattern coordinates.
constexpr uint32_t PatternRgb(int x, int y) {
    return static_cast<uint32_t>(x & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 |
           static_cast<uint32_t>((x ^ y) & 0xFF);
}

namespace snipfixture {

inline constexpr wchar_t kPatternClass[] = L"KolvexSnipTestPatternClass";
inline HWND g_pattern = nullptr;

inline LRESULT CALLBACK PatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
    static std::vector<uint32_t> px = [] {
        std::vector<uint32_t> p(static_cast<size_t>(kPatternSize) * kPatternSize);
        for (int y = 0; y < kPatternSize; ++y)
            for (int x = 0; x < kPatternSize; ++x)
                p[static_cast<size_t>(y) * kPatternSize + x] = PatternRgb(x, y);
        return p;
    }();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kPatternSize;
    bi.bmiHeader.biHeight = -kPatternSize;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    SetDIBitsToDevice(hdc, 0, 0, kPatternSize, kPatternSize, 0, 0, 0, kPatternSize, px.data(), &bi, DIB_RGB_COLORS);
    EndPaint(hwnd, &ps);
    return 0;
}

inline bool ScreenShowsPattern() {
    HDC screen = GetDC(nullptr);
    bool shown = true;
    for (const POINT p : {POINT{0, 0}, POINT{255, 255}, POINT{17, 201}})
        shown = shown &&
                GetPixel(screen, kPatternX + p.x, kPatternY + p.y) == RGB(p.x & 0xFF, p.y & 0xFF, (p.x ^ p.y) & 0xFF);
    ReleaseDC(nullptr, screen);
    return shown;
}

inline BOOL CALLBACK CountOverlay(HWND hwnd, LPARAM count) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpW(cls, kSnipClass) == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

} // namespace snipfixture

class SnipFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = snipfixture::PatternProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = snipfixture::kPatternClass;
        RegisterClassExW(&wc); // a second test in this process finds it registered
        pattern_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, snipfixture::kPatternClass,
                                   L"Pattern", WS_POPUP | WS_VISIBLE, kPatternX, kPatternY, kPatternSize, kPatternSize,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(pattern_, nullptr);
        snipfixture::g_pattern = pattern_;
        ASSERT_TRUE(PumpUntil(snipfixture::ScreenShowsPattern)) << "the pattern never reached the screen";
    }

    void TearDown() override {
        ReleaseSnipResources();
        g_createDibSection = &CreateDIBSection;
        if (pattern_) DestroyWindow(pattern_);
        snipfixture::g_pattern = nullptr;
        AppFixture::TearDown();
    }

    HWND pattern_ = nullptr;
};

inline HWND StartSnipByHotKey() {
    Post(g_app.main, WM_HOTKEY, kHotKeySnipPrintScreen, MAKELPARAM(0, VK_SNAPSHOT));
    return SnipWindow();
}

inline void DragOverlay(int x0, int y0, int x1, int y1) {
    HWND overlay = SnipWindow();
    Post(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    for (int i = 1; i <= 3; ++i)
        Post(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0 + (x1 - x0) * i / 3, y0 + (y1 - y0) * i / 3));
    Post(overlay, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
}

inline void SnipPattern(int x, int y, int width, int height) {
    // Wine raises the main window above top-most ones when it takes the foreground after a capture; the pattern
    // belongs to this thread, which the start blocks, so it must be back on the screen before.
    SetForegroundWindow(snipfixture::g_pattern);
    ASSERT_TRUE(PumpUntil(snipfixture::ScreenShowsPattern)) << "the pattern is not on the screen";
    ASSERT_NE(StartSnipByHotKey(), nullptr);
    DragOverlay(kPatternX + x, kPatternY + y, kPatternX + x + width, kPatternY + y + height);
}

inline int CountOverlays() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), snipfixture::CountOverlay, reinterpret_cast<LPARAM>(&n));
    return n;
}

// How many pixels of the width x height view, read with read(x, y), differ from the pattern at (x0, y0);
// where describes the first of them.
template <class Read> int PatternMismatches(Read read, int x0, int y0, int width, int height, std::string* where) {
    int n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t got = read(x, y) & 0xFFFFFFu, want = PatternRgb(x0 + x, y0 + y);
            if (got == want) continue;
            if (n++ == 0) *where = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(got);
        }
    return n;
}
