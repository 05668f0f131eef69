#include "tools/fuzzy_select.h"

#include <cstdint>
#include <cwchar>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "tools/fuzzy_core.h"
#include "tools/selection.h"

size_t g_fuzzyQueueLimit = SIZE_MAX;

void SelectSimilarRegion(int x, int y, int tolerance) {
    GdiFlush();
    SimilarRegion region;
    switch (FindSimilarRegion(CanvasPixels(), x, y, tolerance, &region, g_fuzzyQueueLimit)) {
    case RegionResult::Outside: return;
    case RegionResult::NoMemory: SetStatusText(kStatusMessage, L"Not enough memory to create selection."); return;
    case RegionResult::Found: break;
    }
    PushUndoSnapshot();
    CreateSelection(region.box.left, region.box.top, region.box.right, region.box.bottom, std::move(region.mask));
    if (!HasSelection()) return;
    (void)LiftSelection();
    // The background-coloured padding round the shape is neither shown nor stamped.
    g_tools.selectionTransparent = true;
    RepaintToolBox();
    RepaintCanvas();
    wchar_t text[96];
    swprintf(text, 96, L"Fuzzy selection created (Tolerance: %d). Drag to move or copy/cut.", tolerance);
    SetStatusText(kStatusMessage, text);
}

// The click does its whole work at once; it does not go on as a drag.
static PressOutcome FuzzyPress(const ToolPointer& p) {
    SelectSimilarRegion(p.anchor.x, p.anchor.y, g_tools.fuzzyTolerance);
    return PressOutcome::EndDrag;
}

const ToolRow kFuzzySelectRow{.press = FuzzyPress};
