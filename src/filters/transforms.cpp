// The Win32 side of the transformations: floats the selection, makes each result in new memory, records the level
// and swaps the result in. The pixel work is in transform_core and the selection's one sampler.
#include "filters/transforms.h"

#include <windows.h>

#include <new>
#include <vector>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_history.h"
#include "filters/transform_core.h"
#include "tools/pending_edits.h"
#include "tools/selection.h"
#include "toolbox/colors.h"

namespace {

uint32_t BackgroundPixel() { return PixelFromColor(g_colors.background); }
PixelView FloatingView() { return {g_selection.image.pixels, g_selection.width, g_selection.height}; }
PixelView SurfaceView(const CanvasImage& c) { return {c.pixels, c.width, c.height}; }

[[nodiscard]] bool TryMask(size_t count, std::vector<uint8_t>* out) {
    try {
        out->resize(count);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// What a change of the floating pixels makes before its level: the image of a selection still in the picture
// (made here and freed again on failure, so that a failure leaves the selection exactly as it was).
struct FloatingPrep {
    bool ready = false;
    bool madeImage = false;
};

FloatingPrep PrepareFloating() {
    FloatingSelection& s = g_selection;
    if (s.lifted) return {s.image.pixels != nullptr, false};
    const bool hadImage = s.image.pixels != nullptr;
    if (!CopySelectionPixels()) {
        SetStatusText(kStatusMessage, L"Not enough memory to move selection.");
        return {};
    }
    return {true, !hadImage};
}

void ReleasePrepared(const FloatingPrep& prep) {
    if (prep.madeImage) FreeCanvasSurface(g_selection.image);
}

// The level of a change of the floating pixels, once its result exists: the lift's for a selection still in the
// picture, else its own, which holds the floating pixels stamped as they are before the change.
[[nodiscard]] bool RecordFloatingLevel() {
    if (!g_selection.lifted) return LiftSelection();
    PushUndoSnapshot();
    return true;
}

// A flip and the inversion work in place and cannot fail, so they follow the level directly.
void ChangeInPlace(void (*pixels)(const PixelView&), void (*mask)(uint8_t*, int, int)) {
    if (HasSelection()) {
        const FloatingPrep prep = PrepareFloating();
        if (!prep.ready) return;
        if (!RecordFloatingLevel()) return ReleasePrepared(prep);
        FloatingSelection& s = g_selection;
        GdiFlush();
        pixels(FloatingView());
        // The mask moves with the pixels, so the shape stays what it was, only turned over.
        if (mask && !s.mask.empty()) mask(s.mask.data(), s.width, s.height);
    } else {
        PushUndoSnapshot();
        GdiFlush();
        pixels(CanvasPixels());
    }
    RepaintCanvas();
}

bool RotateSelection() {
    FloatingSelection& s = g_selection;
    const FloatingPrep prep = PrepareFloating();
    if (!prep.ready) return false;
    const int w = s.width, h = s.height;
    CanvasImage turned;
    std::vector<uint8_t> mask;
    if (!MakeCanvasSurface(h, w, &turned) || (!s.mask.empty() && !TryMask(s.mask.size(), &mask))) {
        FreeCanvasSurface(turned);
        ReleasePrepared(prep);
        ReportResizeFailure(ResizeResult::NoMemory, h, w);
        return false;
    }
    GdiFlush();
    RotatePixels90(FloatingView(), SurfaceView(turned));
    if (!mask.empty()) RotateMask90(s.mask.data(), w, h, mask.data());
    if (!RecordFloatingLevel()) {
        FreeCanvasSurface(turned);
        ReleasePrepared(prep);
        return false;
    }
    FreeCanvasSurface(s.image);
    s.image = turned;
    s.mask.swap(mask);
    s.width = h;
    s.height = w;
    s.right = s.left + s.width;
    s.bottom = s.top + s.height;
    s.sourceLeft = s.left;
    s.sourceTop = s.top;
    s.sourceRight = s.right;
    s.sourceBottom = s.bottom;
    RepaintCanvas();
    return true;
}

bool RotatePicture() {
    const int w = g_canvas.width, h = g_canvas.height;
    CanvasImage turned;
    if (!MakeCanvasSurface(h, w, &turned)) {
        ReportResizeFailure(ResizeResult::NoMemory, h, w);
        return false;
    }
    GdiFlush();
    RotatePixels90(CanvasPixels(), SurfaceView(turned));
    PushUndoSnapshot();
    ReplacePicture(turned); // clamps the zoom and the scroll offsets to the turned size, and repaints
    return true;
}

// The floating image and mask scaled to their new size, and the picture's new surface when its size changes;
// all made before the level.
struct ScaledParts {
    CanvasImage image;
    std::vector<uint8_t> mask;
    CanvasImage picture; // pixels null: the picture keeps its size
    void Free() {
        FreeCanvasSurface(image);
        FreeCanvasSurface(picture);
    }
};

[[nodiscard]] bool MakeScaledParts(int w, int h, const NeededPicture& need, ScaledParts* out) {
    const FloatingSelection& s = g_selection;
    if (!MakeCanvasSurface(w, h, &out->image) ||
        (!s.mask.empty() && !TryMask(static_cast<size_t>(w) * static_cast<size_t>(h), &out->mask))) {
        ReportResizeFailure(ResizeResult::NoMemory, w, h);
        return false;
    }
    const int pw = static_cast<int>(need.width), ph = static_cast<int>(need.height);
    if ((pw != g_canvas.width || ph != g_canvas.height) && !MakeCanvasSurface(pw, ph, &out->picture)) {
        ReportResizeFailure(ResizeResult::NoMemory, pw, ph);
        return false;
    }
    GdiFlush();
    ScalePixelsNearest(FloatingView(), SurfaceView(out->image));
    if (!out->mask.empty()) ScaleMaskNearest(s.mask.data(), s.width, s.height, out->mask.data(), w, h);
    return true;
}

void SwapInScaled(ScaledParts& parts, bool takesSelectionSize) {
    FloatingSelection& s = g_selection;
    FreeCanvasSurface(s.image);
    s.image = parts.image;
    s.mask.swap(parts.mask);
    s.width = parts.image.width;
    s.height = parts.image.height;
    s.right = s.left + s.width;
    s.bottom = s.top + s.height;
    if (takesSelectionSize) {
        s.sourceRight = s.right;
        s.sourceBottom = s.bottom;
    }
    if (parts.picture.pixels) {
        // Made before the lift, filled after it, so that the hole the lift left is part of it.
        GdiFlush();
        CopyAnchoredTopLeft(g_canvas.pixels, g_canvas.width, g_canvas.height, SurfaceView(parts.picture),
                            BackgroundPixel());
        ReplacePicture(parts.picture);
    }
    parts = {};
}

} // namespace

void FlipHorizontal() {
    ChangeInPlace([](const PixelView& v) { FlipPixelsHorizontal(v); }, FlipMaskHorizontal);
}
void FlipVertical() {
    ChangeInPlace([](const PixelView& v) { FlipPixelsVertical(v); }, FlipMaskVertical);
}
void InvertColors() {
    ChangeInPlace([](const PixelView& v) { InvertPixels(v); }, nullptr);
}

bool Rotate90() {
    if (HasSelection()) return RotateSelection();
    return g_canvas.pixels && RotatePicture();
}

void ClearImage() {
    PushUndoSnapshot();
    GdiFlush();
    FillPixels(CanvasPixels(), BackgroundPixel());
    if (HasSelection()) DropSelection(false);
    RepaintCanvas();
}

void StretchPicture(int64_t width, int64_t height) {
    if (width < 1 || height < 1) return;
    if (!IsPictureSizeAllowed(width, height)) return ReportResizeFailure(ResizeResult::TooLarge, width, height);
    // The text box and the selection reach the picture before the level, so that Undo gives them back unscaled.
    SettlePendingEdits(Settle::All);
    if (HasSelection() || !g_canvas.pixels) return; // a selection the picture could not take stays floating
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    if (w == g_canvas.width && h == g_canvas.height) return;
    CanvasImage stretched;
    if (!MakeCanvasSurface(w, h, &stretched)) return ReportResizeFailure(ResizeResult::NoMemory, w, h);
    GdiFlush();
    ScalePixelsNearest(CanvasPixels(), SurfaceView(stretched));
    PushUndoSnapshot();
    ReplacePicture(stretched);
}

void ScaleSelectionImage(int64_t width, int64_t height) {
    FloatingSelection& s = g_selection;
    if (!s.active || width < 1 || height < 1) return;
    if (!IsPictureSizeAllowed(width, height)) return ReportResizeFailure(ResizeResult::TooLarge, width, height);
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    if (w == s.width && h == s.height) return; // nothing to change: no lift, no level
    // A move keeps left and top within the content range, far inside int beside a picture side.
    const NeededPicture need =
        PictureSizeForSelection({s.sourceLeft, s.sourceTop, s.sourceRight, s.sourceBottom},
                                {s.left, s.top, s.left + w, s.top + h}, g_canvas.width, g_canvas.height);
    if (!IsPictureSizeAllowed(need.width, need.height))
        return ReportResizeFailure(ResizeResult::TooLarge, need.width, need.height);
    const FloatingPrep prep = PrepareFloating();
    if (!prep.ready) return;
    ScaledParts parts;
    if (!MakeScaledParts(w, h, need, &parts) || !RecordFloatingLevel()) {
        parts.Free();
        return ReleasePrepared(prep);
    }
    SwapInScaled(parts, need.takesSelectionSize);
    RepaintCanvas();
}
