#include "tools/freehand.h"

#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "tools/freehand_core.h"

// UI thread only. The spray sequence runs on through the whole session, as one generator would.
static SprayRandom g_spray;
static InkStroke g_ink;
// The stroke in progress: the end of its last segment, and the pointer the airbrush timer sprays at.
static PicturePoint g_last;
static PicturePoint g_pointer;
static MouseButton g_button = MouseButton::Left;

static uint32_t DrawingPixel(MouseButton button) { return PixelFromColor(DrawingColor(button)); }

static BrushShape CurrentBrushShape() { return static_cast<BrushShape>(g_tools.brushShape / 3 % 4); }

static bool UsesInk() { return g_tools.inkPen >= 0; }

static float InkWidth() { return InkBaseWidth(g_tools.brushSizeIndex, g_tools.brushCustomRadius); }

// GDI may still be drawing into the DIB section; the pixels are only ours once it is flushed.
static PixelView Pixels() {
    GdiFlush();
    return CanvasPixels();
}

static void StartStroke(const ToolPointer& p) {
    PushUndoSnapshot();
    g_last = g_pointer = p.anchor;
    g_button = p.button;
}

static void Erase(PicturePoint from, PicturePoint to, MouseButton button) {
    const uint32_t fg = PixelFromColor(g_colors.foreground), bg = PixelFromColor(g_colors.background);
    EraseSegment(Pixels(), from, to, g_tools.eraserSize, button == MouseButton::Right, fg, bg);
}

static PressOutcome EraserPress(const ToolPointer& p) {
    StartStroke(p);
    if (g_canvas.pixels) Erase(p.anchor, p.anchor, p.button);
    return PressOutcome::Repaint;
}

static void EraserMove(const ToolPointer& p) {
    if (g_canvas.pixels) Erase(g_last, p.point, p.button);
    g_last = p.point;
}

static PressOutcome BrushPress(const ToolPointer& p) {
    StartStroke(p);
    if (!g_canvas.pixels) return PressOutcome::Repaint;
    if (UsesInk())
        InkStart(&g_ink, Pixels(), p.anchor.x, p.anchor.y, DrawingPixel(p.button), InkWidth(), p.tick);
    else
        StampBrush(Pixels(), p.anchor.x, p.anchor.y, EffectiveBrushRadius(g_tools), CurrentBrushShape(),
                   DrawingPixel(p.button));
    return PressOutcome::Repaint;
}

static void BrushMove(const ToolPointer& p) {
    if (g_canvas.pixels) {
        if (g_ink.active)
            InkSegment(&g_ink, Pixels(), p.point.x, p.point.y, DrawingPixel(p.button), InkWidth(), p.tick);
        else if (!UsesInk())
            BrushSegment(Pixels(), g_last, p.point, EffectiveBrushRadius(g_tools), CurrentBrushShape(),
                         DrawingPixel(p.button));
    }
    g_last = p.point;
}

// The stroke keeps what it drew (its undo level exists already); an ink stroke gets its tapered tip.
static void BrushRelease(const ToolPointer& p) {
    if (!g_ink.active) return;
    if (g_canvas.pixels) InkFinish(&g_ink, Pixels(), DrawingPixel(p.button), InkWidth());
    g_ink.active = false;
}

static void Spray(PicturePoint at, MouseButton button) {
    if (g_canvas.pixels) SprayAt(Pixels(), at.x, at.y, g_tools.airbrushSize, DrawingPixel(button), &g_spray);
}

static PressOutcome AirbrushPress(const ToolPointer& p) {
    StartStroke(p);
    Spray(p.anchor, p.button);
    // The airbrush goes on spraying while the button is held still.
    SetTimer(p.canvas, kToolTimer, 40, nullptr);
    return PressOutcome::Repaint;
}

static void AirbrushMove(const ToolPointer& p) {
    Spray(p.point, p.button);
    g_last = g_pointer = p.point;
}

static void AirbrushStop(const ToolPointer& p) { KillTimer(p.canvas, kToolTimer); }

static void AirbrushTimer(HWND canvas) {
    if (g_tools.currentTool != ToolId::Airbrush) return;
    Spray(g_pointer, g_button);
    InvalidateRect(canvas, nullptr, FALSE);
}

void ForgetInkStroke() { g_ink.active = false; }

const ToolRow kEraserRow{.press = EraserPress, .move = EraserMove};
const ToolRow kBrushRow{.press = BrushPress, .move = BrushMove, .release = BrushRelease, .cancel = BrushRelease};
const ToolRow kAirbrushRow{.press = AirbrushPress,
                           .move = AirbrushMove,
                           .release = AirbrushStop,
                           .cancel = AirbrushStop,
                           .timer = AirbrushTimer};
