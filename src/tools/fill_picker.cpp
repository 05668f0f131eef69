#include "tools/fill_picker.h"

#include <cstdint>

#include "base/app_windows.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/dialog_frame.h"
#include "tools/fill_core.h"

size_t g_fillQueueLimit = SIZE_MAX;

static PressOutcome FillPress(const ToolPointer& p) {
    if (!g_canvas.pixels) return PressOutcome::Repaint;
    PushUndoSnapshot();
    GdiFlush();
    // A fill that runs out of memory keeps what it filled; Undo takes it back whole.
    if (FloodFill(CanvasPixels(), p.anchor.x, p.anchor.y, PixelFromColor(DrawingColor(p.button)), g_fillQueueLimit) ==
        FillResult::OutOfMemory)
        OwnedMessageBox(g_app.main, L"Not enough memory to complete the fill.", L"Kolvex", MB_OK | MB_ICONWARNING);
    return PressOutcome::Repaint;
}

static PressOutcome PickColorPress(const ToolPointer& p) {
    GdiFlush();
    const uint32_t px = ReadPixel(CanvasPixels(), p.anchor.x, p.anchor.y);
    SetDrawingColor(p.button, RGB(px >> 16 & 0xFF, px >> 8 & 0xFF, px & 0xFF));
    RepaintColorBox();
    // Straight back to the tool used before, without the side effects of a tool change.
    g_tools.currentTool = g_tools.previousTool;
    RepaintToolBox();
    return PressOutcome::Repaint;
}

// Zooms about the pressed point, which keeps its picture point under the pointer. The press has settled the
// pending edits already, as every press the canvas hands to a tool does.
static PressOutcome MagnifierPress(const ToolPointer& p) {
    const int button = p.button == MouseButton::Right ? 2 : 1;
    SetZoom(MagnifierZoom(g_view.zoom, button), &p.client);
    return PressOutcome::Repaint;
}

const ToolRow kFillRow{.press = FillPress};
const ToolRow kPickColorRow{.press = PickColorPress};
const ToolRow kMagnifierRow{.press = MagnifierPress};
