// BMP headers, palette and row decoding, and the 24-bit writer's header and rows.
#include "files/bmp_core.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr uint64_t kFileHeaderBytes = 14;
constexpr uint32_t kMaxColorsUsed = 65536;
// Rows are read this many bytes at a time (at least one row), so a large file costs few reads.
constexpr uint64_t kChunkBytes = 1 << 20;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kOpaque = 0xFF000000u;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

bool IsKnownHeaderSize(uint32_t size) {
    for (uint32_t known : {12u, 40u, 52u, 56u, 64u, 108u, 124u})
        if (size == known) return true;
    return false;
}
bool IsKnownBitCount(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

size_t ReadAt(const BmpSource& src, uint64_t offset, uint8_t* dst, size_t n) {
    return std::min(src.readAt(src.context, offset, dst, n), n);
}

size_t MemoryReadAt(void* context, uint64_t offset, uint8_t* dst, size_t n) {
    const auto* bytes = static_cast<const MemoryBytes*>(context);
    if (!bytes || offset >= bytes->size) return 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(n, bytes->size - offset));
    std::memcpy(dst, bytes->data + offset, count);
    return count;
}

// Reads the entries a pixel can index. The rows never index past 2^bits, so a larger stated count is not read.
BmpError ReadPalette(const BmpSource& src, uint64_t start, uint64_t count, uint64_t entryBytes, int bits,
                     std::vector<uint32_t>* palette) {
    const uint64_t used = bits <= 8 ? std::min<uint64_t>(count, uint64_t{1} << bits) : 0;
    uint8_t raw[256 * 4];
    const size_t got = ReadAt(src, start, raw, static_cast<size_t>(used * entryBytes));
    try {
        palette->assign(static_cast<size_t>(used), 0);
    } catch (const std::bad_alloc&) {
        return BmpError::NoMemory;
    }
    // Entries the file ends before stay 0, as a short palette always loaded.
    const size_t complete = static_cast<size_t>(got / entryBytes);
    for (size_t i = 0; i < complete; ++i) {
        const uint8_t* e = raw + i * entryBytes;
        (*palette)[i] = static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
    }
    return BmpError::None;
}

struct RowDecoder {
    int bits;
    int width;
    uint32_t lut[256]; // palette index -> pixel, white where there is no entry
    uint8_t five[32];  // 5-bit channel -> 8 bits
};

void DecodeRow(const RowDecoder& d, const uint8_t* row, uint32_t* out) {
    const int w = d.width;
    switch (d.bits) {
    case 1:
        for (int x = 0; x < w; ++x)
            out[x] = d.lut[row[x >> 3] >> (7 - (x & 7)) & 1];
        break;
    case 4:
        for (int x = 0; x < w; ++x)
            out[x] = d.lut[(x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4];
        break;
    case 8:
        for (int x = 0; x < w; ++x)
            out[x] = d.lut[row[x]];
        break;
    case 16:
        for (int x = 0; x < w; ++x) {
            const uint32_t v = Le16(row + 2 * x);
            out[x] = kOpaque | static_cast<uint32_t>(d.five[v >> 10 & 31]) << 16 |
                     static_cast<uint32_t>(d.five[v >> 5 & 31]) << 8 | d.five[v & 31];
        }
        break;
    case 24:
        for (int x = 0; x < w; ++x, row += 3)
            out[x] = kOpaque | static_cast<uint32_t>(row[2]) << 16 | static_cast<uint32_t>(row[1]) << 8 | row[0];
        break;
    default: // 32: blue, green, red and an ignored byte, which is exactly a little-endian word's low 24 bits
        for (int x = 0; x < w; ++x)
            out[x] = kOpaque | Le32(row + 4 * x);
        break;
    }
}

RowDecoder MakeRowDecoder(const BmpInfo& info) {
    RowDecoder d{};
    d.bits = info.bitCount;
    d.width = info.width;
    for (size_t i = 0; i < 256; ++i)
        d.lut[i] = i < info.palette.size() ? kOpaque | info.palette[i] : kWhite;
    for (uint32_t c = 0; c < 32; ++c)
        d.five[c] = static_cast<uint8_t>(c * 255 / 31);
    return d;
}

} // namespace

BmpSource MemoryBmpSource(const MemoryBytes* bytes) {
    BmpSource src;
    src.context = const_cast<MemoryBytes*>(bytes);
    src.readAt = MemoryReadAt;
    src.size = bytes ? bytes->size : 0;
    return src;
}

BmpError ReadBmpInfo(const BmpSource& src, BmpInfo* info) {
    if (!info || !src.readAt) return BmpError::NotBmp;
    uint8_t h[kFileHeaderBytes + 40];
    const size_t got = ReadAt(src, 0, h, kFileHeaderBytes + 4);
    if (got < 2 || h[0] != 'B' || h[1] != 'M') return BmpError::NotBmp;
    if (got < kFileHeaderBytes + 4) return BmpError::Truncated;
    BmpInfo out;
    out.pixelOffset = Le32(h + 10);
    out.headerSize = Le32(h + 14);
    if (!IsKnownHeaderSize(out.headerSize)) return BmpError::BadHeaderSize;
    const bool core = out.headerSize == 12;
    // Of the larger headers only the first 40 bytes matter; the rest (masks, colour space) is skipped.
    const size_t fieldBytes = core ? 12 : 40;
    if (ReadAt(src, kFileHeaderBytes, h + kFileHeaderBytes, fieldBytes) != fieldBytes) return BmpError::Truncated;
    const uint8_t* b = h + kFileHeaderBytes;
    int64_t width = 0, height = 0;
    uint32_t colorsUsed = 0;
    if (core) {
        width = Le16(b + 4);
        height = Le16(b + 6);
        out.bitCount = Le16(b + 10);
    } else {
        width = static_cast<int32_t>(Le32(b + 4));
        height = static_cast<int32_t>(Le32(b + 8));
        out.bitCount = Le16(b + 14);
        colorsUsed = Le32(b + 32);
    }
    // Negated in 64 bits, INT_MIN becomes 2^31 and fails the size limit like any other huge side.
    out.topDown = height < 0;
    height = out.topDown ? -height : height;
    if (width < 1 || height < 1) return BmpError::BadSize;
    if (!IsPictureSizeAllowed(width, height)) return BmpError::TooLarge;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    if (!IsKnownBitCount(out.bitCount)) return BmpError::BadBitCount;
    if (out.pixelOffset > src.size) return BmpError::BadOffset;

    // A stated colours-used count is the writer's claim about the table it wrote, so a table that would run past
    // the end of the file means the header is wrong: refused. The implied 2^bits count is only a default; writers
    // that store a shorter table with count 0 are common, so that one may run short and its missing entries are 0.
    if (colorsUsed > kMaxColorsUsed) return BmpError::BadPalette;
    const uint64_t entryBytes = core ? 3 : 4;
    const uint64_t paletteStart = kFileHeaderBytes + out.headerSize;
    if (colorsUsed != 0 && paletteStart + colorsUsed * entryBytes > src.size) return BmpError::BadPalette;
    const uint64_t count = colorsUsed != 0 ? colorsUsed : out.bitCount <= 8 ? uint64_t{1} << out.bitCount : 0;
    const BmpError e = ReadPalette(src, paletteStart, count, entryBytes, out.bitCount, &out.palette);
    if (e != BmpError::None) return e;
    *info = std::move(out);
    return BmpError::None;
}

BmpError DecodeBmpPixels(const BmpSource& src, const BmpInfo& info, const PixelView& dst) {
    if (!src.readAt || !dst.px || dst.width != info.width || dst.height != info.height ||
        !IsPictureSizeAllowed(info.width, info.height))
        return BmpError::BadSize;
    if (!IsKnownBitCount(info.bitCount)) return BmpError::BadBitCount;
    const uint64_t stride = BmpStride(info.bitCount, info.width);
    const uint64_t width = static_cast<uint64_t>(info.width);
    const int height = info.height;
    const uint64_t chunkRows = std::min<uint64_t>(std::max<uint64_t>(1, kChunkBytes / stride), height);
    std::vector<uint8_t> chunk;
    try {
        chunk.resize(static_cast<size_t>(chunkRows * stride));
    } catch (const std::bad_alloc&) {
        return BmpError::NoMemory;
    }
    const RowDecoder decoder = MakeRowDecoder(info);

    // k counts file rows; a bottom-up file's row k is buffer row k, a top-down file's is buffer row height-1-k.
    int k = 0;
    uint64_t offset = info.pixelOffset;
    while (k < height) {
        const uint64_t rows = std::min<uint64_t>(chunkRows, static_cast<uint64_t>(height - k));
        const size_t want = static_cast<size_t>(rows * stride);
        const size_t got = ReadAt(src, offset, chunk.data(), want);
        const int whole = static_cast<int>(got / stride);
        for (int r = 0; r < whole; ++r) {
            const int fileRow = k + r;
            const int bufferRow = info.topDown ? height - 1 - fileRow : fileRow;
            DecodeRow(decoder, chunk.data() + static_cast<uint64_t>(r) * stride,
                      dst.px + static_cast<uint64_t>(bufferRow) * width);
        }
        k += whole;
        offset += got;
        if (got < want) break;
    }
    // The rows the file ends before, including a partial one, are white.
    const uint64_t missing = static_cast<uint64_t>(height - k);
    uint32_t* first = info.topDown ? dst.px : dst.px + static_cast<uint64_t>(k) * width;
    std::fill_n(first, static_cast<size_t>(missing * width), kWhite);
    return BmpError::None;
}

uint64_t BmpStride(int bitCount, int width) {
    if (bitCount < 1 || width < 1) return 0;
    return (static_cast<uint64_t>(bitCount) * static_cast<uint64_t>(width) + 31) / 32 * 4;
}

uint64_t BmpStride24(int width) { return BmpStride(24, width); }

uint64_t BmpFileSize24(int width, int height) {
    return 54 + BmpStride24(width) * static_cast<uint64_t>(std::max(height, 0));
}

// The size fields are 32 bits; every picture within the size limit fits (at most about 300 MB).
void MakeBmpHeader24(int width, int height, uint8_t out[54]) {
    std::memset(out, 0, 54);
    const uint64_t imageBytes = BmpFileSize24(width, height) - 54;
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out + 2, static_cast<uint32_t>(54 + imageBytes));
    PutLe32(out + 10, 54);
    PutLe32(out + 14, 40);
    PutLe32(out + 18, static_cast<uint32_t>(width));
    PutLe32(out + 22, static_cast<uint32_t>(height));
    PutLe16(out + 26, 1);
    PutLe16(out + 28, 24);
    PutLe32(out + 34, static_cast<uint32_t>(imageBytes));
}

void PackBmpRow24(const uint32_t* row, int width, uint8_t* out) {
    const uint64_t stride = BmpStride24(width);
    uint8_t* p = out;
    for (int x = 0; x < width; ++x, p += 3) {
        const uint32_t v = row[x];
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
    std::fill(p, out + stride, uint8_t{0});
}
