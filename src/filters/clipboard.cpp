#include "filters/clipboard.h"

#include <algorithm>
#include <cstring>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "base/status_text.h"
#include "document/canvas_image.h"
#include "document/undo_core.h"
#include "files/bmp_core.h"
#include "filters/clipboard_core.h"
#include "shell/dialog_frame.h"
#include "tools/selection.h"

namespace {

constexpr wchar_t kClipboardBusy[] = L"Could not open the clipboard.";
constexpr wchar_t kDamaged[] = L"The picture on the Clipboard is damaged and cannot be pasted.";

// What Copy takes: an area of the picture, or a lifted selection's image.
struct CopySource {
    int left = 0, top = 0, width = 0, height = 0;
    const CanvasImage* image = nullptr; // null: the picture
};

CopySource SourceOfCopy() {
    const FloatingSelection& s = g_selection;
    if (!s.active) return {0, 0, g_canvas.width, g_canvas.height, nullptr};
    return {s.left, s.top, s.width, s.height, s.lifted && s.image.pixels ? &s.image : nullptr};
}

// The 24-bit CF_DIB block, rows from the bottom up; picture positions off the picture are black.
HGLOBAL MakeDibBlock(const CopySource& c) {
    const uint64_t stride = BmpStride24(c.width);
    const uint64_t bytes = 40 + stride * static_cast<uint64_t>(c.height);
    if (bytes > SIZE_MAX / 2) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
    uint8_t* p = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
    if (!p) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    uint8_t header[54];
    MakeBmpHeader24(c.width, c.height, header);
    std::memcpy(p, header + 14, 40);
    std::vector<uint32_t> row(static_cast<size_t>(c.width));
    const PixelView picture = CanvasPixels();
    for (int r = 0; r < c.height; ++r) {
        uint8_t* out = p + 40 + static_cast<uint64_t>(r) * stride;
        if (c.image) {
            PackBmpRow24(c.image->pixels + static_cast<size_t>(r) * c.width, c.width, out);
            continue;
        }
        const int y = c.top + c.height - 1 - r;
        std::fill(row.begin(), row.end(), 0u);
        for (int x = 0; x < c.width; ++x)
            if (InPicture(picture, c.left + x, y)) row[static_cast<size_t>(x)] = ReadPixel(picture, c.left + x, y);
        PackBmpRow24(row.data(), c.width, out);
    }
    GlobalUnlock(block);
    return block;
}

// The screen-compatible CF_BITMAP of the same pixels.
HBITMAP MakeScreenBitmap(const CopySource& c) {
    ScopedGetDC screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), c.width, c.height);
    ScopedMemDC mem(screen.get());
    if (!bitmap || !mem.get()) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    ScopedSelectObject sel(mem.get(), bitmap);
    PatBlt(mem.get(), 0, 0, c.width, c.height, BLACKNESS);
    if (c.image)
        BitBlt(mem.get(), 0, 0, c.width, c.height, c.image->memDC, 0, 0, SRCCOPY);
    else
        BitBlt(mem.get(), 0, 0, c.width, c.height, g_canvas.memDC, c.left, c.top, SRCCOPY);
    return bitmap;
}

} // namespace

bool OpenClipboardPatiently() {
    // The X bridge of some systems holds the clipboard for a moment while it imports or exports.
    for (int attempt = 0; attempt < 11; ++attempt) {
        if (OpenClipboard(g_app.main)) return true;
        Sleep(10);
    }
    return false;
}

bool StoreImageOnClipboard(HGLOBAL dib, HBITMAP bitmap) {
    bool stored = false;
    if (OpenClipboardPatiently()) {
        EmptyClipboard();
        if (dib && SetClipboardData(CF_DIB, dib)) {
            dib = nullptr; // the clipboard owns it now
            stored = true;
        }
        if (bitmap && SetClipboardData(CF_BITMAP, bitmap)) {
            bitmap = nullptr;
            stored = true;
        }
        CloseClipboard();
    }
    if (dib) GlobalFree(dib);
    if (bitmap) DeleteObject(bitmap);
    return stored;
}

bool CopyToClipboard() {
    GdiFlush();
    const CopySource c = SourceOfCopy();
    if (c.width < 1 || c.height < 1) return false;
    HGLOBAL dib = MakeDibBlock(c);
    HBITMAP bitmap = MakeScreenBitmap(c);
    const bool stored = StoreImageOnClipboard(dib, bitmap);
    if (!stored) SetStatusText(kStatusMessage, kClipboardBusy);
    return stored;
}

void CutToClipboard() {
    if (!CopyToClipboard() || !HasSelection()) return;
    (void)LiftSelection();
    if (HasSelection()) DropSelection(false);
}

bool ReadBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>* pixels, int* width, int* height) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth < 1 || info.bmHeight < 1) return false;
    if (!IsPictureSizeAllowed(info.bmWidth, info.bmHeight)) {
        ReportResizeFailure(ResizeResult::TooLarge, info.bmWidth, info.bmHeight);
        return false;
    }
    std::vector<uint32_t> px;
    if (!TryAllocatePixels(static_cast<uint64_t>(info.bmWidth) * static_cast<uint64_t>(info.bmHeight), &px)) {
        OwnedMessageBox(g_app.main, L"Not enough memory to paste this image.", L"Kolvex", MB_OK | MB_ICONWARNING);
        return false;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = info.bmHeight; // bottom-up, as the picture
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    ScopedGetDC screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), px.data(), &bi, DIB_RGB_COLORS) !=
        info.bmHeight)
        return false;
    for (uint32_t& v : px)
        v |= 0xFF000000u;
    pixels->swap(px);
    *width = info.bmWidth;
    *height = info.bmHeight;
    return true;
}

namespace {

// The system converts the block through a DIB section; the program's own conversion serves when it cannot.
bool ConvertBlock(const uint8_t* block, const DibLayout& d, uint32_t* out) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = d.width;
    info.bmiHeader.biHeight = d.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    ScopedGetDC screen(nullptr);
    void* bits = nullptr;
    ScopedGdiObj<HBITMAP> section(g_createDibSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (section.get() && bits &&
        SetDIBits(screen.get(), section.get(), 0, static_cast<UINT>(d.height), block + d.pixelOffset,
                  reinterpret_cast<const BITMAPINFO*>(block), DIB_RGB_COLORS) == d.height) {
        GdiFlush();
        std::memcpy(out, bits, static_cast<size_t>(d.width) * static_cast<size_t>(d.height) * 4);
        return true;
    }
    if (!CanConvertDibRows(d)) return false;
    ConvertDibRows(block, d, out);
    return true;
}

enum class DibRead { Pixels, NotThere, Refused };

// The first DIB format on the open clipboard, checked before anything reads it.
DibRead ReadDibFormat(std::vector<uint32_t>* pixels, int* width, int* height) {
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data) data = GetClipboardData(CF_DIBV5);
    if (!data) return DibRead::NotThere;
    const SIZE_T size = GlobalSize(data);
    const uint8_t* block = static_cast<const uint8_t*>(GlobalLock(data));
    if (!block) return DibRead::NotThere;
    DibLayout d;
    const DibCheck check = CheckClipboardDib(block, size, &d);
    DibRead result = DibRead::Refused;
    if (check == DibCheck::Damaged) {
        SetStatusText(kStatusMessage, kDamaged);
    } else if (check == DibCheck::TooLarge) {
        ReportResizeFailure(ResizeResult::TooLarge, d.width, d.height);
    } else if (!TryAllocatePixels(static_cast<uint64_t>(d.width) * static_cast<uint64_t>(d.height), pixels)) {
        OwnedMessageBox(g_app.main, L"Not enough memory to paste this image.", L"Kolvex", MB_OK | MB_ICONWARNING);
    } else if (ConvertBlock(block, d, pixels->data())) {
        *width = d.width;
        *height = d.height;
        result = DibRead::Pixels;
    } else {
        pixels->clear();
        result = DibRead::NotThere; // a sound block the system cannot convert: the bitmap format may serve
    }
    GlobalUnlock(data);
    return result;
}

} // namespace

void PasteFromClipboard() {
    if (!OpenClipboardPatiently()) {
        SetStatusText(kStatusMessage, kClipboardBusy);
        return;
    }
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    const DibRead dib = ReadDibFormat(&pixels, &width, &height);
    // A refused block ends the paste: the bitmap format would be built from the same block, unchecked.
    bool ready = dib == DibRead::Pixels;
    if (dib == DibRead::NotThere)
        ready = ReadBitmapPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), &pixels, &width, &height);
    CloseClipboard();
    if (!ready) return;
    for (uint32_t& v : pixels)
        v |= 0xFF000000u;
    (void)PlaceFloatingImage(pixels.data(), width, height);
}
