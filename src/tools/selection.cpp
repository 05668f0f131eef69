// The floating selection's life: made, lifted out of the picture, moved or resized by its handles, then
// stamped back or dropped. It is the canvas's pending edit after the grips.
#include "tools/selection.h"

#include <algorithm>
#include <cwchar>
#include <new>

#include "base/app_windows.h"
#include "base/status_text.h"
#include "document/document_state.h"
#include "document/undo_core.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "shell/dialog_frame.h"

FloatingSelection g_selection;

static uint32_t BackgroundPixel() { return PixelFromColor(g_colors.background); }
static PixelView ImageView(const FloatingSelection& s) { return {s.image.pixels, s.width, s.height}; }
static const uint8_t* MaskOf(const FloatingSelection& s) { return s.mask.empty() ? nullptr : s.mask.data(); }
static bool HasImage(const FloatingSelection& s) { return s.image.pixels != nullptr; }

bool HasSelection() { return g_selection.active; }

static void FreeSelection() {
    FreeCanvasSurface(g_selection.image);
    g_selection = {};
}

void DropSelection(bool clear) {
    FloatingSelection& s = g_selection;
    if (s.active && clear && !s.lifted) {
        PushUndoSnapshot();
        GdiFlush();
        FillArea(CanvasPixels(), s.left, s.top, s.width, s.height, MaskOf(s), BackgroundPixel());
    }
    const bool was = s.active;
    FreeSelection();
    if (was) RepaintCanvas();
}

bool CopySelectionPixels() {
    FloatingSelection& s = g_selection;
    if (!s.active || s.width < 1 || s.height < 1) return false;
    if (HasImage(s)) return true;
    CanvasImage image;
    if (!MakeCanvasSurface(s.width, s.height, &image)) return false;
    const PixelView v{image.pixels, s.width, s.height};
    // Whatever lies off the picture is opaque black in the image.
    FillPixels(v, 0xFF000000u);
    GdiFlush();
    CopyPictureArea(CanvasPixels(), s.sourceLeft, s.sourceTop, v);
    s.image = image;
    return true;
}

void CreateSelection(int x0, int y0, int x1, int y1, std::vector<uint8_t> mask) {
    SettlePendingEdits(Settle::All);
    const int left = std::min(x0, x1), right = std::max(x0, x1), top = std::min(y0, y1), bottom = std::max(y0, y1);
    if (right - left <= 0 || bottom - top <= 0) return;
    FloatingSelection& s = g_selection;
    s.width = right - left;
    s.height = bottom - top;
    s.left = s.sourceLeft = left;
    s.top = s.sourceTop = top;
    s.right = s.sourceRight = right;
    s.bottom = s.sourceBottom = bottom;
    s.active = true;
    if (!mask.empty()) {
        if (mask.size() != static_cast<size_t>(s.width) * static_cast<size_t>(s.height) || !CopySelectionPixels()) {
            DropSelection(false);
            SetStatusText(kStatusMessage, L"Not enough memory to create selection.");
            return;
        }
        s.mask = std::move(mask);
        FillOutsideMask(ImageView(s), s.mask.data(), BackgroundPixel());
    }
    RepaintCanvas();
}

bool LiftSelection() {
    FloatingSelection& s = g_selection;
    if (!s.active || s.lifted) return s.active;
    if (!CopySelectionPixels()) {
        SetStatusText(kStatusMessage, L"Not enough memory to move selection.");
        return false;
    }
    PushUndoSnapshot();
    GdiFlush();
    FillArea(CanvasPixels(), s.sourceLeft, s.sourceTop, s.width, s.height, MaskOf(s), BackgroundPixel());
    s.lifted = true;
    return true;
}

// Made from the whole picture and still at its origin: such a selection carries the picture's size.
static bool SpansWholePicture(const FloatingSelection& s) {
    return s.sourceLeft == 0 && s.sourceTop == 0 && s.sourceRight == g_canvas.width &&
           s.sourceBottom == g_canvas.height && s.left == 0 && s.top == 0;
}

bool CommitSelection() {
    FloatingSelection& s = g_selection;
    if (!s.active) return true;
    if (HasImage(s) && SpansWholePicture(s) && (s.width != g_canvas.width || s.height != g_canvas.height)) {
        const ResizeResult r = ResizeCanvasImage(s.width, s.height, BackgroundPixel(), false);
        if (r == ResizeResult::TooLarge || r == ResizeResult::NoMemory) {
            ReportResizeFailure(r, s.width, s.height);
            return false;
        }
    }
    if (HasImage(s)) {
        GdiFlush();
        StampImage(CanvasPixels(), ImageView(s), MaskOf(s), s.left, s.top, g_tools.selectionTransparent,
                   BackgroundPixel());
    }
    DropSelection(false);
    MarkDocumentModified();
    RepaintCanvas();
    return true;
}

bool SelectionFloats() { return g_selection.active && g_selection.lifted && HasImage(g_selection); }

void RefreshSelectionImage() {
    FloatingSelection& s = g_selection;
    if (!s.active || s.lifted || !HasImage(s)) return;
    GdiFlush();
    CopyPictureArea(CanvasPixels(), s.sourceLeft, s.sourceTop, ImageView(s));
    if (!s.mask.empty()) FillOutsideMask(ImageView(s), s.mask.data(), BackgroundPixel());
}

void ComposeFloatingSelection(const PixelView& picture) {
    const FloatingSelection& s = g_selection;
    if (!SelectionFloats()) return;
    GdiFlush();
    StampImage(picture, ImageView(s), MaskOf(s), s.left, s.top, g_tools.selectionTransparent, BackgroundPixel());
}

static SelectionRect CurrentRect() {
    const FloatingSelection& s = g_selection;
    return {s.left, s.top, s.right, s.bottom};
}

HandleSquare SelectionHandleRect(int handle) { return SelectionHandleSquare(handle, CurrentRect(), g_view.zoom); }

int HitSelectionHandle(POINT content) {
    return g_selection.active ? HitHandleAt(CurrentRect(), g_view.zoom, content.x, content.y) : 0;
}

bool PlaceFloatingImage(const uint32_t* pixels, int width, int height) {
    const int64_t newW = std::max(g_canvas.width, width), newH = std::max(g_canvas.height, height);
    if (!IsPictureSizeAllowed(newW, newH)) {
        ReportResizeFailure(ResizeResult::TooLarge, static_cast<int>(newW), static_cast<int>(newH));
        return false;
    }
    CanvasImage image;
    if (!MakeCanvasSurface(width, height, &image)) {
        OwnedMessageBox(g_app.main, L"Not enough memory to paste this image.", L"Kolvex", MB_OK | MB_ICONWARNING);
        return false;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i)
        image.pixels[i] = pixels[i] | 0xFF000000u;
    CanvasImage bigger;
    const ResizeResult grow =
        MakeResizedCopy(static_cast<int>(newW), static_cast<int>(newH), BackgroundPixel(), &bigger);
    if (grow == ResizeResult::NoMemory || grow == ResizeResult::TooLarge) {
        FreeCanvasSurface(image);
        ReportResizeFailure(grow, static_cast<int>(newW), static_cast<int>(newH));
        return false;
    }
    PushUndoSnapshot();
    if (grow == ResizeResult::Done) ReplacePicture(bigger);
    g_tools.selectionTransparent = false;
    g_tools.currentTool = ToolId::Select; // without the side effects of a tool change
    RepaintToolBox();
    FreeSelection();
    FloatingSelection& s = g_selection;
    s.active = s.lifted = true;
    s.right = s.sourceRight = s.width = width;
    s.bottom = s.sourceBottom = s.height = height;
    s.image = image;
    MarkDocumentModified();
    RepaintCanvas();
    return true;
}
