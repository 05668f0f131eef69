#include "files/image_load.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "base/scoped_handles.h"
#include "base/text_convert.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "files/bmp_core.h"
#include "files/gdiplus_bridge.h"

static size_t ReadFileAt(void* context, uint64_t offset, uint8_t* dst, size_t n) {
    HANDLE file = static_cast<HANDLE>(context);
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, pos, nullptr, FILE_BEGIN)) return 0;
    size_t done = 0;
    while (done < n) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(file, dst + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

static LoadOutcome Refusal(BmpError e, const BmpSides& sides) {
    if (e == BmpError::TooLarge) return {LoadResult::TooLarge, sides.width, sides.height};
    if (e == BmpError::NoMemory) return {LoadResult::NoMemory, sides.width, sides.height};
    return {};
}

// The program's own reader, which every file that starts with "BM" meets first. *handOn is set for any other file
// and for a BMP of a compression the reader does not decode; a BMP it refuses as damaged goes nowhere else.
static bool DecodeBmpFile(const std::wstring& path, DecodedPicture* out, LoadOutcome* why, bool* handOn) {
    *handOn = false;
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return false;
    const BmpSource src{file.get(), ReadFileAt, static_cast<uint64_t>(size.QuadPart)};
    BmpInfo info;
    BmpSides sides;
    const BmpError e = ReadBmpInfo(src, &info, &sides);
    *handOn = e == BmpError::NotBmp || e == BmpError::Unsupported;
    if (e != BmpError::None) {
        *why = Refusal(e, sides);
        return false;
    }
    const BmpSides stated{info.width, info.height};
    // The decoder writes every pixel.
    if (!out->Allocate(info.width, info.height)) {
        *why = Refusal(BmpError::NoMemory, stated);
        return false;
    }
    bool rowsMissing = false;
    const BmpError d = DecodeBmpPixels(src, info, {out->pixels.get(), info.width, info.height}, &rowsMissing);
    *why = d == BmpError::None ? LoadOutcome{rowsMissing ? LoadResult::RowsMissing : LoadResult::Loaded}
                               : Refusal(d, stated);
    return d == BmpError::None;
}

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return full;
}

// Makes the decoded picture the document. The new surface is made first: without it nothing changes.
static bool ApplyPicture(const std::wstring& fullPath, const DecodedPicture& p) {
    CanvasImage surface;
    if (!MakeCanvasSurface(p.width, p.height, &surface)) return false;
    std::memcpy(surface.pixels, p.pixels.get(), p.Count() * sizeof(uint32_t));
    StartDocument(surface, fullPath);
    return true;
}

bool LoadImageFile(const std::wstring& path, LoadOutcome* outcome) {
    LoadOutcome unasked;
    LoadOutcome& why = outcome ? *outcome : unasked;
    why = {};
    if (path.empty()) return false;
    const std::wstring full = FullPathOf(path);
    DecodedPicture picture;
    bool handOn = false;
    if (!DecodeBmpFile(full, &picture, &why, &handOn)) {
        if (!handOn) return false;
        picture = {};
        if (!DecodeWithGdiplus(full, &picture, &why)) return false;
    }
    if (!picture.pixels) return false;
    if (ApplyPicture(full, picture)) return true;
    why = {LoadResult::NoMemory, picture.width, picture.height};
    return false;
}

bool LoadImageFileAnsi(const std::string& path, LoadOutcome* outcome) {
    if (outcome) *outcome = {};
    const std::wstring wide = AnsiToWide(path);
    return !wide.empty() && LoadImageFile(wide, outcome);
}
