#include "tools/freehand.h"

#include <windows.h>

#include "document/canvas_image.h"
#include "tools/freehand_core.h"
#include "toolbox/color_box.h"

// UI thread only. The spray sequence runs on through the whole session, as one generator would.
static SprayRandom g_spray;
static InkStroke g_ink;

static uint32_t DrawingPixel(int button) {
    return PixelFromColor(button == 2 ? g_colors.background : g_colors.foreground);
}

static BrushShape CurrentBrushShape() { return static_cast<BrushShape>(g_tools.brushShape / 3 % 4); }

static bool UsesInk() { return g_tools.inkPen >= 0; }

static float InkWidth() { return InkBaseWidth(g_tools.brushSizeIndex, g_tools.brushCustomRadius); }

// GDI may still be drawing into the DIB section; the pixels are only ours once it is flushed.
static PixelView Pixels() {
    GdiFlush();
    return CanvasPixels();
}

static void Erase(PicturePoint from, PicturePoint to, int button) {
    const PixelView v = Pixels();
    const uint32_t fg = PixelFromColor(g_colors.foreground), bg = PixelFromColor(g_colors.background);
    EraseSegment(v, from, to, g_tools.eraserSize, button == 2, fg, bg);
}

void FreehandButtonDown(ToolId tool, int button, PicturePoint p, uint32_t tick) {
    if (!g_canvas.pixels) return;
    switch (tool) {
    case ToolId::Brush:
        if (UsesInk())
            InkStart(&g_ink, Pixels(), p.x, p.y, DrawingPixel(button), InkWidth(), tick);
        else
            StampBrush(Pixels(), p.x, p.y, EffectiveBrushRadius(g_tools), CurrentBrushShape(), DrawingPixel(button));
        return;
    case ToolId::Airbrush: SprayAt(Pixels(), p.x, p.y, g_tools.airbrushSize, DrawingPixel(button), &g_spray); return;
    case ToolId::Eraser: Erase(p, p, button); return;
    default: return;
    }
}

void FreehandMove(ToolId tool, int button, PicturePoint from, PicturePoint to, uint32_t tick) {
    if (!g_canvas.pixels) return;
    switch (tool) {
    case ToolId::Brush:
        if (g_ink.active)
            InkSegment(&g_ink, Pixels(), to.x, to.y, DrawingPixel(button), InkWidth(), tick);
        else if (!UsesInk())
            BrushSegment(Pixels(), from, to, EffectiveBrushRadius(g_tools), CurrentBrushShape(), DrawingPixel(button));
        return;
    case ToolId::Airbrush: SprayAt(Pixels(), to.x, to.y, g_tools.airbrushSize, DrawingPixel(button), &g_spray); return;
    case ToolId::Eraser: Erase(from, to, button); return;
    default: return;
    }
}

void AirbrushTick(int button, PicturePoint p) {
    if (!g_canvas.pixels) return;
    SprayAt(Pixels(), p.x, p.y, g_tools.airbrushSize, DrawingPixel(button), &g_spray);
}

void FinishInkStroke(int button) {
    if (!g_ink.active) return;
    if (g_canvas.pixels) InkFinish(&g_ink, Pixels(), DrawingPixel(button), InkWidth());
    g_ink.active = false;
}
