// The BMP format as the program reads it (1, 4, 8, 16, 24 and 32 bits; plain rows, RLE8, RLE4 and bit fields) and
// writes it (24 bits, 40-byte header, bottom-up). Bytes come from a caller-supplied source; pixels are PixelView
// words.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/pixel_core.h"

// Random-access reads of one file's bytes; size is the file's length in bytes.
struct BmpSource {
    void* context = nullptr;
    // Returns the bytes read; fewer than n only at the end of the file.
    size_t (*readAt)(void* context, uint64_t offset, uint8_t* dst, size_t n) = nullptr;
    uint64_t size = 0;
};

struct MemoryBytes {
    const uint8_t* data;
    size_t size;
};
// The source reads *bytes, which must outlive it.
BmpSource MemoryBmpSource(const MemoryBytes* bytes);

enum class BmpError {
    None,
    NotBmp,         // no "BM" signature
    Truncated,      // the headers end early
    BadHeaderSize,  // not 12, 40, 52, 56, 64, 108 or 124
    BadSize,        // a side below 1
    TooLarge,       // beyond the picture-size limit
    BadBitCount,    // not 1, 4, 8, 16, 24 or 32
    BadPalette,     // more than 65,536 colours, or a stated palette the file cannot hold
    BadOffset,      // pixel data offset beyond the end of the file
    BadCompression, // RLE at another bit count than its own or top-down, bit fields at other than 16 or 32 bits
    BadMasks,       // bit fields that overlap, have gaps, leave a colour out, or lie past the end of the file
    BadRle,         // a run, absolute run or delta past its row (as padded in plain rows) or past the last row
    Unsupported,    // a compression this reader does not decode (JPEG, PNG, Huffman, RLE24, 6 and above)
    NoMemory,
};

enum class BmpCompression { None, Rle8, Rle4, BitFields };

struct BmpInfo {
    int width = 0, height = 0; // height as a picture: always positive
    bool topDown = false;
    int bitCount = 0;
    uint64_t pixelOffset = 0;
    uint32_t headerSize = 0;
    BmpCompression compression = BmpCompression::None;
    // Red, green and blue of a 16- or 32-bit pixel: the file's bit fields, else the fixed 5-5-5 or 8-8-8 layout.
    uint32_t masks[3] = {};
    std::vector<uint32_t> palette; // 0x00RRGGBB; only the entries a pixel can index (at most 2^bitCount)
};

struct BmpSides {
    int width = 0, height = 0;
};
// Reads and checks the headers and the palette; on success *info describes a picture within the size limit. On
// failure *info is untouched, and for TooLarge and NoMemory *sides, when given, gets the sides the header states.
[[nodiscard]] BmpError ReadBmpInfo(const BmpSource& src, BmpInfo* info, BmpSides* sides = nullptr);
// Decodes the rows into dst (info.width x info.height, bottom-up) as 0xFFRRGGBB; a palette index without an entry
// gives white. Plain rows the file does not hold are white and set *rowsMissing. RLE pixels no run reaches (after
// an end-of-line, delta or end-of-bitmap escape, or where the stream ends) are palette entry 0; runs may reach into
// the padding a plain row would have, and those pixels are dropped. A run past that or past the last row is
// BadRle, and dst then holds a part of the picture.
[[nodiscard]] BmpError DecodeBmpPixels(const BmpSource& src, const BmpInfo& info, const PixelView& dst,
                                       bool* rowsMissing = nullptr);

// A channel value c of a bit field `bits` wide as 8 bits: c x 255 / (2^bits - 1) rounded down up to 8 bits, its
// top 8 bits beyond.
uint8_t WidenChannel(uint32_t c, int bits);

// Row length in bytes of a file row: bitCount x width bits rounded up to whole 32-bit words.
uint64_t BmpStride(int bitCount, int width);

// The writer's fixed variant: 24-bit BI_RGB, 54 header bytes, bottom-up rows.
uint64_t BmpStride24(int width);
uint64_t BmpFileSize24(int width, int height);
void MakeBmpHeader24(int width, int height, uint8_t out[54]);
// Writes BmpStride24(width) bytes: blue, green, red per pixel, then zero padding. Alpha is dropped.
void PackBmpRow24(const uint32_t* row, int width, uint8_t* out);
