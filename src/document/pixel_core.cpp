#include "document/pixel_core.h"

#include <algorithm>

bool IsPictureSizeAllowed(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

void FillPixels(const PixelView& v, uint32_t value) {
    if (!v.px || v.width < 1 || v.height < 1) return;
    std::fill_n(v.px, static_cast<size_t>(v.width) * static_cast<size_t>(v.height), value);
}

void CopyAnchoredTopLeft(const uint32_t* old, int oldWidth, int oldHeight, const PixelView& dst, uint32_t fill) {
    if (!dst.px || dst.width < 1 || dst.height < 1) return;
    const int keepW = old ? std::min(oldWidth, dst.width) : 0;
    const int keepH = old ? std::min(oldHeight, dst.height) : 0;
    for (int y = 0; y < dst.height; ++y) {
        uint32_t* row = dst.px + static_cast<size_t>(dst.height - 1 - y) * static_cast<size_t>(dst.width);
        int x = 0;
        if (y < keepH && keepW > 0) {
            const uint32_t* src = old + static_cast<size_t>(oldHeight - 1 - y) * static_cast<size_t>(oldWidth);
            std::copy_n(src, keepW, row);
            x = keepW;
        }
        std::fill(row + x, row + dst.width, fill);
    }
}
