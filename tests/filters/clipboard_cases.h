// The clipboard pictures the tests put on the clipboard from a second process, shared by that helper and the
// window tests: each case's block and, for sound ones, the pixels a paste must give. Plain C++, nothing of the
// program.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace clipcases {

struct Case {
    std::string name;
    unsigned format;            // 8 CF_DIB, 17 CF_DIBV5, 2 CF_BITMAP (made from the pixels)
    std::vector<uint8_t> block; // for the DIB formats
    int width = 0, height = 0;  // of the expected picture
    std::vector<uint32_t> rgb;  // expected 0x00RRGGBB, top row first; empty for a refused block
};

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline std::vector<uint8_t> Header(uint32_t size, int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                                   uint32_t colorsUsed = 0) {
    std::vector<uint8_t> b(size < 40 ? 40 : size, 0);
    Put32(b, 0, size);
    Put32(b, 4, static_cast<uint32_t>(w));
    Put32(b, 8, static_cast<uint32_t>(h));
    b[12] = 1;
    b[14] = static_cast<uint8_t>(bits);
    Put32(b, 16, compression);
    Put32(b, 32, colorsUsed);
    return b;
}

inline void Append(std::vector<uint8_t>& b, std::initializer_list<uint8_t> bytes) { b.insert(b.end(), bytes); }
inline void Append32(std::vector<uint8_t>& b, uint32_t v) {
    Append(b, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// Six colours with every channel different, so a swapped channel or row shows.
inline const std::vector<uint32_t>& Six() {
    static const std::vector<uint32_t> six = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x0F1E2D};
    return six;
}

// 3 x 2 at 24 bits, rows padded to 12 bytes; top row = Six()[0..2].
inline std::vector<uint8_t> Rows24(bool topDown) {
    std::vector<uint8_t> out;
    for (int r = 0; r < 2; ++r) {
        const int row = topDown ? r : 1 - r; // the picture row stored r-th
        for (int x = 0; x < 3; ++x) {
            const uint32_t c = Six()[static_cast<size_t>(row * 3 + x)];
            Append(out, {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
        }
        Append(out, {0xEE, 0xEE, 0xEE}); // padding that must not show
    }
    return out;
}

inline std::vector<uint8_t> Rows32(bool topDown) {
    std::vector<uint8_t> out;
    for (int r = 0; r < 2; ++r) {
        const int row = topDown ? r : 1 - r;
        for (int x = 0; x < 3; ++x)
            Append32(out, Six()[static_cast<size_t>(row * 3 + x)]); // alpha 0
    }
    return out;
}

inline std::vector<Case> SoundCases() {
    std::vector<Case> cases;
    auto add = [&](const char* name, unsigned format, std::vector<uint8_t> block, int w, int h,
                   std::vector<uint32_t> rgb) {
        cases.push_back({name, format, std::move(block), w, h, std::move(rgb)});
    };
    {
        auto b = Header(40, 3, 2, 24, 0);
        auto rows = Rows24(false);
        b.insert(b.end(), rows.begin(), rows.end());
        add("rgb24", 8, b, 3, 2, Six());
    }
    {
        auto b = Header(40, 3, -2, 24, 0);
        auto rows = Rows24(true);
        b.insert(b.end(), rows.begin(), rows.end());
        add("topdown24", 8, b, 3, 2, Six());
    }
    {
        auto b = Header(40, 3, 2, 32, 0);
        auto rows = Rows32(false);
        b.insert(b.end(), rows.begin(), rows.end());
        add("alpha0", 8, b, 3, 2, Six());
    }
    {
        auto b = Header(124, 3, 2, 32, 3);
        Put32(b, 40, 0x00FF0000u);
        Put32(b, 44, 0x0000FF00u);
        Put32(b, 48, 0x000000FFu);
        auto rows = Rows32(false);
        b.insert(b.end(), rows.begin(), rows.end());
        add("v5fields", 8, b, 3, 2, Six());
        add("dibv5only", 17, b, 3, 2, Six());
    }
    {
        // 5-6-5 levels at their ends and a middle one that both widening rules give alike (0 and the top).
        auto b = Header(40, 2, 1, 16, 3);
        Append32(b, 0xF800);
        Append32(b, 0x07E0);
        Append32(b, 0x001F);
        Append(b, {0x00, 0xF8, 0xFF, 0x07}); // red 31 green 0 blue 0; then green 63 blue 31
        add("rgb565", 8, b, 2, 1, {0xFF0000, 0x00FFFF});
    }
    {
        auto b = Header(40, 3, 1, 8, 0, 3);
        Append(b, {0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0, 0x90, 0x80, 0x70, 0});
        Append(b, {2, 0, 1, 0});
        add("pal8", 8, b, 3, 1, {0x708090, 0x102030, 0x405060});
    }
    {
        auto b = Header(40, 9, 1, 1, 0);
        Append(b, {0x00, 0x00, 0x00, 0, 0xFF, 0xFF, 0xFF, 0});
        Append(b, {0xA5, 0x80, 0, 0}); // 1010 0101 1
        add("mono", 8, b, 9, 1, {0xFFFFFF, 0, 0xFFFFFF, 0, 0, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF});
    }
    add("bitmaponly", 2, {}, 3, 2, Six());
    return cases;
}

inline std::vector<Case> DamagedCases() {
    std::vector<Case> cases;
    auto add = [&](const char* name, std::vector<uint8_t> block) {
        cases.push_back({name, 8, std::move(block), 0, 0, {}});
    };
    add("claim10000", Header(40, 10000, 10000, 24, 0));
    {
        auto b = Header(40, 65536, 65537, 24, 0);
        b.resize(b.size() + 64);
        add("wrap", b);
    }
    {
        auto b = Header(40, 1, 1, 24, 0);
        Put32(b, 0, 0);
        b.resize(44);
        add("size0", b);
    }
    {
        auto b = Header(40, 1, 1, 24, 0);
        Put32(b, 0, 4096);
        b.resize(44);
        add("sizepast", b);
    }
    {
        auto b = Header(40, 1, static_cast<int32_t>(0x80000000u), 24, 0);
        b.resize(44);
        add("heightmin", b);
    }
    {
        auto b = Header(40, 1, 1, 7, 0);
        b.resize(44);
        add("bits7", b);
    }
    {
        auto b = Header(40, 1, 1, 8, 0, 0xFFFFFFFFu);
        b.resize(48);
        add("colorsused", b);
    }
    {
        auto b = Header(40, 1, 1, 32, 3);
        b.resize(48);
        add("maskspast", b);
    }
    {
        auto b = Header(40, 2, 1, 8, 1);
        b.resize(40 + 1024 + 4);
        add("rle8", b);
    }
    {
        auto b = Header(40, 1, 1, 0, 5);
        b.resize(40 + 64);
        add("png", b);
    }
    return cases;
}

// A picture of every colour different, for the size cases: red = x, green = y, blue = (x + y) / 4.
inline uint32_t PatternRgb(int x, int y) {
    return static_cast<uint32_t>(x & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 | ((x + y) / 4 & 0xFF);
}

inline Case PatternCase(const char* name, int w, int h) {
    auto b = Header(40, w, h, 24, 0);
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> rows(stride * static_cast<size_t>(h), 0);
    Case c{name, 8, {}, w, h, {}};
    c.rgb.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t v = PatternRgb(x, y);
            c.rgb[static_cast<size_t>(y) * w + x] = v;
            uint8_t* p = rows.data() + static_cast<size_t>(h - 1 - y) * stride + static_cast<size_t>(x) * 3;
            p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16);
        }
    b.insert(b.end(), rows.begin(), rows.end());
    c.block = std::move(b);
    return c;
}

inline std::vector<Case> SizeCases() {
    return {PatternCase("p800x600", 800, 600), PatternCase("p100x100", 100, 100), PatternCase("p10x10", 10, 10),
            PatternCase("toolarge", 32768, 1)};
}

inline bool FindCase(const std::string& name, Case* out) {
    for (const auto& list : {SoundCases(), DamagedCases(), SizeCases()})
        for (const Case& c : list)
            if (c.name == name) {
                *out = c;
                return true;
            }
    return false;
}

} // namespace clipcases
