// pixels_probe [runs]: the pixel loops of the shipped program, built by the cross compiler and timed under the
// system it runs on. Each loop runs on a 4,000 x 3,000 picture on the plain path and, where the processor has it,
// on SSE2, against one memset or memcpy of the same 48 MB in the same process; and one repaint of the canvas at
// 1,600 % with the grid against one plain BitBlt of the canvas window's size. Prints "<name> <value>" lines, the
// median of the runs, and nothing else on success.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "base/app_windows.h"
#include "base/cpu_core.h"
#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/view_state.h"
#include "filters/mosaic_core.h"
#include "filters/transform_core.h"
#include "shell/app.h"
#include "tools/fill_core.h"
#include "tools/fuzzy_core.h"
#include "tools/zoom_paint_core.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;
constexpr size_t kPixels = static_cast<size_t>(kWidth) * kHeight;

double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The median time of runs calls of op, each after an untimed prepare.
double MedianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& op) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double t0 = NowMs();
        op();
        times.push_back(NowMs() - t0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Figure(const char* name, double ms, double baseline) {
    std::printf("%s_ms %.2f\n%s_per_baseline %.2f\n", name, ms, name, baseline > 0 ? ms / baseline : 0);
}

// Each loop on every path the processor has, against the baseline.
void PixelLoops(int runs) {
    std::vector<uint32_t> picture(kPixels, 0xFFFFFFFFu), other(kPixels, 0xFFFFFFFFu);
    const PixelView view{picture.data(), kWidth, kHeight};
    const PixelView turned{other.data(), kHeight, kWidth};
    auto white = [&] { std::fill(picture.begin(), picture.end(), 0xFFFFFFFFu); };
    auto nothing = [] {};
    const double memsetMs =
        MedianMs(runs, nothing, [&] { std::memset(picture.data(), 0x5A, kPixels * sizeof(uint32_t)); });
    const double memcpyMs =
        MedianMs(runs, nothing, [&] { std::memcpy(other.data(), picture.data(), kPixels * sizeof(uint32_t)); });
    std::printf("memset_48MB_ms %.2f\nmemcpy_48MB_ms %.2f\n", memsetMs, memcpyMs);
    std::vector<PixelPath> paths = {PixelPath::Scalar};
    if (CpuHasSse2()) paths.push_back(PixelPath::Sse2);
    std::printf("sse2 %d\n", CpuHasSse2() ? 1 : 0);
    for (const PixelPath path : paths) {
        const char* p = path == PixelPath::Sse2 ? "sse2" : "scalar";
        char name[64];
        std::snprintf(name, sizeof name, "fill_%s", p);
        Figure(
            name,
            MedianMs(runs, white, [&] { (void)FloodFill(view, kWidth / 2, kHeight / 2, 0xFFFF0000u, SIZE_MAX, path); }),
            memsetMs);
        std::snprintf(name, sizeof name, "fuzzy_region_%s", p);
        Figure(name,
               MedianMs(runs, nothing,
                        [&] {
                            SimilarRegion region;
                            (void)FindSimilarRegion(view, 0, 0, 32, &region, SIZE_MAX, path);
                        }),
               memsetMs);
        std::snprintf(name, sizeof name, "invert_%s", p);
        Figure(name, MedianMs(runs, nothing, [&] { InvertPixels(view, path); }), memcpyMs);
        std::snprintf(name, sizeof name, "flip_horizontal_%s", p);
        Figure(name, MedianMs(runs, nothing, [&] { FlipPixelsHorizontal(view, path); }), memcpyMs);
        std::snprintf(name, sizeof name, "flip_vertical_%s", p);
        Figure(name, MedianMs(runs, nothing, [&] { FlipPixelsVertical(view, path); }), memcpyMs);
        std::snprintf(name, sizeof name, "quarter_turn_%s", p);
        Figure(name, MedianMs(runs, nothing, [&] { RotatePixels90(view, turned, path); }), memcpyMs);
        std::snprintf(name, sizeof name, "mosaic_8_%s", p);
        MosaicArea all;
        all.width = kWidth;
        all.height = kHeight;
        Figure(name, MedianMs(runs, nothing, [&] { MosaicPixels(view, all, 8, path); }), memcpyMs);
    }
}

// One repaint of the canvas window the way a scroll or an invalidation asks for it.
double CanvasRepaintMs(int runs) {
    return MedianMs(
        runs, [] { InvalidateRect(g_app.canvas, nullptr, FALSE); },
        [] {
            UpdateWindow(g_app.canvas);
            GdiFlush();
        });
}

double PlainBlitMs(int runs, int width, int height) {
    ScopedGetDC window(g_app.canvas);
    ScopedMemDC mem(window.get());
    ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(window.get(), width, height));
    if (!mem.get() || !bitmap.get()) return -1;
    ScopedSelectObject sel(mem.get(), bitmap.get());
    PatBlt(mem.get(), 0, 0, width, height, WHITENESS);
    return MedianMs(
        runs, [] {},
        [&] {
            BitBlt(window.get(), 0, 0, width, height, mem.get(), 0, 0, SRCCOPY);
            GdiFlush();
        });
}

// The least a paint can be: a window of the canvas's size whose WM_PAINT copies one ready bitmap, updated the
// same way. What it costs beyond the plain BitBlt is the system's share of any repaint.
HDC g_readyDC = nullptr;
int g_readyWidth = 0, g_readyHeight = 0;

LRESULT CALLBACK BarePaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    BitBlt(dc, 0, 0, g_readyWidth, g_readyHeight, g_readyDC, 0, 0, SRCCOPY);
    EndPaint(hwnd, &ps);
    return 0;
}

double BarePaintMs(int runs, int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BarePaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KolvexBenchBarePaint";
    RegisterClassW(&wc);
    HWND bare = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, g_app.main,
                                nullptr, wc.hInstance, nullptr);
    if (!bare) return -1;
    ScopedGetDC window(bare);
    ScopedMemDC mem(window.get());
    ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(window.get(), width, height));
    ScopedSelectObject sel(mem.get(), bitmap.get());
    PatBlt(mem.get(), 0, 0, width, height, WHITENESS);
    g_readyDC = mem.get();
    g_readyWidth = width;
    g_readyHeight = height;
    UpdateWindow(bare);
    const double ms = MedianMs(
        runs, [&] { InvalidateRect(bare, nullptr, FALSE); },
        [&] {
            UpdateWindow(bare);
            GdiFlush();
        });
    DestroyWindow(bare);
    return ms;
}

bool GridPaint(int runs) {
    if (!CreateCanvasImage(kWidth, kHeight, 0xFFFFFFFFu)) return false;
    SetZoom(16, nullptr);
    if (!g_view.gridShown) ToggleGrid();
    // Somewhere in the middle of the picture, where a user at 1,600 % would be looking.
    g_view.scrollX = 16 * kWidth / 2;
    g_view.scrollY = 16 * kHeight / 2;
    ClampScroll();
    RECT rc;
    GetClientRect(g_app.canvas, &rc);
    const double blit = PlainBlitMs(runs, rc.right, rc.bottom);
    const double repaint = CanvasRepaintMs(runs);
    std::printf("canvas_client %ldx%ld\n", rc.right, rc.bottom);
    // The two parts the program paints itself, alone, into a buffer of the window's size.
    std::vector<uint32_t> layer(static_cast<size_t>(rc.right) * rc.bottom);
    const ContentBuffer out{layer.data(), static_cast<int>(rc.right), static_cast<int>(rc.bottom), g_view.scrollX,
                            g_view.scrollY};
    const int x0 = g_view.scrollX / 16, y0 = g_view.scrollY / 16;
    const int x1 = x0 + static_cast<int>(rc.right) / 16 + 1, y1 = y0 + static_cast<int>(rc.bottom) / 16 + 1;
    std::printf("zoomed_picture_1600_ms %.3f\n",
                MedianMs(
                    runs, [] {},
                    [&] {
                        PaintZoomedPicture({g_canvas.pixels, g_canvas.width, g_canvas.height}, 16, x0, y0, x1, y1, out);
                    }));
    std::printf("grid_lines_1600_ms %.3f\n", MedianMs(
                                                 runs, [] {},
                                                 [&] {
                                                     XorGridLines({16, 1, x0, y0, x1, y1}, out);
                                                 }));
    const double bare = BarePaintMs(runs, rc.right, rc.bottom);
    Figure("grid_repaint_1600", repaint, blit);
    std::printf("plain_bitblt_ms %.2f\nbare_paint_ms %.2f\ngrid_repaint_1600_per_bare_paint %.2f\n", blit, bare,
                bare > 0 ? repaint / bare : 0);
    return blit > 0;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 7);
    PixelLoops(runs);
    HWND main = StartApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    if (!main) return 1;
    const bool ok = GridPaint(runs * 4);
    DestroyWindow(main);
    return ok ? 0 : 1;
}
