#include "capture/snip_core.h"

#include <algorithm>
#include <cstring>

#include "files/bmp_core.h"

bool ChooseSnipArea(const ScreenMetrics& m, SnipRect* area) {
    if (m.virtualWidth > 0 && m.virtualHeight > 0) {
        *area = {m.virtualLeft, m.virtualTop, m.virtualWidth, m.virtualHeight};
        return true;
    }
    if (m.primaryWidth < 1 || m.primaryHeight < 1) return false;
    *area = {0, 0, m.primaryWidth, m.primaryHeight};
    return true;
}

void DimPixels(const uint32_t* src, uint32_t* dst, size_t count) {
    // Red and blue, then green, each in a 16-bit lane: c x 140 <= 35,700, and x / 255 equals
    // (x + 1 + (x >> 8)) >> 8 for every x below 65,535, so no lane spills into the next.
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = src[i];
        const uint32_t rb = (p & 0x00FF00FFu) * 140u;
        const uint32_t g = ((p >> 8) & 0xFFu) * 140u;
        const uint32_t rbDim = ((rb + 0x00010001u + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        const uint32_t gDim = ((g + 1u + (g >> 8)) >> 8) & 0xFFu;
        dst[i] = rbDim | gDim << 8;
    }
}

SnipRect SpannedRect(int x0, int y0, int x1, int y1) {
    return {std::min(x0, x1), std::min(y0, y1), x0 > x1 ? x0 - x1 : x1 - x0, y0 > y1 ? y0 - y1 : y1 - y0};
}

bool ClipSnipRect(int x0, int y0, int x1, int y1, int areaWidth, int areaHeight, SnipRect* out) {
    const SnipRect s = SpannedRect(x0, y0, x1, y1);
    if (s.width <= 3 || s.height <= 3) return false;
    // A cut left or top edge keeps the right or bottom edge where it was.
    const int left = std::max(s.left, 0), top = std::max(s.top, 0);
    const int right = std::min(s.Right(), areaWidth), bottom = std::min(s.Bottom(), areaHeight);
    if (right <= left || bottom <= top) return false;
    *out = {left, top, right - left, bottom - top};
    return true;
}

SnipRect SnipLabelRect(const SnipRect& selection, int areaHeight) {
    int top = selection.Bottom() + 4;
    if (selection.Bottom() + 25 >= areaHeight) top = std::max(selection.top, 24) - 24;
    return {selection.left, top, kSnipLabelWidth, kSnipLabelHeight};
}

SnipRect SnipDamageRect(const SnipRect& selection, int areaHeight) {
    if (selection.width <= 0 || selection.height <= 0) return {};
    const SnipRect label = SnipLabelRect(selection, areaHeight);
    const int left = std::min(selection.left - 1, label.left), top = std::min(selection.top - 1, label.top);
    const int right = std::max(selection.Right() + 1, label.Right());
    const int bottom = std::max(selection.Bottom() + 1, label.Bottom());
    return {left, top, right - left, bottom - top};
}

SnipRect SnipHintRect(int areaWidth) {
    return {(areaWidth - kSnipHintWidth) / 2, kSnipHintTop, kSnipHintWidth, kSnipHintBottom - kSnipHintTop};
}

uint64_t CaptureDibBytes(int width, int height) {
    return 40 + BmpStride24(width) * static_cast<uint64_t>(std::max(height, 0));
}

void PackCaptureDib(const uint32_t* topDown, int width, int height, uint8_t* out) {
    uint8_t header[54];
    MakeBmpHeader24(width, height, header);
    std::memcpy(out, header + 14, 40); // the file header's 14 bytes are not part of the block
    const uint64_t stride = BmpStride24(width);
    for (int r = 0; r < height; ++r) {
        const uint32_t* row = topDown + static_cast<size_t>(height - 1 - r) * static_cast<size_t>(width);
        PackBmpRow24(row, width, out + 40 + static_cast<uint64_t>(r) * stride);
    }
}

void CopyCaptureRegion(const uint32_t* frame, int frameWidth, const SnipRect& r, uint32_t* out) {
    for (int y = 0; y < r.height; ++y) {
        const uint32_t* src =
            frame + static_cast<size_t>(r.top + y) * static_cast<size_t>(frameWidth) + static_cast<size_t>(r.left);
        uint32_t* dst = out + static_cast<size_t>(y) * static_cast<size_t>(r.width);
        for (int x = 0; x < r.width; ++x)
            dst[x] = src[x] | 0xFF000000u; // the screen leaves the fourth byte undefined
    }
}

void FlipRows(const uint32_t* src, int width, int height, uint32_t* dst) {
    const size_t w = static_cast<size_t>(width);
    for (int y = 0; y < height; ++y)
        std::memcpy(dst + static_cast<size_t>(height - 1 - y) * w, src + static_cast<size_t>(y) * w, w * 4);
}

bool IsPictureBlank(const PixelView& picture, uint32_t backgroundPixel) {
    if (!picture.px || picture.width < 1 || picture.height < 1) return true;
    const uint32_t background = backgroundPixel & 0xFFFFFFu;
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t rgb = picture.px[i] & 0xFFFFFFu;
        if (rgb != 0xFFFFFFu && rgb != background) return false;
    }
    return true;
}

CaptureTarget ChooseCaptureTarget(bool blank, bool modified, bool hasPath) {
    return blank && !modified && !hasPath ? CaptureTarget::ReplacePicture : CaptureTarget::FloatingSelection;
}
