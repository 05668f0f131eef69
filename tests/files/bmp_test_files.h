// BMP files built field by field for the reader's tests, and their decoding into a picture.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/bmp_core.h"

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Header fields of a file to build; the defaults make a valid 1 x 1 24-bit file once given pixel bytes.
struct Fields {
    uint32_t headerSize = 40;
    int64_t width = 1;  // written as 16 bits for the core header, else 32
    int64_t height = 1; // negative for top-down rows
    uint16_t bitCount = 24;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> palette;       // 0x00RRGGBB, 3 or 4 bytes each as the header size demands
    std::optional<uint32_t> pixelOffset; // default: right after the palette
    uint32_t compression = 0;
    // Red, green, blue (and alpha): inside headers of 52 bytes and more, else in the 12 bytes after the header.
    std::vector<uint32_t> masks;
};

inline Fields Header(uint32_t headerSize, int64_t width, int64_t height, uint16_t bitCount, uint32_t colorsUsed = 0,
                     std::vector<uint32_t> palette = {}, std::optional<uint32_t> pixelOffset = std::nullopt) {
    Fields f;
    f.headerSize = headerSize;
    f.width = width;
    f.height = height;
    f.bitCount = bitCount;
    f.colorsUsed = colorsUsed;
    f.palette = std::move(palette);
    f.pixelOffset = pixelOffset;
    return f;
}
inline Fields Compressed(Fields f, uint32_t compression, std::vector<uint32_t> masks = {}) {
    f.compression = compression;
    f.masks = std::move(masks);
    return f;
}

inline void Put(std::vector<uint8_t>& f, size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline std::vector<uint8_t> BuildBmp(const Fields& h, const std::vector<uint8_t>& pixels) {
    const bool core = h.headerSize == 12;
    const size_t headerBytes = std::min<uint32_t>(h.headerSize, 124);
    const size_t maskBytes = headerBytes < 52 ? 4 * h.masks.size() : 0;
    const size_t entryBytes = core ? 3 : 4;
    std::vector<uint8_t> f(14 + headerBytes + maskBytes + h.palette.size() * entryBytes, 0);
    const size_t offset = h.pixelOffset ? *h.pixelOffset : f.size();
    f[0] = 'B';
    f[1] = 'M';
    Put(f, 10, offset, 4);
    Put(f, 14, h.headerSize, 4);
    if (core) {
        Put(f, 18, static_cast<uint64_t>(h.width), 2);
        Put(f, 20, static_cast<uint64_t>(h.height), 2);
        Put(f, 22, 1, 2);
        Put(f, 24, h.bitCount, 2);
    } else if (headerBytes >= 40) {
        Put(f, 18, static_cast<uint64_t>(h.width), 4);
        Put(f, 22, static_cast<uint64_t>(h.height), 4);
        Put(f, 26, 1, 2);
        Put(f, 28, h.bitCount, 2);
        Put(f, 30, h.compression, 4);
        Put(f, 46, h.colorsUsed, 4);
    }
    // At 54 either way: right after a 40-byte header, or at offset 40 inside a larger one.
    for (size_t i = 0; i < h.masks.size() && (headerBytes < 52 || 40 + 4 * i < headerBytes); ++i)
        Put(f, 54 + 4 * i, h.masks[i], 4);
    for (size_t i = 0; i < h.palette.size(); ++i) {
        uint8_t* e = f.data() + 14 + headerBytes + maskBytes + i * entryBytes;
        e[0] = static_cast<uint8_t>(h.palette[i]);
        e[1] = static_cast<uint8_t>(h.palette[i] >> 8);
        e[2] = static_cast<uint8_t>(h.palette[i] >> 16);
    }
    if (f.size() < offset) f.resize(offset, 0);
    f.insert(f.begin() + static_cast<ptrdiff_t>(offset), pixels.begin(), pixels.end());
    return f;
}

struct Decoded {
    BmpError infoError = BmpError::None, pixelError = BmpError::None;
    BmpInfo info;
    bool rowsMissing = false;
    std::vector<uint32_t> px;
    PixelView view() { return {px.data(), info.width, info.height}; }
};

inline Decoded Decode(const std::vector<uint8_t>& file) {
    Decoded d;
    const MemoryBytes bytes{file.data(), file.size()};
    const BmpSource src = MemoryBmpSource(&bytes);
    d.infoError = ReadBmpInfo(src, &d.info);
    if (d.infoError != BmpError::None) return d;
    // A colour the decoder never writes, so every pixel it skips shows.
    d.px.assign(static_cast<size_t>(d.info.width) * d.info.height, 0x12345678u);
    d.pixelError = DecodeBmpPixels(src, d.info, d.view(), &d.rowsMissing);
    return d;
}

// The picture's pixels, top row first.
inline std::vector<uint32_t> TopDown(Decoded& d) {
    std::vector<uint32_t> out;
    for (int y = 0; y < d.info.height; ++y)
        for (int x = 0; x < d.info.width; ++x)
            out.push_back(ReadPixel(d.view(), x, y));
    return out;
}

inline std::string Hex(const std::vector<uint32_t>& v) {
    std::string s;
    char buf[12];
    for (uint32_t p : v) {
        std::snprintf(buf, sizeof buf, " %08X", p);
        s += buf;
    }
    return s;
}
