// RLE8, RLE4 and bit-field files through the program's own reader, against pixels worked out by hand.
#include "files/bmp_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_test_files.h"

namespace {

constexpr uint32_t kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3;

// Entry 0 is neither white nor black, so pixels no run reaches, the white of an index past the table and a black
// entry are told apart.
const std::vector<uint32_t> kPalette = {0x336699, 0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
constexpr uint32_t Z = 0xFF336699, R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, K = 0xFF000000, W = 0xFFFFFFFF;

Fields Rle(uint32_t compression, int width, int height) {
    return Compressed(Header(40, width, height, compression == kBiRle8 ? 8 : 4, 5, kPalette), compression);
}

struct RleCase {
    const char* name;
    Fields fields;
    std::vector<uint8_t> stream;
    std::vector<uint32_t> picture; // top row first
};

const RleCase kRleCases[] = {
    {"RLE8 runs, a run that ends its row early, end of line after every row, end of bitmap",
     Rle(kBiRle8, 5, 3),
     {3, 1, 2, 2, 0, 0, /* row 1 */ 5, 3, 0, 0, /* top row */ 1, 4, 0, 0, 0, 1},
     {K, Z, Z, Z, Z, /**/ B, B, B, B, B, /**/ R, R, R, G, G}},
    {"RLE8 absolute runs: odd ones padded to a word, indices past the table white",
     Rle(kBiRle8, 5, 3),
     {0, 3, 1, 2, 3, 0, 2, 4, 0, 0, /* row 1 */ 0, 5, 9, 1, 1, 2, 2, 0, 0, 0, /* top */ 0, 4, 3, 3, 3, 3, 1, 1, 0, 1},
     {B, B, B, B, R, /**/ W, R, R, G, G, /**/ R, G, B, K, K}},
    {"RLE8 deltas: what they pass over is entry 0, across rows too",
     Rle(kBiRle8, 5, 3),
     {1, 1, 0, 2, 2, 1, 2, 2, 0, 0, 0, 2, 1, 0, 1, 3, 0, 1},
     {Z, B, Z, Z, Z, /**/ Z, Z, Z, G, G, /**/ R, Z, Z, Z, Z}},
    {"RLE8 end of bitmap early: the rest is entry 0",
     Rle(kBiRle8, 5, 2),
     {2, 1, 0, 1, 5, 2},
     {Z, Z, Z, Z, Z, R, R, Z, Z, Z}},
    {"RLE8 stream that stops without end of bitmap",
     Rle(kBiRle8, 5, 3),
     {5, 2, 0, 0, 2, 9},
     {Z, Z, Z, Z, Z, /**/ W, W, Z, Z, Z, /**/ G, G, G, G, G}},
    {"RLE8 stream that stops inside an absolute run", Rle(kBiRle8, 5, 1), {0, 5, 1, 2}, {R, G, Z, Z, Z}},
    {"RLE8 stream that stops inside a delta", Rle(kBiRle8, 3, 1), {1, 3, 0, 2, 1}, {B, Z, Z}},
    {"RLE8 end of line past the last row does nothing", Rle(kBiRle8, 2, 1), {2, 1, 0, 0, 0, 0, 0, 1}, {R, R}},
    // As ImageMagick writes them: a plain row's padding encoded as pixels.
    {"RLE8 runs and absolute runs into the row's padding, which is dropped",
     Rle(kBiRle8, 5, 2),
     {5, 1, 3, 0, 0, 0, /* top */ 2, 2, 0, 6, 3, 3, 3, 3, 3, 3, 0, 1},
     {G, G, B, B, B, /**/ R, R, R, R, R}},
    {"RLE4 run into the row's padding", Rle(kBiRle4, 3, 1), {8, 0x12, 0, 1}, {R, G, R}},
    {"RLE4 runs alternate the two nibbles, starting over with each run",
     Rle(kBiRle4, 5, 2),
     {5, 0x12, 0, 0, 3, 0x33, 2, 0x40, 0, 1},
     {B, B, B, K, Z, /**/ R, G, R, G, R}},
    {"RLE4 absolute runs: 3 pixels in 2 bytes unpadded, 5 in 3 bytes padded",
     Rle(kBiRle4, 5, 2),
     {0, 3, 0x12, 0x30, 2, 0x44, 0, 0, /* top */ 0, 5, 0x12, 0x34, 0x90, 0, 0, 1},
     {R, G, B, K, W, /**/ R, G, B, K, K}},
    {"RLE4 a delta, then the stream ends",
     Rle(kBiRle4, 5, 2),
     {1, 0x10, 0, 2, 3, 0, 1, 0x20},
     {Z, Z, Z, Z, Z, R, Z, Z, Z, G}},
};

TEST(BmpRle, DecodesEveryEscapeAsWorkedOutByHand) {
    for (const RleCase& c : kRleCases) {
        SCOPED_TRACE(c.name);
        Decoded d = Decode(BuildBmp(c.fields, c.stream));
        ASSERT_EQ(d.infoError, BmpError::None);
        ASSERT_EQ(d.pixelError, BmpError::None);
        EXPECT_EQ(Hex(TopDown(d)), Hex(c.picture));
        EXPECT_FALSE(d.rowsMissing);
    }
}

struct RefusedCase {
    const char* name;
    std::vector<uint8_t> file;
    BmpError infoError; // None: the headers pass and decoding refuses
    BmpError pixelError = BmpError::None;
};

std::vector<RefusedCase> RefusedRleCases() {
    auto rle8 = [](std::vector<uint8_t> stream) { return BuildBmp(Rle(kBiRle8, 5, 3), stream); };
    return {
        // A row of 5 pixels at 8 bits takes 8 bytes in a plain file: runs may reach 8 pixels, not 9.
        {"a run past the row", rle8({9, 1}), BmpError::None, BmpError::BadRle},
        {"a run after a row filled to its padding", rle8({8, 1, 1, 1}), BmpError::None, BmpError::BadRle},
        {"an absolute run past the row", rle8({3, 1, 0, 6, 1, 1, 1, 1, 1, 1}), BmpError::None, BmpError::BadRle},
        {"a delta past the row", rle8({1, 1, 0, 2, 8, 0}), BmpError::None, BmpError::BadRle},
        {"a delta past the last row", rle8({0, 2, 0, 3}), BmpError::None, BmpError::BadRle},
        {"a run past the last row", rle8({0, 0, 0, 0, 0, 0, 1, 1}), BmpError::None, BmpError::BadRle},
        {"RLE4 run past the row", BuildBmp(Rle(kBiRle4, 3, 1), {9, 0x11}), BmpError::None, BmpError::BadRle},
        {"top-down RLE8", BuildBmp(Rle(kBiRle8, 5, -3), {0, 1}), BmpError::BadCompression},
        {"RLE8 with bit count 4", BuildBmp(Compressed(Header(40, 5, 3, 4, 5, kPalette), kBiRle8), {0, 1}),
         BmpError::BadCompression},
        {"RLE4 with bit count 8", BuildBmp(Compressed(Header(40, 5, 3, 8, 5, kPalette), kBiRle4), {0, 1}),
         BmpError::BadCompression},
    };
}

TEST(BmpRle, RefusesMalformedStreams) {
    for (const RefusedCase& c : RefusedRleCases()) {
        SCOPED_TRACE(c.name);
        const Decoded d = Decode(c.file);
        EXPECT_EQ(d.infoError, c.infoError);
        if (c.infoError == BmpError::None) {
            EXPECT_EQ(d.pixelError, c.pixelError);
        }
    }
}

// Compressions another decoder may know are handed on, not refused as damaged; the 64-byte header has its own 3
// and 4.
TEST(BmpRead, SaysWhichCompressionsItDoesNotDecode) {
    const struct {
        uint32_t headerSize, compression;
        uint16_t bits;
        BmpError error;
    } cases[] = {
        {40, 4, 24, BmpError::Unsupported},    {40, 5, 24, BmpError::Unsupported},
        {124, 5, 0, BmpError::Unsupported},    {40, 6, 32, BmpError::Unsupported},
        {108, 11, 32, BmpError::Unsupported},  {64, 3, 1, BmpError::Unsupported},
        {64, 4, 24, BmpError::Unsupported},    {64, 1, 8, BmpError::None},
        {40, 3, 24, BmpError::BadCompression}, {40, 3, 8, BmpError::BadCompression},
        {40, 0, 2, BmpError::BadBitCount},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.headerSize) + " " + std::to_string(c.compression) + " " + std::to_string(c.bits));
        Fields f = Compressed(Header(c.headerSize, 2, 2, c.bits, 0, std::vector<uint32_t>(256, 0)), c.compression,
                              {0xFF0000, 0xFF00, 0xFF});
        const std::vector<uint8_t> file = BuildBmp(f, std::vector<uint8_t>(64, 0));
        const MemoryBytes bytes{file.data(), file.size()};
        BmpInfo info;
        EXPECT_EQ(ReadBmpInfo(MemoryBmpSource(&bytes), &info), c.error);
    }
}

struct FieldsCase {
    const char* name;
    Fields fields;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> picture; // one row
};

std::vector<uint8_t> Words16(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out(((words.size() * 2 + 3) / 4) * 4, 0);
    size_t i = 0;
    for (uint32_t w : words)
        Put(out, 2 * i++, w, 2);
    return out;
}
std::vector<uint8_t> Words32(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out(words.size() * 4, 0);
    size_t i = 0;
    for (uint32_t w : words)
        Put(out, 4 * i++, w, 4);
    return out;
}
Fields BitFields(uint32_t headerSize, int width, uint16_t bits, std::vector<uint32_t> masks) {
    return Compressed(Header(headerSize, width, 1, bits), kBiBitFields, std::move(masks));
}

const FieldsCase kFieldsCases[] = {
    // 4 of 31 is 32, not the 33 of copying the top bits down.
    {"5-6-5 after a 40-byte header",
     BitFields(40, 6, 16, {0xF800, 0x07E0, 0x001F}),
     Words16({0xF800, 0x07E0, 0x001F, 0x0841, 0x2084, 0xFFFF}),
     {R, G, B, 0xFF080808, 0xFF201020, W}},
    {"5-5-5 as masks: the top bit is no colour",
     BitFields(40, 2, 16, {0x7C00, 0x03E0, 0x001F}),
     Words16({0x8421, 0x7FFF}),
     {0xFF080808, W}},
    {"10-10-10 in 32 bits: the top 8 bits of each",
     BitFields(40, 2, 32, {0x3FF00000, 0x000FFC00, 0x000003FF}),
     Words32({0x3FF80003, 0x101 << 20 | 0x0FF << 10 | 0x3FC}),
     {0xFFFF8000, 0xFF403FFF}},
    {"8-8-8 in reversed order", BitFields(40, 1, 32, {0xFF, 0xFF00, 0xFF0000}), Words32({0x44332211}), {0xFF112233}},
    {"a 52-byte header holds the masks", BitFields(52, 1, 16, {0xF800, 0x07E0, 0x001F}), Words16({0x07E0}), {G}},
    {"a 56-byte header with an alpha mask: alpha is not transparency",
     BitFields(56, 2, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}),
     Words32({0x00102030, 0x80405060}),
     {0xFF102030, 0xFF405060}},
    {"a 108-byte header with 5-6-5", BitFields(108, 1, 16, {0xF800, 0x07E0, 0x001F}), Words16({0x001F}), {B}},
    {"a 124-byte header with blue, green, red from the top byte down",
     BitFields(124, 1, 32, {0xFF00, 0xFF0000, 0xFF000000}),
     Words32({0x11223344}),
     {0xFF332211}},
    {"plain 32 bits in a 124-byte header: its masks are not used",
     Compressed(Header(124, 1, 1, 32), 0, {0xFF, 0xFF00, 0xFF0000}),
     Words32({0x00112233}),
     {0xFF112233}},
};

TEST(BmpBitFields, DecodesAnyContiguousMasks) {
    for (const FieldsCase& c : kFieldsCases) {
        SCOPED_TRACE(c.name);
        Decoded d = Decode(BuildBmp(c.fields, c.pixels));
        ASSERT_EQ(d.infoError, BmpError::None);
        ASSERT_EQ(d.pixelError, BmpError::None);
        EXPECT_EQ(Hex(TopDown(d)), Hex(c.picture));
    }
}

TEST(BmpBitFields, RefusesMasksThatCannotBeColours) {
    std::vector<uint8_t> cut = BuildBmp(BitFields(40, 1, 16, {0xF800, 0x07E0, 0x001F}), Words16({0}));
    cut.resize(60);
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        BmpError error;
    } cases[] = {
        {"not contiguous", BuildBmp(BitFields(40, 1, 16, {0xF00F, 0x07E0, 0x0010}), Words16({0})), BmpError::BadMasks},
        {"overlapping", BuildBmp(BitFields(40, 1, 32, {0xFF00, 0x0FF0, 0xF}), Words32({0})), BmpError::BadMasks},
        {"zero for blue", BuildBmp(BitFields(40, 1, 32, {0xFF0000, 0xFF00, 0}), Words32({0})), BmpError::BadMasks},
        {"beyond a 16-bit pixel", BuildBmp(BitFields(40, 1, 16, {0x1F0000, 0x07E0, 0x001F}), Words16({0})),
         BmpError::BadMasks},
        // The rows start after the masks, so masks cut off by the end of the file put the rows past it as well.
        {"past the end of the file", cut, BmpError::BadOffset},
        // Rows right after the 40-byte header leave no room for masks: the first pixels would be taken for them.
        {"rows where the masks should be",
         BuildBmp(Compressed(Header(40, 6, 1, 16, 0, {}, 54), kBiBitFields),
                  Words16({0xF800, 0, 0x07E0, 0, 0x001F, 0})),
         BmpError::BadMasks},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.file).infoError, c.error);
    }
}

TEST(BmpBitFields, WidensShortChannelsByScalingAndLongOnesByTheirTopBits) {
    const struct {
        uint32_t c;
        int bits;
        int want;
    } cases[] = {{0, 5, 0},   {1, 5, 8},  {30, 5, 246},     {31, 5, 255},     {62, 6, 250},    {63, 6, 255}, {0, 1, 0},
                 {1, 1, 255}, {3, 10, 0}, {0x200, 10, 128}, {0x3FF, 10, 255}, {0x101, 10, 64}, {200, 8, 200}};
    for (const auto& c : cases)
        EXPECT_EQ(WidenChannel(c.c, c.bits), c.want) << c.c << " at " << c.bits << " bits";
}

} // namespace
