// The clipboard's picture blocks without the system: checking a device-independent bitmap another program put
// there before anything reads it, and the program's own conversion of 24- and 32-bit rows.
#pragma once
#include <cstddef>
#include <cstdint>

enum class DibCheck {
    Ok,
    Damaged,  // the block does not hold what its header claims
    TooLarge, // well formed, but beyond the picture-size limit
};

struct DibLayout {
    int width = 0, height = 0; // height always positive
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = 0; // 0 plain rows, 3 bit fields
    uint32_t masks[3] = {};   // red, green, blue with bit fields
    uint64_t pixelOffset = 0; // from the block's start
    uint64_t stride = 0;      // bytes per stored row
};

// Accepts headers of 40, 52, 56, 108 and 124 bytes; 1, 4, 8, 16, 24 and 32 bits of plain rows, or bit fields
// at 16 and 32 bits; a palette no larger than the bit count allows; rows that all lie inside size bytes. The
// masks follow a 40-byte header as 12 more bytes and are part of the longer headers. Structure is checked
// first, the picture-size limit last; out is filled for Ok and TooLarge.
[[nodiscard]] DibCheck CheckClipboardDib(const uint8_t* block, size_t size, DibLayout* out);

// Whether ConvertDibRows can read the layout: 24 bits, or 32 bits with plain rows or the usual masks.
bool CanConvertDibRows(const DibLayout& layout);
// Writes the block's pixels as width x height opaque 0xFFRRGGBB words in bottom-up rows, whatever the block's
// row order. The block must have passed CheckClipboardDib and CanConvertDibRows.
void ConvertDibRows(const uint8_t* block, const DibLayout& layout, uint32_t* out);
