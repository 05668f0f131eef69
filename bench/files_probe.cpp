// files_probe <in24.bmp> <rle8.bmp> <565.bmp> <in.png> <output folder> <runs>: how long the real program takes to
// load and save a picture, best of the runs. BMP loads go through LoadImageFile, which reads every BMP with the
// program's own reader; the GDI+ bridge is also timed alone on the 24-bit file, as LoadImageFile used it for BMP
// before. PNG goes through GDI+. Prints "gdiplus 0|1" and "<name>_ms <milliseconds>" lines and nothing else on
// success.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "document/canvas_image.h"
#include "files/gdiplus_bridge.h"
#include "files/image_load.h"
#include "files/image_save.h"
#include "shell/app.h"
#include "shell/main_window.h"

static double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The best time of runs calls of op, or a negative value when one of them fails.
static double BestMs(int runs, const std::function<bool()>& op) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double t0 = NowMs();
        if (!op()) return -1;
        best = std::min(best, NowMs() - t0);
    }
    return best;
}

static bool HasGdiplus() {
    HMODULE lib = LoadLibraryW(L"gdiplus.dll");
    if (lib) FreeLibrary(lib);
    return lib != nullptr;
}

static bool Report(const char* name, double ms) {
    if (ms < 0) {
        std::fprintf(stderr, "files_probe: %s failed\n", name);
        return false;
    }
    std::printf("%s_ms %.1f\n", name, ms);
    return true;
}

int wmain(int argc, wchar_t** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: files_probe <in24.bmp> <rle8.bmp> <565.bmp> <in.png> <output folder> <runs>\n");
        return 2;
    }
    const std::wstring bmp24 = argv[1], rle8 = argv[2], bf565 = argv[3], png = argv[4], out = argv[5];
    const int runs = std::max(1, _wtoi(argv[6]));
    if (!StartApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return 1;
    const std::wstring outBmp = out + L"\\out.bmp", outPng = out + L"\\out.png";
    // A load counts only when it gave the picture the file holds; the input is 4,000 x 3,000.
    auto load = [](const std::wstring& path) {
        return [path] { return LoadImageFile(path) && g_canvas.width == 4000 && g_canvas.height == 3000; };
    };
    auto bridge = [](const std::wstring& path) {
        return [path] {
            DecodedPicture picture;
            LoadOutcome why;
            return DecodeWithGdiplus(path, &picture, &why) && picture.width == 4000 && picture.height == 3000;
        };
    };
    auto save = [](const std::wstring& path) { return [path] { return SaveImageFile(path); }; };
    const bool gdiplus = HasGdiplus();
    std::printf("gdiplus %d\n", gdiplus ? 1 : 0);
    bool ok = Report("bmp24_load", BestMs(runs, load(bmp24))) && Report("rle8_load", BestMs(runs, load(rle8))) &&
              Report("bf565_load", BestMs(runs, load(bf565))) && Report("bmp_save", BestMs(runs, save(outBmp)));
    if (ok && gdiplus)
        ok = Report("bmp24_gdiplus_bridge", BestMs(runs, bridge(bmp24))) &&
             Report("png_load", BestMs(runs, load(png))) && Report("png_save", BestMs(runs, save(outPng)));
    DeleteFileW(outBmp.c_str());
    DeleteFileW(outPng.c_str());
    DestroyWindow(g_app.main);
    return ok ? 0 : 1;
}
