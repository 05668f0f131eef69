// The BMP format as the program reads it (1, 4, 8, 16, 24 and 32 bits, uncompressed rows) and writes it
// (24 bits, 40-byte header, bottom-up). Bytes come from a caller-supplied source; pixels are PixelView words.
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
    NotBmp,        // no "BM" signature
    Truncated,     // the headers end early
    BadHeaderSize, // not 12, 40, 52, 56, 64, 108 or 124
    BadSize,       // a side below 1
    TooLarge,      // beyond the picture-size limit
    BadBitCount,   // not 1, 4, 8, 16, 24 or 32
    BadPalette,    // more than 65,536 colours, or a stated palette the file cannot hold
    BadOffset,     // pixel data offset beyond the end of the file
    NoMemory,
};

struct BmpInfo {
    int width = 0, height = 0; // height as a picture: always positive
    bool topDown = false;
    int bitCount = 0;
    uint64_t pixelOffset = 0;
    uint32_t headerSize = 0;
    std::vector<uint32_t> palette; // 0x00RRGGBB; only the entries a pixel can index (at most 2^bitCount)
};

// Reads and checks the headers and the palette; on success *info describes a picture within the size limit.
[[nodiscard]] BmpError ReadBmpInfo(const BmpSource& src, BmpInfo* info);
// Decodes the rows into dst (info.width x info.height, bottom-up) as 0xFFRRGGBB. Rows the file does not hold
// and palette indices without an entry stay white; that is not an error.
[[nodiscard]] BmpError DecodeBmpPixels(const BmpSource& src, const BmpInfo& info, const PixelView& dst);

// Row length in bytes of a file row: bitCount x width bits rounded up to whole 32-bit words.
uint64_t BmpStride(int bitCount, int width);

// The writer's fixed variant: 24-bit BI_RGB, 54 header bytes, bottom-up rows.
uint64_t BmpStride24(int width);
uint64_t BmpFileSize24(int width, int height);
void MakeBmpHeader24(int width, int height, uint8_t out[54]);
// Writes BmpStride24(width) bytes: blue, green, red per pixel, then zero padding. Alpha is dropped.
void PackBmpRow24(const uint32_t* row, int width, uint8_t* out);
