#include "files/bmp_core.h"

#include <gtest/gtest.h>

#include "bmp_test_files.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::vector<uint32_t> kTwoColors = {0x102030, 0xA0B0C0};
const std::vector<uint32_t> kSixteen = {0x000000, 0x110000, 0x002200, 0x000033, 0x440000, 0x005500, 0x000066, 0x777777,
                                        0x880000, 0x009900, 0x0000AA, 0xBB0000, 0x00CC00, 0x0000DD, 0xEE0000, 0x00FF00};

struct DecodeCase {
    const char* name;
    Fields fields;
    std::vector<uint8_t> pixels;   // file rows, padded
    std::vector<uint32_t> picture; // expected pixels, top row first
    bool rowsMissing = false;
};

const DecodeCase kDecodeCases[] = {
    {"1-bit: bit 7 is the first pixel, rows bottom-up",
     Header(40, 9, 2, 1, 0, kTwoColors),
     {0x80, 0x80, 0, 0, /* top: */ 0x55, 0x00, 0, 0},
     {0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0, 0xFF102030,
      0xFFA0B0C0, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030, 0xFFA0B0C0}},
    {"4-bit: high nibble first",
     Header(40, 3, 1, 4, 0, kSixteen),
     {0x1E, 0x70, 0, 0},
     {0xFF110000, 0xFFEE0000, 0xFF777777}},
    {"8-bit with a 12-byte core header: 3-byte palette entries, 16-bit sides",
     Header(12, 2, 1, 8, 0, {0x010203, 0x040506, 0x070809}),
     {2, 0, 0, 0},
     {0xFF070809, 0xFF010203}},
    {"8-bit after a 108-byte header", Header(108, 2, 1, 8, 2, kTwoColors), {1, 0, 0, 0}, {0xFFA0B0C0, 0xFF102030}},
    {"8-bit after a 124-byte header", Header(124, 2, 1, 8, 2, kTwoColors), {1, 1, 0, 0}, {0xFFA0B0C0, 0xFFA0B0C0}},
    {"8-bit, an index past the colours used stays white",
     Header(40, 3, 1, 8, 2, kTwoColors),
     {1, 5, 2, 0},
     {0xFFA0B0C0, kWhite, kWhite}},
    {"8-bit, more colours used than 256 is read as 256",
     Header(40, 1, 1, 8, 300, std::vector<uint32_t>(300, 0x0A0B0C)),
     {255, 0, 0, 0},
     {0xFF0A0B0C}},
    {"1-bit, one colour used: index 1 stays white",
     Header(40, 2, 1, 1, 1, {0x102030}),
     {0x40, 0, 0, 0},
     {0xFF102030, kWhite}},
    {"1-bit, colours used 0 means 2", Header(40, 2, 1, 1, 0, kTwoColors), {0x40, 0, 0, 0}, {0xFF102030, 0xFFA0B0C0}},
    // The implied 16 entries run past the end of the file: entry 1 is the row itself, entries 2.. are 0 (black).
    {"4-bit, a palette cut short by the end of the file",
     Header(40, 3, 1, 4, 0, {0x102030}),
     {0x20, 0x10, 0, 0},
     {0xFF000000, 0xFF102030, 0xFF001020}},
    {"16-bit: 5-5-5 channels scaled by 255/31, top bit ignored",
     Header(40, 5, 1, 16),
     {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0xC2, 0xFF, 0xFF, 0, 0},
     {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF838383, kWhite}},
    {"24-bit 3 x 2, rows padded to 12 bytes, bottom-up",
     Header(40, 3, 2, 24),
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, /* top: */ 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0},
     {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
    {"24-bit 3 x 2 top-down",
     Header(40, 3, -2, 24),
     {10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0, /* bottom: */ 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0},
     {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
    {"24-bit with a 12-byte core header", Header(12, 1, 1, 24), {0x33, 0x22, 0x11, 0}, {0xFF112233}},
    {"32-bit: the fourth byte has no effect",
     Header(40, 3, 1, 32),
     {1, 2, 3, 0x00, 1, 2, 3, 0x80, 1, 2, 3, 0xFF},
     {0xFF030201, 0xFF030201, 0xFF030201}},
    {"short rows: the half row and the rest stay white",
     Header(40, 2, 3, 24),
     {1, 2, 3, 4, 5, 6, 0, 0, /* half a row: */ 7, 8, 9},
     {kWhite, kWhite, kWhite, kWhite, 0xFF030201, 0xFF060504},
     true},
    {"short rows top-down: the top row is read",
     Header(40, 2, -3, 24),
     {1, 2, 3, 4, 5, 6, 0, 0},
     {0xFF030201, 0xFF060504, kWhite, kWhite, kWhite, kWhite},
     true},
    {"no rows at all", Header(40, 2, 2, 8, 2, kTwoColors), {}, {kWhite, kWhite, kWhite, kWhite}, true},
    {"rows after a gap at a later pixel offset", Header(40, 1, 1, 24, 0, {}, 80), {7, 8, 9, 0}, {0xFF090807}},
};

TEST(BmpRead, DecodesEveryLayout) {
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(c.name);
        Decoded d = Decode(BuildBmp(c.fields, c.pixels));
        ASSERT_EQ(d.infoError, BmpError::None);
        ASSERT_EQ(d.pixelError, BmpError::None);
        EXPECT_EQ(d.info.width, c.fields.width);
        EXPECT_EQ(d.info.height, c.fields.height < 0 ? -c.fields.height : c.fields.height);
        EXPECT_EQ(d.info.topDown, c.fields.height < 0);
        EXPECT_EQ(d.info.bitCount, c.fields.bitCount);
        EXPECT_EQ(Hex(TopDown(d)), Hex(c.picture));
        EXPECT_EQ(d.rowsMissing, c.rowsMissing);
    }
}

// Every bit count at once: the same 4 x 2 picture stored in each layout decodes to the same pixels.
TEST(BmpRead, AllBitCountsAgree) {
    const uint32_t colors[2] = {0x000000, 0xFFFFFF};
    const int picture[2][4] = {{1, 0, 0, 1}, {0, 1, 1, 1}}; // top row first
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const size_t stride = (bits * 4 + 31) / 32 * 4;
        std::vector<uint8_t> rows(stride * 2, 0);
        for (int fileRow = 0; fileRow < 2; ++fileRow) {
            uint8_t* r = rows.data() + fileRow * stride;
            for (int x = 0; x < 4; ++x) {
                const int v = picture[1 - fileRow][x];
                if (bits == 1) r[0] |= static_cast<uint8_t>(v << (7 - x));
                if (bits == 4) r[x / 2] |= static_cast<uint8_t>(v << (x % 2 ? 0 : 4));
                if (bits == 8) r[x] = static_cast<uint8_t>(v);
                if (bits == 16) Put(rows, fileRow * stride + 2 * x, v ? 0x7FFF : 0, 2);
                if (bits >= 24) std::memset(r + x * bits / 8, v ? 0xFF : 0, 3);
            }
        }
        Fields f = Header(40, 4, 2, bits);
        if (bits <= 8) f.palette.assign(colors, colors + 2);
        Decoded d = Decode(BuildBmp(f, rows));
        ASSERT_EQ(d.infoError, BmpError::None);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(ReadPixel(d.view(), x, y), picture[y][x] ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
    }
}

struct HostileCase {
    const char* name;
    std::vector<uint8_t> file;
    BmpError error;
};

std::vector<HostileCase> HostileCases() {
    const std::vector<uint8_t> row(16, 0);
    auto withHeaderSize = [&](uint32_t size) {
        std::vector<uint8_t> f = BuildBmp({}, row);
        Put(f, 14, size, 4);
        return f;
    };
    auto withOffset = [&](uint32_t offset) {
        std::vector<uint8_t> f = BuildBmp({}, row);
        Put(f, 10, offset, 4);
        return f;
    };
    auto cut = [](std::vector<uint8_t> f, size_t size) {
        f.resize(size);
        return f;
    };
    const std::vector<uint8_t> valid = BuildBmp({}, row);
    return {
        {"width 0x40000001 x 4", BuildBmp(Header(40, 0x40000001, 4, 24), row), BmpError::TooLarge},
        {"width 0x08000000 x 1 at 32 bits", BuildBmp(Header(40, 0x08000000, 1, 32), row), BmpError::TooLarge},
        {"height -2^31", BuildBmp(Header(40, 1, INT_MIN, 24), row), BmpError::BadSize},
        {"height 2^31 - 1", BuildBmp(Header(40, 1, INT_MAX, 24), row), BmpError::TooLarge},
        {"width -1", BuildBmp(Header(40, -1, 1, 24), row), BmpError::BadSize},
        {"width 0", BuildBmp(Header(40, 0, 1, 24), row), BmpError::BadSize},
        {"height 0", BuildBmp(Header(40, 1, 0, 24), row), BmpError::BadSize},
        {"core width 32768", BuildBmp(Header(12, 32768, 1, 24), row), BmpError::TooLarge},
        {"area above the limit", BuildBmp(Header(40, 32767, 3052, 24), row), BmpError::TooLarge},
        {"header size 0xFFFFFFFF", withHeaderSize(0xFFFFFFFFu), BmpError::BadHeaderSize},
        {"header size 0", withHeaderSize(0), BmpError::BadHeaderSize},
        {"header size 41", withHeaderSize(41), BmpError::BadHeaderSize},
        {"colours used 0xFFFFFFFF", BuildBmp(Header(40, 1, 1, 8, 0xFFFFFFFFu), row), BmpError::BadPalette},
        {"colours used 65,537", BuildBmp(Header(40, 1, 1, 8, 65537), row), BmpError::BadPalette},
        {"colours used past the end of the file", BuildBmp(Header(40, 1, 1, 8, 100), row), BmpError::BadPalette},
        {"pixel offset 0xFFFFFFF0", withOffset(0xFFFFFFF0u), BmpError::BadOffset},
        {"pixel offset one past the end", withOffset(static_cast<uint32_t>(valid.size() + 1)), BmpError::BadOffset},
        {"bit count 2", BuildBmp(Header(40, 1, 1, 2), row), BmpError::BadBitCount},
        {"bit count 0", BuildBmp(Header(40, 1, 1, 0), row), BmpError::BadBitCount},
        {"bit count 0xFFFF", BuildBmp(Header(40, 1, 1, 0xFFFF), row), BmpError::BadBitCount},
        {"empty file", {}, BmpError::NotBmp},
        {"no signature", {'M', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0}, BmpError::NotBmp},
        {"signature only", {'B', 'M'}, BmpError::Truncated},
        {"info header cut short", cut(valid, 40), BmpError::Truncated},
        {"core header cut short", cut(BuildBmp(Header(12, 1, 1, 24), {}), 20), BmpError::Truncated},
    };
}

TEST(BmpRead, RefusesHostileHeaders) {
    for (const HostileCase& c : HostileCases()) {
        SCOPED_TRACE(c.name);
        const MemoryBytes bytes{c.file.data(), c.file.size()};
        BmpInfo info;
        info.width = -7; // must survive a refusal
        EXPECT_EQ(ReadBmpInfo(MemoryBmpSource(&bytes), &info), c.error);
        EXPECT_EQ(info.width, -7);
    }
}

TEST(BmpRead, AcceptsTheLimitsThemselves) {
    struct Case {
        const char* name;
        Fields fields;
    } cases[] = {
        {"65,536 colours used, all in the file", Header(40, 1, 1, 8, 65536, std::vector<uint32_t>(65536, 0x010101))},
        {"header size 52", Header(52, 1, 1, 24)},
        {"header size 56", Header(56, 1, 1, 24)},
        {"header size 64", Header(64, 1, 1, 24)},
        {"32767 x 3051", Header(40, 32767, 3051, 24)},
        {"top-down 1 x 32767", Header(40, 1, -32767, 24)},
        // Above 8 bits no table is read, so its stated size means nothing.
        {"24 bits, colours used far past the end of the file", Header(40, 1, 1, 24, 60000)},
        {"32 bits, colours used 0xFFFFFFFF", Header(40, 1, 1, 32, 0xFFFFFFFFu)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> file = BuildBmp(c.fields, {1, 2, 3, 0});
        const MemoryBytes bytes{file.data(), file.size()};
        BmpInfo info;
        ASSERT_EQ(ReadBmpInfo(MemoryBmpSource(&bytes), &info), BmpError::None);
        EXPECT_EQ(info.width, c.fields.width);
        EXPECT_LE(info.palette.size(), 256u);
    }
}

TEST(BmpRead, DecodeRefusesAViewOfAnotherSize) {
    const std::vector<uint8_t> file = BuildBmp(Header(40, 2, 2, 24), std::vector<uint8_t>(16, 0));
    const MemoryBytes bytes{file.data(), file.size()};
    const BmpSource src = MemoryBmpSource(&bytes);
    BmpInfo info;
    ASSERT_EQ(ReadBmpInfo(src, &info), BmpError::None);
    std::vector<uint32_t> px(4, 0);
    EXPECT_EQ(DecodeBmpPixels(src, info, {px.data(), 1, 4}), BmpError::BadSize);
    EXPECT_EQ(DecodeBmpPixels(src, info, {nullptr, 2, 2}), BmpError::BadSize);
    EXPECT_EQ(px, std::vector<uint32_t>(4, 0));
}

std::vector<uint8_t> WriteBmp(const std::vector<uint32_t>& px, int width, int height) {
    std::vector<uint8_t> file(static_cast<size_t>(BmpFileSize24(width, height)));
    MakeBmpHeader24(width, height, file.data());
    const size_t stride = static_cast<size_t>(BmpStride24(width));
    for (int row = 0; row < height; ++row)
        PackBmpRow24(px.data() + static_cast<size_t>(row) * width, width, file.data() + 54 + row * stride);
    return file;
}

TEST(BmpWrite, OneWhitePixelIsFiftyEightBytes) {
    const std::vector<uint8_t> file = WriteBmp({0xFFFFFFFFu}, 1, 1);
    ASSERT_EQ(file.size(), 58u);
    const struct {
        size_t at;
        int bytes;
        uint32_t value;
    } fields[] = {{0, 1, 'B'}, {1, 1, 'M'}, {2, 4, 58},  {10, 4, 54}, {14, 4, 40},        {18, 4, 1},
                  {22, 4, 1},  {26, 2, 1},  {28, 2, 24}, {34, 4, 4},  {54, 4, 0x00FFFFFF}};
    std::vector<uint8_t> expected(58, 0); // every other field is 0
    for (const auto& f : fields)
        Put(expected, f.at, f.value, f.bytes);
    EXPECT_EQ(file, expected);
}

TEST(BmpWrite, StrideRoundsThreeBytesPerPixelUpToWords) {
    const struct {
        int width;
        uint64_t stride;
    } cases[] = {{1, 4}, {3, 12}, {4, 12}, {5, 16}, {32767, 98304}};
    for (const auto& c : cases)
        EXPECT_EQ(BmpStride24(c.width), c.stride) << c.width;
    EXPECT_EQ(BmpFileSize24(32767, 3051), 54u + 98304u * 3051u); // beyond 32 bits if multiplied as int
}

TEST(BmpWrite, RowsAreBlueGreenRedThenZeroPadding) {
    const uint32_t row[5] = {0x00112233, 0xFF445566, 0x80778899, 0x01AABBCC, 0xFEDDEEFF};
    uint8_t out[17];
    std::fill_n(out, 17, uint8_t{0xAA});
    PackBmpRow24(row, 5, out);
    const uint8_t expected[16] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88,
                                  0x77, 0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x00};
    EXPECT_TRUE(std::equal(expected, expected + 16, out));
    EXPECT_EQ(out[16], 0xAA); // nothing past the stride
}

// The same pictures written bottom-up and rewritten top-down; the large one spans several read chunks.
TEST(BmpWrite, WriteThenReadIsExact) {
    std::mt19937 random(7);
    for (auto [w, h] : {std::pair{1, 1}, {5, 3}, {7, 2}, {1000, 400}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        std::vector<uint32_t> px(static_cast<size_t>(w) * h);
        for (uint32_t& p : px)
            p = static_cast<uint32_t>(random()); // any alpha: it is not stored
        const std::vector<uint8_t> file = WriteBmp(px, w, h);
        std::vector<uint8_t> topDown = file;
        Put(topDown, 22, static_cast<uint32_t>(-h), 4);
        const size_t stride = static_cast<size_t>(BmpStride24(w));
        for (int row = 0; row < h; ++row)
            std::copy_n(file.begin() + 54 + static_cast<ptrdiff_t>(row * stride), stride,
                        topDown.begin() + 54 + static_cast<ptrdiff_t>((h - 1 - row) * stride));
        for (const std::vector<uint8_t>* f : {&file, &std::as_const(topDown)}) {
            Decoded d = Decode(*f);
            ASSERT_EQ(d.infoError, BmpError::None);
            ASSERT_EQ(d.pixelError, BmpError::None);
            ASSERT_EQ(d.px.size(), px.size());
            size_t wrong = 0;
            for (size_t i = 0; i < px.size(); ++i)
                wrong += d.px[i] != (px[i] | 0xFF000000u);
            EXPECT_EQ(wrong, 0u);
        }
        // Cut in the middle of a row far into the file: the rows before survive, the rest is white.
        if (h < 2) continue;
        Decoded cut = Decode(std::vector<uint8_t>(file.begin(), file.end() - static_cast<ptrdiff_t>(stride + 1)));
        ASSERT_EQ(cut.pixelError, BmpError::None);
        const size_t kept = static_cast<size_t>(w) * (h - 2);
        EXPECT_TRUE(std::equal(px.begin(), px.begin() + static_cast<ptrdiff_t>(kept), cut.px.begin(),
                               [](uint32_t a, uint32_t b) { return (a | 0xFF000000u) == b; }));
        EXPECT_TRUE(std::all_of(cut.px.begin() + static_cast<ptrdiff_t>(kept), cut.px.end(),
                                [](uint32_t p) { return p == kWhite; }));
    }
}

} // namespace
