#include "filters/crop.h"

#include <cwchar>

#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "tools/selection.h"

void CropToSelection() {
    const FloatingSelection& s = g_selection;
    if (!s.active) {
        SetStatusText(kStatusMessage, L"No selection to crop. Select an area first.");
        return;
    }
    const int w = s.right - s.left, h = s.bottom - s.top;
    if (w <= 0 || h <= 0) return;
    // The new picture is made first: without it nothing changes and no level is recorded.
    if (!IsPictureSizeAllowed(w, h)) return ReportResizeFailure(ResizeResult::TooLarge, w, h);
    CanvasImage cropped;
    if (!MakeCanvasSurface(w, h, &cropped)) return ReportResizeFailure(ResizeResult::NoMemory, w, h);
    const PixelView out{cropped.pixels, w, h};
    FillPixels(out, PixelFromColor(g_colors.background));
    GdiFlush();
    if (s.lifted && s.image.pixels) {
        // The image is scaled to the rectangle; the mask plays no part.
        ScalePixelsNearest({s.image.pixels, s.width, s.height}, out);
    } else {
        CopyPictureArea(CanvasPixels(), s.left, s.top, out);
        if (!s.mask.empty() && s.width == w && s.height == h)
            FillOutsideMask(out, s.mask.data(), PixelFromColor(g_colors.background));
    }
    PushUndoSnapshot();
    DropSelection(false);
    g_view.scrollX = g_view.scrollY = 0;
    ReplacePicture(cropped);
    wchar_t text[96];
    swprintf(text, 96, L"Cropped image to %d x %d pixels.", w, h);
    SetStatusText(kStatusMessage, text);
}
