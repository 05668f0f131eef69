#include "filters/clipboard_core.h"

#include <climits>

#include "document/pixel_core.h"

static uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
static uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

static bool KnownHeaderSize(uint32_t s) { return s == 40 || s == 52 || s == 56 || s == 108 || s == 124; }
static bool KnownBitCount(int b) { return b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32; }

DibCheck CheckClipboardDib(const uint8_t* block, size_t size, DibLayout* out) {
    if (!block || size < 40) return DibCheck::Damaged;
    const uint32_t headerSize = Le32(block);
    if (!KnownHeaderSize(headerSize) || headerSize > size) return DibCheck::Damaged;
    const int32_t width = static_cast<int32_t>(Le32(block + 4));
    const int32_t height = static_cast<int32_t>(Le32(block + 8));
    if (width < 1 || height == 0 || height == INT32_MIN) return DibCheck::Damaged;
    DibLayout d;
    d.width = width;
    d.height = height < 0 ? -height : height;
    d.topDown = height < 0;
    d.bitCount = Le16(block + 14);
    d.compression = Le32(block + 16);
    if (!KnownBitCount(d.bitCount)) return DibCheck::Damaged;
    const bool fields = d.compression == 3;
    if (d.compression != 0 && !(fields && (d.bitCount == 16 || d.bitCount == 32))) return DibCheck::Damaged;
    const uint64_t colorsUsed = Le32(block + 32);
    if (d.bitCount <= 8 && colorsUsed > (uint64_t{1} << d.bitCount)) return DibCheck::Damaged;
    const uint64_t entries = colorsUsed ? colorsUsed : (d.bitCount <= 8 ? uint64_t{1} << d.bitCount : 0);
    uint64_t offset = headerSize;
    if (fields) {
        // A 40-byte header is followed by the three masks; the longer ones hold them.
        if (headerSize == 40) offset += 12;
        if (offset > size) return DibCheck::Damaged;
        for (int k = 0; k < 3; ++k)
            d.masks[k] = Le32(block + 40 + 4 * k);
    }
    offset += entries * 4;
    d.pixelOffset = offset;
    d.stride = (static_cast<uint64_t>(d.bitCount) * static_cast<uint64_t>(d.width) + 31) / 32 * 4;
    const uint64_t rows = d.stride * static_cast<uint64_t>(d.height);
    if (offset > size || rows > size - offset) return DibCheck::Damaged;
    *out = d;
    return IsPictureSizeAllowed(d.width, d.height) ? DibCheck::Ok : DibCheck::TooLarge;
}

bool CanConvertDibRows(const DibLayout& d) {
    if (d.bitCount == 24) return d.compression == 0;
    if (d.bitCount != 32) return false;
    return d.compression == 0 || (d.masks[0] == 0xFF0000u && d.masks[1] == 0xFF00u && d.masks[2] == 0xFFu);
}

void ConvertDibRows(const uint8_t* block, const DibLayout& d, uint32_t* out) {
    const size_t w = static_cast<size_t>(d.width);
    for (int r = 0; r < d.height; ++r) {
        // Output row r counts from the bottom; a top-down block stores the bottom row last.
        const int stored = d.topDown ? d.height - 1 - r : r;
        const uint8_t* src = block + d.pixelOffset + static_cast<uint64_t>(stored) * d.stride;
        uint32_t* dst = out + static_cast<size_t>(r) * w;
        const size_t step = d.bitCount == 24 ? 3 : 4;
        for (size_t x = 0; x < w; ++x, src += step)
            dst[x] = 0xFF000000u | static_cast<uint32_t>(src[2]) << 16 | static_cast<uint32_t>(src[1]) << 8 | src[0];
    }
}
