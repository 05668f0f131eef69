// Memory of the real program after 30 strokes on a 4,000 x 3,000 picture, against the bound the undo
// history promises: 32 MiB + 16 MiB of levels in memory plus the picture and one level being copied.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "toolbox/colors.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "shell/app.h"
#include "shell/main_window.h"

static double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

static SIZE_T PagefileUsage() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PagefileUsage : 0;
}

int main() {
    if (!StartApplication(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return 1;
    const SIZE_T atStart = PagefileUsage();
    if (ResizeCanvasImage(4000, 3000, PixelFromColor(g_colors.background), false) != ResizeResult::Done) return 2;
    const int strokes = 30;
    for (int i = 0; i < strokes; ++i) {
        PushUndoSnapshot(); // what every stroke does first
        for (int x = 0; x < 4000; ++x)
            WritePixel(CanvasPixels(), x, 100 + 50 * i, 0xFF000000u);
    }
    const SIZE_T after = PagefileUsage();
    const double picture = 4000.0 * 3000 * 4 / (1024 * 1024);
    const double bound = 48.0 + 2 * picture;
    std::printf("undo memory: %d strokes on 4000x3000 (a level is %.1f MiB)\n", strokes, picture);
    std::printf("  levels: %zu undo, in memory %.1f MiB\n", g_undo.undo.size(),
                MiB(static_cast<SIZE_T>(UndoMemoryBytes())));
    std::printf("  PagefileUsage grew by %.1f MiB (at start %.1f MiB, after %.1f MiB)\n", MiB(after - atStart),
                MiB(atStart), MiB(after));
    std::printf("  bound 48 MiB + 2 pictures = %.1f MiB; growth / bound = %.2f\n", bound, MiB(after - atStart) / bound);
    DestroyWindow(g_app.main);
    return 0;
}
