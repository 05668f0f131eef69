// BMP headers, palette, plain, RLE and bit-field rows, and the 24-bit writer's header and rows.
#include "files/bmp_core.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr uint64_t kFileHeaderBytes = 14;
constexpr uint32_t kMaxColorsUsed = 65536;
// Rows are read this many bytes at a time (at least one row), so a large file costs few reads.
constexpr uint64_t kChunkBytes = 1 << 20;
constexpr size_t kRleBufferBytes = 1 << 16;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kOpaque = 0xFF000000u;
// The compression field. The 64-byte header of the other system uses 3 and 4 for Huffman and RLE24.
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3;
constexpr uint32_t kOtherSystemHeaderSize = 64;
// Red, green and blue: bit fields lie at the same offset in the 40-byte header's extra 12 bytes and inside the
// larger headers.
constexpr uint64_t kMasksOffset = kFileHeaderBytes + 40;
constexpr uint64_t kMasksBytes = 12;

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

struct HeaderFields {
    int64_t width = 0, height = 0;
    int bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
};

// The fields of the core header or the first 40 bytes of a larger one; the rest of a larger header is read only
// for its bit fields.
BmpError ReadHeaderFields(const BmpSource& src, uint32_t headerSize, HeaderFields* f) {
    uint8_t b[40];
    const size_t fieldBytes = headerSize == 12 ? 12 : 40;
    if (ReadAt(src, kFileHeaderBytes, b, fieldBytes) != fieldBytes) return BmpError::Truncated;
    if (headerSize == 12) {
        f->width = Le16(b + 4);
        f->height = Le16(b + 6);
        f->bitCount = Le16(b + 10);
        return BmpError::None;
    }
    f->width = static_cast<int32_t>(Le32(b + 4));
    f->height = static_cast<int32_t>(Le32(b + 8));
    f->bitCount = Le16(b + 14);
    f->compression = Le32(b + 16);
    f->colorsUsed = Le32(b + 32);
    return BmpError::None;
}

BmpError ClassifyCompression(uint32_t value, uint32_t headerSize, BmpCompression* out) {
    if (value == kBiRgb)
        *out = BmpCompression::None;
    else if (value == kBiRle8)
        *out = BmpCompression::Rle8;
    else if (value == kBiRle4)
        *out = BmpCompression::Rle4;
    else if (value == kBiBitFields && headerSize != kOtherSystemHeaderSize)
        *out = BmpCompression::BitFields;
    else
        return BmpError::Unsupported;
    return BmpError::None;
}

// RLE rows are bottom-up by definition, and each RLE form has one bit count.
BmpError CheckCompression(const BmpInfo& info) {
    switch (info.compression) {
    case BmpCompression::Rle8: return info.bitCount == 8 && !info.topDown ? BmpError::None : BmpError::BadCompression;
    case BmpCompression::Rle4: return info.bitCount == 4 && !info.topDown ? BmpError::None : BmpError::BadCompression;
    case BmpCompression::BitFields:
        return info.bitCount == 16 || info.bitCount == 32 ? BmpError::None : BmpError::BadCompression;
    default: return BmpError::None;
    }
}

bool IsContiguous(uint32_t mask) {
    const uint32_t field = mask >> std::countr_zero(mask);
    return (field & (field + 1)) == 0;
}

// Each colour needs a field of one run of bits inside the pixel, apart from the others.
BmpError CheckMasks(const uint32_t masks[3], int bits) {
    const uint64_t pixelBits = bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < 3; ++i)
        if (masks[i] == 0 || masks[i] > pixelBits || !IsContiguous(masks[i])) return BmpError::BadMasks;
    if ((masks[0] & masks[1]) != 0 || (masks[0] & masks[2]) != 0 || (masks[1] & masks[2]) != 0)
        return BmpError::BadMasks;
    return BmpError::None;
}

// Plain 16- and 32-bit rows have fixed fields. Bit fields must lie before the rows: a writer that leaves them out
// and starts its rows right after the 40-byte header would have its first pixels taken for masks.
BmpError ReadMasks(const BmpSource& src, BmpInfo* info) {
    uint32_t* m = info->masks;
    if (info->compression != BmpCompression::BitFields) {
        if (info->bitCount == 16) m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
        if (info->bitCount == 32) m[0] = 0xFF0000, m[1] = 0x00FF00, m[2] = 0x0000FF;
        return BmpError::None;
    }
    uint8_t raw[kMasksBytes];
    if (info->pixelOffset < kMasksOffset + kMasksBytes || ReadAt(src, kMasksOffset, raw, kMasksBytes) != kMasksBytes)
        return BmpError::BadMasks;
    for (int i = 0; i < 3; ++i)
        m[i] = Le32(raw + 4 * i);
    return CheckMasks(m, info->bitCount);
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

// A stated colours-used count is the writer's claim about the table it wrote, so a table that would run past the
// end of the file means the header is wrong: refused. The implied 2^bits count is only a default; writers that
// store a shorter table with count 0 are common, so that one may run short and its missing entries are 0. Above 8
// bits no table is read, so the count means nothing.
BmpError ReadPaletteOf(const BmpSource& src, uint32_t colorsUsed, BmpInfo* info) {
    if (info->bitCount > 8) return BmpError::None;
    if (colorsUsed > kMaxColorsUsed) return BmpError::BadPalette;
    const uint64_t entryBytes = info->headerSize == 12 ? 3 : 4;
    const uint64_t start = kFileHeaderBytes + info->headerSize;
    if (colorsUsed != 0 && start + colorsUsed * entryBytes > src.size) return BmpError::BadPalette;
    const uint64_t count = colorsUsed != 0 ? colorsUsed : uint64_t{1} << info->bitCount;
    return ReadPalette(src, start, count, entryBytes, info->bitCount, &info->palette);
}

// One colour field of a 16- or 32-bit pixel: (pixel >> shift) & mask indexes its 8-bit values.
struct Channel {
    int shift = 0;
    uint32_t mask = 0;
    uint8_t widen[256] = {};
};

Channel MakeChannel(uint32_t field) {
    Channel c;
    const int bits = std::popcount(field);
    // Beyond 8 bits only the top 8 count, so they alone are taken out of the pixel.
    c.shift = std::countr_zero(field) + std::max(bits - 8, 0);
    c.mask = (1u << std::min(bits, 8)) - 1;
    for (uint32_t v = 0; v <= c.mask; ++v)
        c.widen[v] = bits > 8 ? static_cast<uint8_t>(v) : WidenChannel(v, bits);
    return c;
}

struct RowDecoder {
    int bits;
    int width;
    uint32_t lut[256];  // palette index -> pixel, white where there is no entry
    Channel channel[3]; // red, green, blue of 16- and 32-bit pixels
    bool plain32;       // 32 bits of blue, green, red and an ignored byte: a word's low 24 bits as they are
};

uint32_t FromFields(const RowDecoder& d, uint32_t v) {
    const Channel* c = d.channel;
    return kOpaque | static_cast<uint32_t>(c[0].widen[v >> c[0].shift & c[0].mask]) << 16 |
           static_cast<uint32_t>(c[1].widen[v >> c[1].shift & c[1].mask]) << 8 |
           c[2].widen[v >> c[2].shift & c[2].mask];
}

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
        for (int x = 0; x < w; ++x)
            out[x] = FromFields(d, Le16(row + 2 * x));
        break;
    case 24:
        for (int x = 0; x < w; ++x, row += 3)
            out[x] = kOpaque | static_cast<uint32_t>(row[2]) << 16 | static_cast<uint32_t>(row[1]) << 8 | row[0];
        break;
    default:
        if (d.plain32) {
            for (int x = 0; x < w; ++x)
                out[x] = kOpaque | Le32(row + 4 * x);
        } else {
            for (int x = 0; x < w; ++x)
                out[x] = FromFields(d, Le32(row + 4 * x));
        }
        break;
    }
}

RowDecoder MakeRowDecoder(const BmpInfo& info) {
    RowDecoder d{};
    d.bits = info.bitCount;
    d.width = info.width;
    for (size_t i = 0; i < 256; ++i)
        d.lut[i] = i < info.palette.size() ? kOpaque | info.palette[i] : kWhite;
    if (d.bits == 16 || d.bits == 32)
        for (int i = 0; i < 3; ++i)
            d.channel[i] = MakeChannel(info.masks[i]);
    d.plain32 = d.bits == 32 && info.masks[0] == 0xFF0000 && info.masks[1] == 0x00FF00 && info.masks[2] == 0x0000FF;
    return d;
}

// k counts file rows; a bottom-up file's row k is buffer row k, a top-down file's is buffer row height-1-k.
BmpError DecodePlainRows(const BmpSource& src, const BmpInfo& info, const RowDecoder& decoder, const PixelView& dst,
                         bool* rowsMissing) {
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
    if (rowsMissing) *rowsMissing = missing != 0;
    return BmpError::None;
}

// The RLE stream from the pixel data offset to the end of the file, a buffer at a time.
class ByteStream {
public:
    ByteStream(const BmpSource& src, uint64_t offset, std::vector<uint8_t>* buffer)
        : src_(src), offset_(offset), buffer_(*buffer) {}
    // The next byte, or -1 at the end of the file.
    int Next() {
        if (at_ == len_ && !Refill()) return -1;
        return buffer_[at_++];
    }
    // Up to n bytes; fewer only at the end of the file.
    size_t Read(uint8_t* dst, size_t n) {
        size_t done = 0;
        for (int b; done < n && (b = Next()) >= 0;)
            dst[done++] = static_cast<uint8_t>(b);
        return done;
    }

private:
    bool Refill() {
        len_ = ReadAt(src_, offset_, buffer_.data(), buffer_.size());
        offset_ += len_;
        at_ = 0;
        return len_ > 0;
    }
    const BmpSource& src_;
    uint64_t offset_;
    std::vector<uint8_t>& buffer_;
    size_t at_ = 0, len_ = 0;
};

// Where the next RLE pixel goes: x 0..rowPixels, y 0..height (height: past the last row). A row reaches as far as a
// plain file's row with its padding to whole words: some writers encode that padding too, and those pixels are
// dropped. The position only moves forward through the bottom-up buffer, so every pixel it passes over is filled
// once, with palette entry 0.
struct RleCursor {
    const PixelView& dst;
    uint32_t background;
    int rowPixels;
    int x = 0, y = 0;
    uint64_t filled = 0;

    uint64_t Index() const {
        return static_cast<uint64_t>(y) * static_cast<uint64_t>(dst.width) +
               static_cast<uint64_t>(std::min(x, dst.width));
    }
    void FillTo(uint64_t index) {
        if (index > filled) std::fill_n(dst.px + filled, static_cast<size_t>(index - filled), background);
        filled = std::max(filled, index);
    }
    bool Fits(int n) const { return y < dst.height && n <= rowPixels - x; }
    // Room for the pixels of n that lie inside the picture, *kept of them; the position moves past all n.
    uint32_t* Take(int n, int* kept) {
        const uint64_t index = Index();
        FillTo(index);
        *kept = std::clamp(dst.width - x, 0, n);
        x += n;
        filled = index + static_cast<uint64_t>(*kept);
        return dst.px + index;
    }
    void EndLine() {
        x = 0;
        y = std::min(y + 1, dst.height);
    }
};

// An absolute run of n pixels; its bytes are padded to a 16-bit boundary. False when the stream ends inside it.
bool DecodeAbsoluteRun(ByteStream& in, const RowDecoder& d, int n, RleCursor& at) {
    uint8_t raw[256];
    const size_t bytes = d.bits == 4 ? static_cast<size_t>(n + 1) / 2 : static_cast<size_t>(n);
    const size_t got = std::min(in.Read(raw, bytes + (bytes & 1)), bytes);
    const int present = static_cast<int>(d.bits == 4 ? std::min<size_t>(static_cast<size_t>(n), 2 * got) : got);
    int kept = 0;
    uint32_t* p = at.Take(present, &kept);
    for (int i = 0; i < kept; ++i)
        p[i] = d.lut[d.bits == 4 ? (i & 1 ? raw[i >> 1] & 15 : raw[i >> 1] >> 4) : raw[i]];
    return got == bytes;
}

void DecodeRun(const RowDecoder& d, int n, int value, RleCursor& at) {
    int kept = 0;
    uint32_t* p = at.Take(n, &kept);
    if (d.bits == 8) {
        std::fill_n(p, kept, d.lut[value]);
        return;
    }
    const uint32_t pair[2] = {d.lut[value >> 4], d.lut[value & 15]};
    for (int i = 0; i < kept; ++i)
        p[i] = pair[i & 1];
}

BmpError DecodeRle(const BmpSource& src, const BmpInfo& info, const RowDecoder& d, const PixelView& dst) {
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(kRleBufferBytes);
    } catch (const std::bad_alloc&) {
        return BmpError::NoMemory;
    }
    ByteStream in(src, info.pixelOffset, &buffer);
    const int rowPixels = static_cast<int>(BmpStride(info.bitCount, info.width) * 8 / info.bitCount);
    RleCursor at{dst, d.lut[0], rowPixels};
    for (;;) {
        const int count = in.Next(), value = in.Next();
        if (value < 0) break;
        if (count > 0) {
            if (!at.Fits(count)) return BmpError::BadRle;
            DecodeRun(d, count, value, at);
        } else if (value == 0) {
            at.EndLine();
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            const int dx = in.Next(), dy = in.Next();
            if (dy < 0) break;
            if (dx > rowPixels - at.x || dy >= dst.height - at.y) return BmpError::BadRle;
            at.x += dx;
            at.y += dy;
        } else {
            if (!at.Fits(value)) return BmpError::BadRle;
            if (!DecodeAbsoluteRun(in, d, value, at)) break;
        }
    }
    at.FillTo(static_cast<uint64_t>(dst.width) * static_cast<uint64_t>(dst.height));
    return BmpError::None;
}

} // namespace

BmpSource MemoryBmpSource(const MemoryBytes* bytes) {
    BmpSource src;
    src.context = const_cast<MemoryBytes*>(bytes);
    src.readAt = MemoryReadAt;
    src.size = bytes ? bytes->size : 0;
    return src;
}

uint8_t WidenChannel(uint32_t c, int bits) {
    if (bits < 1 || bits > 32) return 0;
    if (bits > 8) return static_cast<uint8_t>(c >> (bits - 8));
    return static_cast<uint8_t>(std::min<uint32_t>(c, (1u << bits) - 1) * 255 / ((1u << bits) - 1));
}

BmpError ReadBmpInfo(const BmpSource& src, BmpInfo* info, BmpSides* sides) {
    if (!info || !src.readAt) return BmpError::NotBmp;
    uint8_t h[kFileHeaderBytes + 4];
    const size_t got = ReadAt(src, 0, h, sizeof h);
    if (got < 2 || h[0] != 'B' || h[1] != 'M') return BmpError::NotBmp;
    if (got < sizeof h) return BmpError::Truncated;
    BmpInfo out;
    out.pixelOffset = Le32(h + 10);
    out.headerSize = Le32(h + 14);
    if (!IsKnownHeaderSize(out.headerSize)) return BmpError::BadHeaderSize;
    HeaderFields f;
    BmpError e = ReadHeaderFields(src, out.headerSize, &f);
    if (e == BmpError::None) e = ClassifyCompression(f.compression, out.headerSize, &out.compression);
    if (e != BmpError::None) return e;
    // -2^31 rows has no top-down counterpart: a broken header, not a large picture.
    if (f.height == INT32_MIN) return BmpError::BadSize;
    out.topDown = f.height < 0;
    const int64_t height = out.topDown ? -f.height : f.height;
    if (f.width < 1 || height < 1) return BmpError::BadSize;
    const BmpSides stated{static_cast<int>(f.width), static_cast<int>(height)};
    if (!IsPictureSizeAllowed(f.width, height)) {
        if (sides) *sides = stated;
        return BmpError::TooLarge;
    }
    out.width = stated.width;
    out.height = stated.height;
    out.bitCount = f.bitCount;
    if (!IsKnownBitCount(out.bitCount)) return BmpError::BadBitCount;
    if (out.pixelOffset > src.size) return BmpError::BadOffset;
    e = CheckCompression(out);
    if (e == BmpError::None) e = ReadMasks(src, &out);
    if (e == BmpError::None) e = ReadPaletteOf(src, f.colorsUsed, &out);
    if (e == BmpError::NoMemory && sides) *sides = stated;
    if (e != BmpError::None) return e;
    *info = std::move(out);
    return BmpError::None;
}

BmpError DecodeBmpPixels(const BmpSource& src, const BmpInfo& info, const PixelView& dst, bool* rowsMissing) {
    if (rowsMissing) *rowsMissing = false;
    if (!src.readAt || !dst.px || dst.width != info.width || dst.height != info.height ||
        !IsPictureSizeAllowed(info.width, info.height))
        return BmpError::BadSize;
    if (!IsKnownBitCount(info.bitCount)) return BmpError::BadBitCount;
    if (CheckCompression(info) != BmpError::None) return BmpError::BadCompression;
    if ((info.bitCount == 16 || info.bitCount == 32) && CheckMasks(info.masks, info.bitCount) != BmpError::None)
        return BmpError::BadMasks;
    const RowDecoder decoder = MakeRowDecoder(info);
    if (info.compression == BmpCompression::Rle8 || info.compression == BmpCompression::Rle4)
        return DecodeRle(src, info, decoder, dst);
    return DecodePlainRows(src, info, decoder, dst, rowsMissing);
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
