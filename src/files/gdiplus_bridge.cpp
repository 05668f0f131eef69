#include "files/gdiplus_bridge.h"

#include <objbase.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "files/quantize_core.h"
#include "base/scoped_handles.h"

// The flat API's records, declared here so that no GDI+ header or import library is needed.
namespace {
using GpStatus = int;
struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
struct ImageCodecInfo {
    CLSID clsid;
    GUID formatId;
    const WCHAR* codecName;
    const WCHAR* dllName;
    const WCHAR* formatDescription;
    const WCHAR* filenameExtension;
    const WCHAR* mimeType;
    DWORD flags, version, sigCount, sigSize;
    const BYTE* sigPattern;
    const BYTE* sigMask;
};
struct ColorPalette256 {
    UINT flags = 0;
    UINT count = 0;
    UINT32 entries[256] = {}; // 0xAARRGGBB
};
constexpr GpStatus kOutOfMemory = 3;
constexpr int kPixelFormat32bppRGB = 0x00022009;
// A copy beyond this would crowd the decoded pixels out of a 32-bit process.
constexpr LONGLONG kMaxCopiedFileBytes = 256LL << 20;
constexpr int kPixelFormat8bppIndexed = 0x00030803;

using StartupFn = GpStatus(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
using ShutdownFn = void(WINAPI*)(ULONG_PTR);
using CreateBitmapFromStreamFn = GpStatus(WINAPI*)(IStream*, void**);
using CreateHBITMAPFromBitmapFn = GpStatus(WINAPI*)(void*, HBITMAP*, DWORD);
using DisposeImageFn = GpStatus(WINAPI*)(void*);
using GetImageSizeFn = GpStatus(WINAPI*)(void*, UINT*);
using CreateBitmapFromScan0Fn = GpStatus(WINAPI*)(INT, INT, INT, INT, BYTE*, void**);
using SaveImageToFileFn = GpStatus(WINAPI*)(void*, const WCHAR*, const CLSID*, const void*);
using GetImageEncodersSizeFn = GpStatus(WINAPI*)(UINT*, UINT*);
using GetImageEncodersFn = GpStatus(WINAPI*)(UINT, UINT, ImageCodecInfo*);
using SetImagePaletteFn = GpStatus(WINAPI*)(void*, const ColorPalette256*);

// Started GDI+ for the life of one operation.
class GdiplusSession {
public:
    GdiplusSession(StartupFn startup, ShutdownFn shutdown) : shutdown_(shutdown) {
        const StartupInput input;
        started_ = startup(&token_, &input, nullptr) == 0;
    }
    ~GdiplusSession() {
        if (started_) shutdown_(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool started() const { return started_; }

private:
    ShutdownFn shutdown_;
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// A GDI+ image disposed of when it goes out of scope.
class GpImageHolder {
public:
    explicit GpImageHolder(DisposeImageFn dispose) : dispose_(dispose) {}
    ~GpImageHolder() {
        if (image_) dispose_(image_);
    }
    GpImageHolder(const GpImageHolder&) = delete;
    GpImageHolder& operator=(const GpImageHolder&) = delete;
    void** receive() { return &image_; }
    void* get() const { return image_; }

private:
    DisposeImageFn dispose_;
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
    ScopedLibrary lib("gdiplus.dll");
    StartupFn startup;
    ShutdownFn shutdown;
    CreateBitmapFromStreamFn fromStream;
    CreateHBITMAPFromBitmapFn toHbitmap;
    DisposeImageFn dispose;
    GetImageSizeFn getWidth, getHeight;
    if (!lib.Resolve("GdiplusStartup", &startup) || !lib.Resolve("GdiplusShutdown", &shutdown) ||
        !lib.Resolve("GdipCreateBitmapFromStream", &fromStream) ||
        !lib.Resolve("GdipCreateHBITMAPFromBitmap", &toHbitmap) || !lib.Resolve("GdipDisposeImage", &dispose) ||
        !lib.Resolve("GdipGetImageWidth", &getWidth) || !lib.Resolve("GdipGetImageHeight", &getHeight))
        return false;
    // Released after the bitmap, which may read from it until it is disposed of.
    StreamHolder stream(OpenCopyOfFile(path));
    if (!stream.get()) return false;
    HBITMAP hbm = nullptr;
    int width = 0, height = 0;
    {
        GdiplusSession session(startup, shutdown);
        if (!session.started()) return false;
        GpImageHolder bitmap(dispose);
        UINT w = 0, h = 0;
        if (fromStream(stream.get(), bitmap.receive()) != 0 || !bitmap.get()) return false;
        if (getWidth(bitmap.get(), &w) != 0 || getHeight(bitmap.get(), &h) != 0) return false;
        width = static_cast<int>(std::min<UINT>(w, INT_MAX));
        height = static_cast<int>(std::min<UINT>(h, INT_MAX));
        if (!IsPictureSizeAllowed(width, height)) {
            if (width > 0 && height > 0) *why = {LoadResult::TooLarge, width, height};
            return false;
        }
        // Opaque white behind transparent areas.
        const GpStatus made = toHbitmap(bitmap.get(), &hbm, 0xFFFFFFFF);
        if (made != 0) {
            if (made == kOutOfMemory) *why = {LoadResult::NoMemory, width, height};
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

static bool FindEncoder(GetImageEncodersSizeFn getSize, GetImageEncodersFn getEncoders, const wchar_t* mime,
                        CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (!getSize || !getEncoders || getSize(&count, &bytes) != 0 || count == 0 ||
        bytes < count * sizeof(ImageCodecInfo))
        return false;
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (getEncoders(count, bytes, codecs) != 0) return false;
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
    ColorPalette256 palette;
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
    ScopedLibrary lib("gdiplus.dll");
    if (!lib.get()) return EncodeResult::NoGdiplus;
    StartupFn startup;
    ShutdownFn shutdown;
    CreateBitmapFromScan0Fn fromScan0;
    DisposeImageFn dispose;
    SaveImageToFileFn save;
    SetImagePaletteFn setPalette = nullptr;
    if (!lib.Resolve("GdiplusStartup", &startup) || !lib.Resolve("GdiplusShutdown", &shutdown) ||
        !lib.Resolve("GdipCreateBitmapFromScan0", &fromScan0) || !lib.Resolve("GdipDisposeImage", &dispose) ||
        !lib.Resolve("GdipSaveImageToFile", &save) ||
        (format == ImageFormat::Gif && !lib.Resolve("GdipSetImagePalette", &setPalette)))
        return EncodeResult::Incomplete;
    GdiplusSession session(startup, shutdown);
    if (!session.started()) return EncodeResult::StartupFailed;
    GetImageEncodersSizeFn getSize;
    GetImageEncodersFn getEncoders;
    lib.Resolve("GdipGetImageEncodersSize", &getSize);
    lib.Resolve("GdipGetImageEncoders", &getEncoders);
    CLSID encoder;
    if (!FindEncoder(getSize, getEncoders, mime, &encoder)) return EncodeResult::NoEncoder;

    GpImageHolder bitmap(dispose);
    IndexedRows indexed;
    if (format == ImageFormat::Gif) {
        if (!MakeIndexedRows(pixels, &indexed)) return EncodeResult::Failed;
        if (fromScan0(pixels.width, pixels.height, indexed.stride, kPixelFormat8bppIndexed, indexed.rows.data(),
                      bitmap.receive()) != 0 ||
            !bitmap.get() || setPalette(bitmap.get(), &indexed.palette) != 0)
            return EncodeResult::Failed;
    } else {
        // Straight over the picture's bottom-up rows: a negative stride from the top row, alpha ignored.
        BYTE* top = reinterpret_cast<BYTE*>(pixels.px + static_cast<size_t>(pixels.height - 1) * pixels.width);
        if (fromScan0(pixels.width, pixels.height, -4 * pixels.width, kPixelFormat32bppRGB, top, bitmap.receive()) !=
                0 ||
            !bitmap.get())
            return EncodeResult::Failed;
    }
    return save(bitmap.get(), path.c_str(), &encoder, nullptr) == 0 ? EncodeResult::Saved : EncodeResult::Failed;
}
