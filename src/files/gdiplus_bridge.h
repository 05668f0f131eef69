// GDI+ loaded by name for one decode or one encode and released after it; the program never links it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "document/pixel_core.h"
#include "files/file_core.h"
#include "files/image_load.h"

// A decoded picture: bottom-up 0xFFRRGGBB pixels, width x height.
struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::unique_ptr<uint32_t[]> pixels;
    size_t Count() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
    // Room for width x height pixels, left uninitialised: every decoder writes each of them. False without
    // memory.
    [[nodiscard]] bool Allocate(int w, int h) {
        pixels.reset(new (std::nothrow) uint32_t[static_cast<size_t>(w) * static_cast<size_t>(h)]);
        width = pixels ? w : 0;
        height = pixels ? h : 0;
        return pixels != nullptr;
    }
};

// Any format GDI+ reads, with transparent areas made white. GDI+ reads a copy of the file in memory, so a decode
// that fails leaves no handle open on it. False when GDI+ is missing, the file is larger than 256 MiB, GDI+ cannot
// read it, or the picture is beyond the size limit or memory; *why says which.
[[nodiscard]] bool DecodeWithGdiplus(const std::wstring& path, DecodedPicture* out, LoadOutcome* why);

enum class EncodeResult { Saved, NoGdiplus, Incomplete, StartupFailed, NoEncoder, Failed };
// Writes the pixels as PNG, JPEG or GIF to path, nothing else. A GIF gets the picture's own colours when it
// has at most 256, else 256 chosen from it.
[[nodiscard]] EncodeResult EncodeWithGdiplus(const std::wstring& path, ImageFormat format, const PixelView& pixels);
