#include "filters/clipboard_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <algorithm>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A DIB block: header, then extra bytes (masks, palette, pixels) as given.
std::vector<uint8_t> Dib(uint32_t headerSize, int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                         uint32_t colorsUsed, const std::vector<uint8_t>& rest) {
    std::vector<uint8_t> b(std::max<uint32_t>(headerSize, 40), 0);
    Put32(b, 0, headerSize);
    Put32(b, 4, static_cast<uint32_t>(w));
    Put32(b, 8, static_cast<uint32_t>(h));
    b[12] = 1;
    b[14] = static_cast<uint8_t>(bits);
    b[15] = static_cast<uint8_t>(bits >> 8);
    Put32(b, 16, compression);
    Put32(b, 32, colorsUsed);
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

std::vector<uint8_t> Masks(uint32_t r, uint32_t g, uint32_t bl) {
    std::vector<uint8_t> m(12);
    Put32(m, 0, r);
    Put32(m, 4, g);
    Put32(m, 8, bl);
    return m;
}

TEST(ClipboardDib, SoundBlocksAreAcceptedWithTheirLayout) {
    // 24-bit 3 x 2: rows of 9 bytes padded to 12.
    const std::vector<uint8_t> rows24(24, 0x11);
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        int bits;
        uint64_t offset, stride;
        bool topDown;
    } cases[] = {
        {"24-bit padded", Dib(40, 3, 2, 24, 0, 0, rows24), 24, 40, 12, false},
        {"top-down", Dib(40, 3, -2, 24, 0, 0, rows24), 24, 40, 12, true},
        {"32-bit", Dib(40, 2, 2, 32, 0, 0, std::vector<uint8_t>(16)), 32, 40, 8, false},
        {"5-6-5 with masks after the header",
         [] {
             auto m = Masks(0xF800, 0x07E0, 0x001F);
             m.resize(m.size() + 8);
             return Dib(40, 2, 2, 16, 3, 0, m);
         }(),
         16, 52, 4, false},
        {"124-byte header with its masks", Dib(124, 3, 2, 32, 3, 0, std::vector<uint8_t>(24)), 32, 124, 12, false},
        {"8-bit palette of 2", Dib(40, 5, 1, 8, 0, 2, std::vector<uint8_t>(8 + 8)), 8, 48, 8, false},
        {"1-bit full palette", Dib(40, 9, 2, 1, 0, 0, std::vector<uint8_t>(8 + 8)), 1, 48, 4, false},
    };
    for (const Case& c : cases) {
        DibLayout d;
        ASSERT_EQ(CheckClipboardDib(c.block.data(), c.block.size(), &d), DibCheck::Ok) << c.name;
        EXPECT_EQ(d.bitCount, c.bits) << c.name;
        EXPECT_EQ(d.pixelOffset, c.offset) << c.name;
        EXPECT_EQ(d.stride, c.stride) << c.name;
        EXPECT_EQ(d.topDown, c.topDown) << c.name;
        EXPECT_GT(d.height, 0) << c.name;
    }
}

TEST(ClipboardDib, MalformedBlocksAreDamagedAndOnlyASoundHugeOneIsTooLarge) {
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        DibCheck expected;
    } cases[] = {
        {"40 bytes claiming 10,000 x 10,000", Dib(40, 10000, 10000, 24, 0, 0, {}), DibCheck::Damaged},
        {"65,536 x 65,537", Dib(40, 65536, 65537, 24, 0, 0, std::vector<uint8_t>(64)), DibCheck::Damaged},
        {"header size 0", Dib(0, 1, 1, 24, 0, 0, std::vector<uint8_t>(4)), DibCheck::Damaged},
        {"header size past the block",
         [] {
             auto b = Dib(40, 1, 1, 24, 0, 0, std::vector<uint8_t>(4));
             Put32(b, 0, 108);
             return b;
         }(),
         DibCheck::Damaged},
        {"height -2^31", Dib(40, 1, INT32_MIN, 24, 0, 0, std::vector<uint8_t>(4)), DibCheck::Damaged},
        {"7 bits", Dib(40, 1, 1, 7, 0, 0, std::vector<uint8_t>(4)), DibCheck::Damaged},
        {"colours used 0xFFFFFFFF", Dib(40, 1, 1, 8, 0, 0xFFFFFFFFu, std::vector<uint8_t>(8)), DibCheck::Damaged},
        {"masks past the block", Dib(40, 1, 1, 32, 3, 0, std::vector<uint8_t>(8)), DibCheck::Damaged},
        {"RLE8", Dib(40, 1, 1, 8, 1, 0, std::vector<uint8_t>(1024 + 4)), DibCheck::Damaged},
        {"PNG inside", Dib(40, 1, 1, 0, 5, 0, std::vector<uint8_t>(64)), DibCheck::Damaged},
        {"bit fields at 24 bits", Dib(40, 1, 1, 24, 3, 0, std::vector<uint8_t>(16)), DibCheck::Damaged},
        {"width 0", Dib(40, 0, 1, 24, 0, 0, std::vector<uint8_t>(4)), DibCheck::Damaged},
        {"a 12-byte header", Dib(12, 1, 1, 24, 0, 0, std::vector<uint8_t>(4)), DibCheck::Damaged},
        {"one row short", Dib(40, 3, 2, 24, 0, 0, std::vector<uint8_t>(23)), DibCheck::Damaged},
        {"32,768 x 1, well formed", Dib(40, 32768, 1, 24, 0, 0, std::vector<uint8_t>(32768 * 3)), DibCheck::TooLarge},
    };
    for (const Case& c : cases) {
        DibLayout d;
        EXPECT_EQ(CheckClipboardDib(c.block.data(), c.block.size(), &d), c.expected) << c.name;
    }
    DibLayout d;
    EXPECT_EQ(CheckClipboardDib(nullptr, 0, &d), DibCheck::Damaged);
    const std::vector<uint8_t> tiny(39, 0);
    EXPECT_EQ(CheckClipboardDib(tiny.data(), tiny.size(), &d), DibCheck::Damaged);
}

TEST(ClipboardDib, OwnConversionReadsBothRowOrdersOpaque) {
    // 3 x 2 at 24 bits: stored bottom row first, blue green red, 3 bytes of padding.
    std::vector<uint8_t> rows = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0xEE, 0xEE, 0xEE,
                                 10, 11, 12, 13, 14, 15, 16, 17, 18, 0,    0,    0};
    auto bottomUp = Dib(40, 3, 2, 24, 0, 0, rows);
    DibLayout d;
    ASSERT_EQ(CheckClipboardDib(bottomUp.data(), bottomUp.size(), &d), DibCheck::Ok);
    ASSERT_TRUE(CanConvertDibRows(d));
    std::vector<uint32_t> out(6);
    ConvertDibRows(bottomUp.data(), d, out.data());
    const std::vector<uint32_t> expected = {0xFF030201u, 0xFF060504u, 0xFF090807u,
                                            0xFF0C0B0Au, 0xFF0F0E0Du, 0xFF121110u};
    EXPECT_EQ(out, expected);
    auto topDown = Dib(40, 3, -2, 24, 0, 0, rows);
    ASSERT_EQ(CheckClipboardDib(topDown.data(), topDown.size(), &d), DibCheck::Ok);
    ConvertDibRows(topDown.data(), d, out.data());
    EXPECT_EQ(out[0], 0xFF0C0B0Au) << "a top-down block's first row is the top";
    EXPECT_EQ(out[3], 0xFF030201u);
    // 32 bits with alpha 0 come out opaque; unusual masks are left to the system.
    auto alpha0 = Dib(40, 1, 1, 32, 0, 0, {0x10, 0x20, 0x30, 0x00});
    ASSERT_EQ(CheckClipboardDib(alpha0.data(), alpha0.size(), &d), DibCheck::Ok);
    ConvertDibRows(alpha0.data(), d, out.data());
    EXPECT_EQ(out[0], 0xFF302010u);
    auto odd = Masks(0x3FF00000u, 0xFFC00u, 0x3FFu);
    odd.resize(16);
    auto tenBits = Dib(40, 1, 1, 32, 3, 0, odd);
    ASSERT_EQ(CheckClipboardDib(tenBits.data(), tenBits.size(), &d), DibCheck::Ok);
    EXPECT_FALSE(CanConvertDibRows(d));
    auto pal = Dib(40, 1, 1, 8, 0, 1, std::vector<uint8_t>(8));
    ASSERT_EQ(CheckClipboardDib(pal.data(), pal.size(), &d), DibCheck::Ok);
    EXPECT_FALSE(CanConvertDibRows(d));
}

} // namespace
