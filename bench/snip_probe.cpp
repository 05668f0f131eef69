// snip_probe [moves]: how long the real overlay takes to repaint for one pointer move during a drag, against one
// plain BitBlt of the whole area into the same window. Prints "<name> <value>" lines and nothing else on success.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/scoped_handles.h"
#include "capture/snip_window.h"
#include "shell/app.h"

static double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The mean of moves drags steps: a pointer move to the overlay, then its repaint, the way the loop serves it.
static double RepaintMs(HWND overlay, int moves) {
    SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    UpdateWindow(overlay);
    const double t0 = NowMs();
    for (int i = 0; i < moves; ++i) {
        SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200 + i % 500, 150 + i % 400));
        UpdateWindow(overlay);
        GdiFlush();
    }
    return (NowMs() - t0) / moves;
}

static double PlainBlitMs(HWND overlay, int width, int height, int moves) {
    ScopedGetDC window(overlay);
    ScopedMemDC mem(window.get());
    ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(window.get(), width, height));
    if (!mem.get() || !bitmap.get()) return -1;
    ScopedSelectObject sel(mem.get(), bitmap.get());
    PatBlt(mem.get(), 0, 0, width, height, WHITENESS);
    const double t0 = NowMs();
    for (int i = 0; i < moves; ++i) {
        BitBlt(window.get(), 0, 0, width, height, mem.get(), 0, 0, SRCCOPY);
        GdiFlush();
    }
    return (NowMs() - t0) / moves;
}

int main(int argc, char** argv) {
    const int moves = std::max(1, argc > 1 ? std::atoi(argv[1]) : 300);
    HWND main = StartApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    if (!main) return 1;
    StartScreenSnip();
    HWND overlay = SnipWindow();
    if (!overlay) {
        std::fprintf(stderr, "snip_probe: no overlay\n");
        return 1;
    }
    const int width = g_snip.area.width, height = g_snip.area.height;
    const double blit = PlainBlitMs(overlay, width, height, moves);
    const double repaint = RepaintMs(overlay, moves);
    CancelScreenSnip();
    DestroyWindow(main);
    if (blit <= 0) return 1;
    std::printf("area %dx%d\nmoves %d\nrepaint_per_move_ms %.3f\nplain_bitblt_ms %.3f\nrepaint_per_bitblt %.2f\n",
                width, height, moves, repaint, blit, repaint / blit);
    return 0;
}
