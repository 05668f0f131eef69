// The picture's pixel layout and the size limit shared by every source of a new picture size.
// Pixels are 0xAARRGGBB words, rows stored bottom-up: picture point (x, y) is word (height - 1 - y) * width + x.
#pragma once
#include <cstddef>
#include <cstdint>

struct PixelView {
    uint32_t* px = nullptr;
    int width = 0;
    int height = 0;
};

constexpr int kMaxPictureSide = 32767;
constexpr int64_t kMaxPicturePixels = 100000000;

// A colour value 0x00BBGGRR as the opaque pixel the program writes directly.
constexpr uint32_t PixelFromColor(uint32_t color) {
    return 0xFF000000u | (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu);
}

// Whether width x height may become a picture: each side 1..32767 and at most 100,000,000 pixels.
bool IsPictureSizeAllowed(int64_t width, int64_t height);

inline bool InPicture(const PixelView& v, int x, int y) {
    return v.px && x >= 0 && y >= 0 && x < v.width && y < v.height;
}
inline size_t PixelIndex(const PixelView& v, int x, int y) {
    return static_cast<size_t>(v.height - 1 - y) * static_cast<size_t>(v.width) + static_cast<size_t>(x);
}
// Both clipped to the picture; reading outside gives 0.
inline uint32_t ReadPixel(const PixelView& v, int x, int y) {
    return InPicture(v, x, y) ? v.px[PixelIndex(v, x, y)] : 0;
}
inline void WritePixel(const PixelView& v, int x, int y, uint32_t value) {
    if (InPicture(v, x, y)) v.px[PixelIndex(v, x, y)] = value;
}

void FillPixels(const PixelView& v, uint32_t value);

// Copies old pixels into dst anchored at the top-left corner; what old does not cover becomes fill.
// old may be null (the copy could not be made): then dst is filled entirely.
void CopyAnchoredTopLeft(const uint32_t* old, int oldWidth, int oldHeight, const PixelView& dst, uint32_t fill);
