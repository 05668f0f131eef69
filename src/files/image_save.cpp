#include "files/image_save.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <vector>

#include "base/app_windows.h"
#include "base/scoped_handles.h"
#include "document/canvas_image.h"
#include "document/document_state.h"
#include "files/bmp_core.h"
#include "files/gdiplus_bridge.h"
#include "files/image_load.h"
#include "shell/dialog_frame.h"

static bool HasPicture() { return g_canvas.pixels && g_canvas.width >= 1 && g_canvas.height >= 1; }

// A leftover from a save that was cut short may stand in the way; it is ours to remove.
static HANDLE CreateTempFile(const std::wstring& temp) {
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFileW(temp.c_str()))
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h;
}

static bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

static bool WriteBmpRows(HANDLE file, const PixelView& v) {
    uint8_t header[54];
    MakeBmpHeader24(v.width, v.height, header);
    if (!WriteAll(file, header, sizeof header)) return false;
    const size_t stride = static_cast<size_t>(BmpStride24(v.width));
    // Rows go out in blocks of about 1 MiB: few system calls, little memory.
    const size_t rowsPerBlock = std::max<size_t>(1, (1u << 20) / stride);
    std::vector<uint8_t> block;
    try {
        block.resize(stride * std::min<size_t>(rowsPerBlock, static_cast<size_t>(v.height)));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int row = 0; row < v.height;) {
        const int n = static_cast<int>(std::min<size_t>(rowsPerBlock, static_cast<size_t>(v.height - row)));
        // Memory order is the file's order: bottom row first.
        for (int i = 0; i < n; ++i)
            PackBmpRow24(v.px + static_cast<size_t>(row + i) * v.width, v.width, block.data() + i * stride);
        if (!WriteAll(file, block.data(), stride * n)) return false;
        row += n;
    }
    return true;
}

// Moves the finished temporary file over the target; on failure the temporary file goes and the target stays.
static bool ReplaceTarget(const std::wstring& temp, const std::wstring& target) {
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

SaveResult WriteBmpFile(const std::wstring& path) {
    if (!HasPicture()) return SaveResult::NoPicture;
    GdiFlush();
    const std::wstring temp = SaveTempName(path);
    HANDLE h = CreateTempFile(temp);
    if (h == INVALID_HANDLE_VALUE) return SaveResult::WriteFailed;
    bool ok = WriteBmpRows(h, CanvasPixels());
    ok = FlushFileBuffers(h) && ok;
    ok = CloseHandle(h) && ok;
    if (!ok) {
        DeleteFileW(temp.c_str());
        return SaveResult::WriteFailed;
    }
    return ReplaceTarget(temp, path) ? SaveResult::Saved : SaveResult::WriteFailed;
}

SaveResult WriteEncodedImage(const std::wstring& path, ImageFormat format) {
    if (!HasPicture() || !g_canvas.dib) return SaveResult::NoPicture;
    if (format != ImageFormat::Png && format != ImageFormat::Jpeg && format != ImageFormat::Gif)
        return SaveResult::WriteFailed;
    GdiFlush();
    const std::wstring temp = SaveTempName(path);
    DeleteFileW(temp.c_str());
    switch (EncodeWithGdiplus(temp, format, CanvasPixels())) {
    case EncodeResult::Saved: break;
    case EncodeResult::NoGdiplus: return SaveResult::NoGdiplus;
    case EncodeResult::Incomplete: return SaveResult::GdiplusIncomplete;
    case EncodeResult::StartupFailed: return SaveResult::GdiplusStartupFailed;
    case EncodeResult::NoEncoder: return SaveResult::NoEncoder;
    default: DeleteFileW(temp.c_str()); return SaveResult::WriteFailed;
    }
    return ReplaceTarget(temp, path) ? SaveResult::Saved : SaveResult::WriteFailed;
}

void ReportSaveFailure(SaveResult result) {
    const wchar_t* text = nullptr;
    UINT icon = MB_ICONWARNING;
    switch (result) {
    case SaveResult::NoGdiplus:
        text = L"Saving PNG / JPEG / GIF requires GDI+ (gdiplus.dll).\r\nIt is included with Windows XP and "
               L"later.\r\nOn older systems, save as BMP or install the GDI+ redistributable.";
        break;
    case SaveResult::GdiplusIncomplete: text = L"GDI+ is incomplete or too old to save this format."; break;
    case SaveResult::NoEncoder: text = L"GDI+ does not provide an encoder for this format."; break;
    case SaveResult::GdiplusStartupFailed:
    case SaveResult::WriteFailed:
        text = L"Failed to save the image.";
        icon = MB_ICONERROR;
        break;
    default: return;
    }
    OwnedMessageBox(g_app.main, text, L"Kolvex", MB_OK | icon);
}

bool SaveImageFile(const std::wstring& path) {
    if (path.empty() || !HasPicture()) return false;
    const std::wstring full = FullPathOf(path);
    const ImageFormat format = FormatFromExtension(full);
    const SaveResult r = (format == ImageFormat::Bmp || format == ImageFormat::Other) ? WriteBmpFile(full)
                                                                                      : WriteEncodedImage(full, format);
    if (r != SaveResult::Saved) {
        ReportSaveFailure(r);
        return false;
    }
    SetDocumentSaved(full);
    return true;
}
