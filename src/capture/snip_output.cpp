#include "capture/snip_output.h"

#include <vector>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "capture/snip_core.h"
#include "capture/snip_window.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "document/undo_core.h"
#include "document/undo_history.h"
#include "filters/clipboard.h"
#include "shell/dialog_frame.h"
#include "tools/selection.h"

namespace {

HGLOBAL MakeCaptureDib(const uint32_t* topDown, int width, int height) {
    const uint64_t bytes = CaptureDibBytes(width, height);
    if (bytes > SIZE_MAX / 2) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
    void* p = block ? GlobalLock(block) : nullptr;
    if (!p) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    PackCaptureDib(topDown, width, height, static_cast<uint8_t*>(p));
    GlobalUnlock(block);
    return block;
}

HBITMAP MakeCaptureBitmap(int width, int height, HDC source, int sourceX, int sourceY) {
    ScopedGetDC screen(nullptr);
    ScopedGdiObj<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    ScopedMemDC mem(screen.get());
    if (!bitmap.get() || !mem.get()) return nullptr;
    {
        ScopedSelectObject sel(mem.get(), bitmap.get());
        if (!BitBlt(mem.get(), 0, 0, width, height, source, sourceX, sourceY, SRCCOPY)) return nullptr;
    }
    return bitmap.Release();
}

bool ReplaceBlankPicture(const uint32_t* topDown, int width, int height) {
    if (!IsPictureSizeAllowed(width, height)) {
        ReportResizeFailure(ResizeResult::TooLarge, width, height);
        return false;
    }
    CanvasImage surface;
    if (!MakeCanvasSurface(width, height, &surface)) {
        ReportResizeFailure(ResizeResult::NoMemory, width, height);
        return false;
    }
    FlipRows(topDown, width, height, surface.pixels);
    PushUndoSnapshot();
    ReplacePicture(surface);
    return true;
}

bool FloatCapture(const uint32_t* topDown, int width, int height) {
    std::vector<uint32_t> bottomUp;
    if (!TryAllocatePixels(static_cast<uint64_t>(width) * static_cast<uint64_t>(height), &bottomUp)) {
        OwnedMessageBox(g_app.main, L"Not enough memory to paste this image.", L"Kolvex", MB_OK | MB_ICONWARNING);
        return false;
    }
    FlipRows(topDown, width, height, bottomUp.data());
    return PlaceFloatingImage(bottomUp.data(), width, height);
}

} // namespace

bool PutCaptureOnClipboard(const uint32_t* topDown, int width, int height, HDC source, int sourceX, int sourceY) {
    HGLOBAL dib = MakeCaptureDib(topDown, width, height);
    HBITMAP bitmap = MakeCaptureBitmap(width, height, source, sourceX, sourceY);
    return StoreImageOnClipboard(dib, bitmap);
}

bool PutCaptureInPicture(const uint32_t* topDown, int width, int height) {
    const CaptureTarget target = ChooseCaptureTarget(IsPictureBlank(), g_document.modified, !g_document.path.empty());
    if (target == CaptureTarget::ReplacePicture) return ReplaceBlankPicture(topDown, width, height);
    return FloatCapture(topDown, width, height);
}
