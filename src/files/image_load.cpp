#include "files/image_load.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "document/canvas_image.h"
#include "document/undo_history.h"
#include "document/view_state.h"
#include "files/bmp_core.h"
#include "files/file_core.h"
#include "files/gdiplus_bridge.h"
#include "shell/main_window.h"
#include "shell/recent_files.h"
#include "shell/scoped_handles.h"
#include "shell/status_bar.h"
#include "shell/text_convert.h"
#include "tools/text_tool.h"

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

// Grows the main window to show the whole picture, within the work area; it never shrinks or moves.
static void FitMainWindow(int width, int height) {
    RECT work;
    RECT outer;
    if (!g_app.main || !SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(g_app.main, &outer))
        return;
    const FitMetrics m{GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), GetSystemMetrics(SM_CYCAPTION),
                       GetSystemMetrics(SM_CYMENU)};
    const WindowFit f = FitWindowToPicture(width, height, m, work.right - work.left, work.bottom - work.top,
                                           outer.right - outer.left, outer.bottom - outer.top);
    if (f.resize) SetWindowPos(g_app.main, nullptr, 0, 0, f.width, f.height, SWP_NOMOVE | SWP_NOZORDER);
}

// Makes the decoded picture the document. The new surface is made first: without it nothing changes.
static bool ApplyPicture(const std::wstring& fullPath, const DecodedPicture& p) {
    CommitTextBox();
    if (!CreateCanvasImage(p.width, p.height, false)) return false;
    std::memcpy(g_canvas.pixels, p.pixels.get(), p.Count() * sizeof(uint32_t));
    g_document.path = WideToUtf8(fullPath);
    ClearUndoStack();
    ClearRedoStack();
    g_document.modified = false;
    UpdateWindowTitle();
    if (g_app.main) {
        FitMainWindow(p.width, p.height);
        LayoutChildWindows(g_app.main);
        if (g_app.canvas) InvalidateRect(g_app.canvas, nullptr, FALSE);
    }
    AddRecentFile(fullPath);
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
