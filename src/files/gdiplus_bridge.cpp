#include "files/gdiplus_bridge.h"

#include <objbase.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "files/quantize_core.h"
#include "base/gdiplus_api.h"
#include "base/scoped_handles.h"

namespace {
// A copy beyond this would crowd the decoded pixels out of a 32-bit process.
constexpr LONGLONG kMaxCopiedFileBytes = 256LL << 20;

// Started GDI+ for the life of one operation.
class GdiplusSession {
public:
    explicit GdiplusSession(const GdiplusApi& api) : api_(api) {
        const GdiplusStartupInput input;
        started_ = api.Startup(&token_, &input, nullptr) == kGpOk;
    }
    ~GdiplusSession() {
        if (started_) api_.Shutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool started() const { return started_; }

private:
    const GdiplusApi& api_;
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// A GDI+ image disposed of when it goes out of scope.
class GpImageHolder {
public:
    explicit GpImageHolder(const GdiplusApi& api) : api_(api) {}
    ~GpImageHolder() {
        if (image_) api_.DisposeImage(image_);
    }
    GpImageHolder(const GpImageHolder&) = delete;
    GpImageHolder& operator=(const GpImageHolder&) = delete;
    void** receive() { return &image_; }
    void* get() const { return image_; }

private:
    const GdiplusApi& api_;
    void* image_ = nullptr;
};
// A COM stream released when it goes out of scope.
class StreamHolder {
public:
    explicit StreamHolder(IStream* stream) : stream_(stream) {}
    ~StreamHolder() {
        if (stream_) stream_->Release();
    }
    StreamHolder(const StreamHolder&) = delete;
    StreamHolder& operator=(const StreamHolder&) = delete;
    IStream* get() const { return stream_; }

private:
    IStream* stream_;
};
} // namespace

// The whole file in a movable block, which the stream then owns; the file is closed before GDI+ sees it.
static IStream* OpenCopyOfFile(const std::wstring& path) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (file.get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > kMaxCopiedFileBytes)
        return nullptr;
    const DWORD bytes = static_cast<DWORD>(size.QuadPart);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    DWORD got = 0;
    const bool read = p && ReadFile(file.get(), p, bytes, &got, nullptr) && got == bytes;
    if (p) GlobalUnlock(block);
    IStream* stream = nullptr;
    if (!read || FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    return stream;
}

static bool ReadHbitmapPixels(HBITMAP bitmap, int width, int height, DecodedPicture* out, LoadOutcome* why) {
    if (!out->Allocate(width, height)) {
        *why = {LoadResult::NoMemory, width, height};
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as the picture keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ScopedGetDC screen(nullptr);
    ScopedMemDC mem(screen.get());
    if (!mem.get()) return false;
    if (GetDIBits(mem.get(), bitmap, 0, static_cast<UINT>(height), out->pixels.get(), &info, DIB_RGB_COLORS) != height)
        return false;
    // Transparent pixels come back blended onto white but keep their alpha; the picture is opaque.
    uint32_t* px = out->pixels.get();
    for (size_t i = 0, n = out->Count(); i < n; ++i)
        px[i] |= 0xFF000000u;
    return true;
}

bool DecodeWithGdiplus(const std::wstring& path, DecodedPicture* out, LoadOutcome* why) {
    *why = {};
    GdiplusApi api;
    if (api.Load() != GdiplusLoad::Loaded) return false;
    // Released after the bitmap, which may read from it until it is disposed of.
    StreamHolder stream(OpenCopyOfFile(path));
    if (!stream.get()) return false;
    HBITMAP hbm = nullptr;
    int width = 0, height = 0;
    {
        GdiplusSession session(api);
        if (!session.started()) return false;
        GpImageHolder bitmap(api);
        UINT w = 0, h = 0;
        if (api.CreateBitmapFromStream(stream.get(), bitmap.receive()) != kGpOk || !bitmap.get()) return false;
        if (api.GetImageWidth(bitmap.get(), &w) != kGpOk || api.GetImageHeight(bitmap.get(), &h) != kGpOk) return false;
        width = static_cast<int>(std::min<UINT>(w, INT_MAX));
        height = static_cast<int>(std::min<UINT>(h, INT_MAX));
        if (!IsPictureSizeAllowed(width, height)) {
            if (width > 0 && height > 0) *why = {LoadResult::TooLarge, width, height};
            return false;
        }
        // Opaque white behind transparent areas.
        const GpStatus made = api.CreateHBITMAPFromBitmap(bitmap.get(), &hbm, 0xFFFFFFFF);
        if (made != kGpOk) {
            if (made == kGpOutOfMemory) *why = {LoadResult::NoMemory, width, height};
            return false;
        }
    }
    if (!hbm) return false;
    ScopedGdiObj<HBITMAP> owned(hbm);
    if (!ReadHbitmapPixels(hbm, width, height, out, why)) return false;
    *why = {LoadResult::Loaded};
    return true;
}

static const wchar_t* MimeTypeOf(ImageFormat f) {
    switch (f) {
    case ImageFormat::Png: return L"image/png";
    case ImageFormat::Jpeg: return L"image/jpeg";
    case ImageFormat::Gif: return L"image/gif";
    default: return nullptr;
    }
}

static bool FindEncoder(const GdiplusApi& api, const wchar_t* mime, CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (api.GetImageEncodersSize(&count, &bytes) != kGpOk || count == 0 || bytes < count * sizeof(GdiplusCodecInfo))
        return false;
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* codecs = reinterpret_cast<GdiplusCodecInfo*>(buffer.data());
    if (api.GetImageEncoders(count, bytes, codecs) != kGpOk) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].mimeType && lstrcmpiW(codecs[i].mimeType, mime) == 0) {
            *clsid = codecs[i].clsid;
            return true;
        }
    }
    return false;
}

// An 8-bit bitmap with its own palette: the platform's own conversion would map every picture to a fixed
// palette, and some encoders write nothing usable for a 32-bit source.
struct IndexedRows {
    std::vector<uint8_t> rows; // top-down, stride bytes each
    int stride = 0;
    GdiplusPalette256 palette;
};

static bool MakeIndexedRows(const PixelView& pixels, IndexedRows* out) {
    IndexedPicture indexed;
    if (!QuantizeTo256(pixels.px, pixels.width, pixels.height, &indexed)) return false;
    out->stride = (pixels.width + 3) & ~3;
    try {
        out->rows.assign(static_cast<size_t>(out->stride) * static_cast<size_t>(pixels.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < pixels.height; ++y) {
        // The indices keep the picture's bottom-up order.
        const uint8_t* src = indexed.indices.data() + static_cast<size_t>(pixels.height - 1 - y) * pixels.width;
        std::memcpy(out->rows.data() + static_cast<size_t>(y) * out->stride, src, static_cast<size_t>(pixels.width));
    }
    out->palette.count = static_cast<UINT>(indexed.palette.size());
    for (size_t i = 0; i < indexed.palette.size(); ++i)
        out->palette.entries[i] = 0xFF000000u | indexed.palette[i];
    return true;
}

EncodeResult EncodeWithGdiplus(const std::wstring& path, ImageFormat format, const PixelView& pixels) {
    const wchar_t* mime = MimeTypeOf(format);
    if (!mime || !pixels.px || pixels.width < 1 || pixels.height < 1) return EncodeResult::Failed;
    GdiplusApi api;
    switch (api.Load()) {
    case GdiplusLoad::Loaded: break;
    case GdiplusLoad::Missing: return EncodeResult::NoGdiplus;
    case GdiplusLoad::Incomplete: return EncodeResult::Incomplete;
    }
    GdiplusSession session(api);
    if (!session.started()) return EncodeResult::StartupFailed;
    CLSID encoder;
    if (!FindEncoder(api, mime, &encoder)) return EncodeResult::NoEncoder;

    GpImageHolder bitmap(api);
    IndexedRows indexed;
    if (format == ImageFormat::Gif) {
        if (!MakeIndexedRows(pixels, &indexed)) return EncodeResult::Failed;
        if (api.CreateBitmapFromScan0(pixels.width, pixels.height, indexed.stride, kGpPixelFormat8bppIndexed,
                                      indexed.rows.data(), bitmap.receive()) != kGpOk ||
            !bitmap.get() || api.SetImagePalette(bitmap.get(), &indexed.palette) != kGpOk)
            return EncodeResult::Failed;
    } else {
        // Straight over the picture's bottom-up rows: a negative stride from the top row, alpha ignored.
        BYTE* top = reinterpret_cast<BYTE*>(pixels.px + static_cast<size_t>(pixels.height - 1) * pixels.width);
        if (api.CreateBitmapFromScan0(pixels.width, pixels.height, -4 * pixels.width, kGpPixelFormat32bppRGB, top,
                                      bitmap.receive()) != kGpOk ||
            !bitmap.get())
            return EncodeResult::Failed;
    }
    return api.SaveImageToFile(bitmap.get(), path.c_str(), &encoder, nullptr) == kGpOk ? EncodeResult::Saved
                                                                                       : EncodeResult::Failed;
}
