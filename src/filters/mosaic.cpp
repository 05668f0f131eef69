#include "filters/mosaic.h"

#include <algorithm>
#include <cstdio>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "filters/mosaic_core.h"
#include "filters/mosaic_dialog.h"
#include "tools/path_tool.h"
#include "tools/pending_edits.h"
#include "tools/selection.h"

void MosaicRegion(int left, int top, int width, int height, const std::vector<uint8_t>& mask, int n) {
    if (!g_canvas.pixels) return;
    GdiFlush();
    MosaicPixels(CanvasPixels(), {left, top, width, height, mask.empty() ? nullptr : mask.data()}, n);
}

void MosaicFloatingImage(int n) {
    const FloatingSelection& s = g_selection;
    if (!s.image.pixels || s.width < 1 || s.height < 1) return;
    const uint32_t key = PixelFromColor(g_colors.background) & 0xFFFFFFu;
    GdiFlush();
    MosaicPixels({s.image.pixels, s.width, s.height},
                 {0, 0, s.width, s.height, s.mask.empty() ? nullptr : s.mask.data(),
                  g_tools.selectionTransparent ? &key : nullptr},
                 n);
}

static bool PathIsUsable() { return g_tools.currentTool == ToolId::Path && PathAnchorCount() >= 2; }

static void ShowApplied(const char* what, int n) {
    char text[80];
    std::snprintf(text, sizeof text, "%s mosaic applied (%d px block size).", what, n);
    SetStatusText(kStatusMessage, text);
}

void ApplyMosaic(int n) {
    SettlePendingEdits(Settle::Text);
    n = std::clamp(n, kMinMosaicBlock, kMaxMosaicBlock);
    if (PathIsUsable()) {
        PathMosaic(n);
        return;
    }
    if (!g_canvas.pixels) return;
    // The undo level holds a lifted selection stamped where it floats, so one Undo shows it unmosaicked there.
    PushUndoSnapshot();
    const FloatingSelection& s = g_selection;
    if (s.active && s.lifted) {
        MosaicFloatingImage(n);
    } else if (s.active) {
        MosaicRegion(s.left, s.top, s.width, s.height, s.mask, n);
        RefreshSelectionImage();
    } else {
        MosaicRegion(0, 0, g_canvas.width, g_canvas.height, {}, n);
    }
    MarkDocumentModified();
    RepaintCanvas();
    ShowApplied(s.active ? "Selection" : "Canvas", n);
}

void MosaicKey() {
    if (PathIsUsable() || HasSelection())
        ApplyMosaic(g_tools.mosaicBlockSize);
    else
        OpenMosaicDialog(g_app.main);
}
