#include "tools/selection_core.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <new>

static int Trunc(double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); }

HandleSquare SelectionHandleSquare(int handle, const SelectionRect& r, double zoom) {
    // No epsilon here, unlike the zoomed picture extent.
    const int xl = Trunc(zoom * std::min(r.left, r.right)), xr = Trunc(zoom * std::max(r.left, r.right));
    const int yt = Trunc(zoom * std::min(r.top, r.bottom)), yb = Trunc(zoom * std::max(r.top, r.bottom));
    const int xm = (xl + xr) / 2, ym = (yt + yb) / 2;
    const int cx[9] = {0, xl, xm, xr, xr, xr, xm, xl, xl};
    const int cy[9] = {0, yt, yt, yt, ym, yb, yb, yb, ym};
    const int h = std::clamp(handle, 1, 8);
    return {cx[h] - 2, cy[h] - 2, cx[h] + 3, cy[h] + 3};
}

int HitHandleAt(const SelectionRect& r, double zoom, int contentX, int contentY) {
    for (int h = 1; h <= 8; ++h) {
        const HandleSquare s = SelectionHandleSquare(h, r, zoom);
        if (contentX >= s.left - 2 && contentX < s.right + 2 && contentY >= s.top - 2 && contentY < s.bottom + 2)
            return h;
    }
    return 0;
}

SelectionRect ResizeWithHandle(int handle, const SelectionRect& start, int64_t dx, int64_t dy) {
    // Handles 1..8 clockwise from the top-left: which edges each one moves.
    static constexpr bool kLeft[9] = {false, true, false, false, false, false, false, true, true};
    static constexpr bool kRight[9] = {false, false, false, true, true, true, false, false, false};
    static constexpr bool kTop[9] = {false, true, true, true, false, false, false, false, false};
    static constexpr bool kBottom[9] = {false, false, false, false, false, true, true, true, false};
    const int h = handle >= 1 && handle <= 8 ? handle : 0;
    constexpr int64_t kFar = int64_t{1} << 40;
    dx = std::clamp<int64_t>(dx, -kFar, kFar);
    dy = std::clamp<int64_t>(dy, -kFar, kFar);
    int64_t l = start.left, t = start.top, r = start.right, b = start.bottom;
    if (kLeft[h]) l += dx;
    if (kRight[h]) r += dx;
    if (kTop[h]) t += dy;
    if (kBottom[h]) b += dy;
    if (l >= r) r = l + 1;
    if (t >= b) b = t + 1;
    // Within the limit: the moving edge gives way, so the fixed corner stays where it was.
    auto limitSide = [](int64_t& lo, int64_t& hi, bool movesLow, int64_t most) {
        if (hi - lo <= most) return;
        if (movesLow)
            lo = hi - most;
        else
            hi = lo + most;
    };
    limitSide(l, r, kLeft[h], kMaxPictureSide);
    limitSide(t, b, kTop[h], kMaxPictureSide);
    if ((r - l) * (b - t) > kMaxPicturePixels) {
        if (kLeft[h] || kRight[h])
            limitSide(l, r, kLeft[h], kMaxPicturePixels / (b - t));
        else
            limitSide(t, b, kTop[h], kMaxPicturePixels / (r - l));
    }
    auto toInt = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN + 1, INT32_MAX - 1)); };
    return {toInt(l), toInt(t), toInt(r), toInt(b)};
}

NeededPicture PictureSizeForSelection(const SelectionRect& source, const SelectionRect& rect, int pictureWidth,
                                      int pictureHeight) {
    const bool whole = source.left == 0 && source.top == 0 && source.right == pictureWidth &&
                       source.bottom == pictureHeight && rect.left == 0 && rect.top == 0;
    if (whole) return {rect.right, rect.bottom, true};
    return {std::max<int64_t>(pictureWidth, rect.right), std::max<int64_t>(pictureHeight, rect.bottom), false};
}

// The part of a width x height area placed at (left, top) that lies in the picture, in the area's own
// coordinates: rows [y0, y1), columns [x0, x1); empty ranges when they do not meet.
struct AreaInPicture {
    int64_t x0, x1, y0, y1;
};
static AreaInPicture ClipToPicture(const PixelView& picture, int left, int top, int64_t width, int64_t height) {
    return {std::max<int64_t>(0, -static_cast<int64_t>(left)),
            std::min<int64_t>(width, static_cast<int64_t>(picture.width) - left),
            std::max<int64_t>(0, -static_cast<int64_t>(top)),
            std::min<int64_t>(height, static_cast<int64_t>(picture.height) - top)};
}

static bool InMask(const uint8_t* mask, int width, int x, int y) {
    return !mask || mask[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != 0;
}

void StampImage(const PixelView& picture, const PixelView& image, const uint8_t* mask, int left, int top,
                bool transparent, uint32_t keyRgb) {
    if (!picture.px || !image.px) return;
    const auto [x0, x1, y0, y1] = ClipToPicture(picture, left, top, image.width, image.height);
    for (int64_t i = y0; i < y1; ++i) {
        const uint32_t* src = image.px + PixelIndex(image, 0, static_cast<int>(i));
        uint32_t* dst = picture.px + PixelIndex(picture, 0, static_cast<int>(top + i)) + left;
        for (int64_t j = x0; j < x1; ++j) {
            if (!InMask(mask, image.width, static_cast<int>(j), static_cast<int>(i))) continue;
            const uint32_t v = src[j];
            if (transparent && (v & 0xFFFFFFu) == (keyRgb & 0xFFFFFFu)) continue;
            dst[j] = v;
        }
    }
}

void FillArea(const PixelView& picture, int left, int top, int width, int height, const uint8_t* mask, uint32_t pixel) {
    if (!picture.px) return;
    const auto [x0, x1, y0, y1] = ClipToPicture(picture, left, top, width, height);
    for (int64_t i = y0; i < y1; ++i) {
        uint32_t* dst = picture.px + PixelIndex(picture, 0, static_cast<int>(top + i)) + left;
        for (int64_t j = x0; j < x1; ++j)
            if (InMask(mask, width, static_cast<int>(j), static_cast<int>(i))) dst[j] = pixel;
    }
}

void CopyPictureArea(const PixelView& picture, int left, int top, const PixelView& image) {
    if (!picture.px || !image.px) return;
    const auto [x0, x1, y0, y1] = ClipToPicture(picture, left, top, image.width, image.height);
    for (int64_t i = y0; i < y1; ++i) {
        const uint32_t* src = picture.px + PixelIndex(picture, 0, static_cast<int>(top + i)) + left;
        uint32_t* dst = image.px + PixelIndex(image, 0, static_cast<int>(i));
        for (int64_t j = x0; j < x1; ++j)
            dst[j] = src[j] | 0xFF000000u;
    }
}

void FillOutsideMask(const PixelView& image, const uint8_t* mask, uint32_t pixel) {
    if (!image.px || !mask) return;
    for (int i = 0; i < image.height; ++i) {
        uint32_t* row = image.px + PixelIndex(image, 0, i);
        for (int j = 0; j < image.width; ++j)
            if (!InMask(mask, image.width, j, i)) row[j] = pixel;
    }
}

void ScalePixelsNearest(const PixelView& src, const PixelView& dst) {
    if (!src.px || !dst.px || src.width < 1 || src.height < 1) return;
    std::vector<int> cols(static_cast<size_t>(std::max(dst.width, 0)));
    for (int j = 0; j < dst.width; ++j)
        cols[static_cast<size_t>(j)] = NearestSourceIndex(j, src.width, dst.width);
    int previous = -1;
    for (int i = 0; i < dst.height; ++i) {
        const int from = NearestSourceIndex(i, src.height, dst.height);
        uint32_t* d = dst.px + PixelIndex(dst, 0, i);
        // An enlarged row repeats the one above it: copied whole rather than sampled again.
        if (from == previous) {
            std::memcpy(d, dst.px + PixelIndex(dst, 0, i - 1), static_cast<size_t>(dst.width) * sizeof(uint32_t));
            continue;
        }
        previous = from;
        const uint32_t* s = src.px + PixelIndex(src, 0, from);
        for (int j = 0; j < dst.width; ++j)
            d[j] = s[cols[static_cast<size_t>(j)]];
    }
}

void ScaleMaskNearest(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst, int dstWidth, int dstHeight) {
    if (!src || !dst || srcWidth < 1 || srcHeight < 1) return;
    for (int i = 0; i < dstHeight; ++i) {
        const uint8_t* s = src + static_cast<size_t>(NearestSourceIndex(i, srcHeight, dstHeight)) * srcWidth;
        uint8_t* d = dst + static_cast<size_t>(i) * dstWidth;
        for (int j = 0; j < dstWidth; ++j)
            d[j] = s[NearestSourceIndex(j, srcWidth, dstWidth)];
    }
}

namespace {

struct Crossing {
    double x;
    int winding;
};

// The inside spans of scanline y: where the nonzero winding of the edges crossing it starts and stops. An edge
// counts on the rows from its upper end up to, not including, its lower end.
void ScanlineSpans(const std::vector<PicturePoint>& p, int64_t y, std::vector<Crossing>* crossings) {
    crossings->clear();
    const size_t n = p.size();
    for (size_t k = 0; k < n; ++k) {
        const PicturePoint a = p[k], b = p[(k + 1) % n];
        if (a.y == b.y) continue;
        const bool down = a.y < b.y;
        const int64_t yTop = down ? a.y : b.y, yBottom = down ? b.y : a.y;
        if (y < yTop || y >= yBottom) continue;
        const double x = a.x + static_cast<double>(y - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
        crossings->push_back({x, down ? 1 : -1});
    }
    std::sort(crossings->begin(), crossings->end(), [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
}

int64_t CeilPixel(double x) { return static_cast<int64_t>(std::ceil(x - 1e-9)); }

} // namespace

bool LassoMask(const std::vector<PicturePoint>& points, int width, int height, SelectionRect* box,
               std::vector<uint8_t>* mask) {
    if (points.size() < 3 || width < 1 || height < 1) return false;
    int64_t minX = width, minY = height, maxX = 0, maxY = 0;
    for (const PicturePoint& q : points) {
        minX = std::min<int64_t>(minX, q.x);
        minY = std::min<int64_t>(minY, q.y);
        maxX = std::max<int64_t>(maxX, q.x);
        maxY = std::max<int64_t>(maxY, q.y);
    }
    // Only the part on the picture can be selected, so the box is clipped before anything is allocated.
    const int64_t x0 = std::max<int64_t>(minX, 0), y0 = std::max<int64_t>(minY, 0);
    const int64_t x1 = std::min<int64_t>(maxX + 1, width), y1 = std::min<int64_t>(maxY + 1, height);
    if (x0 >= x1 || y0 >= y1) return false;
    const int w = static_cast<int>(x1 - x0), h = static_cast<int>(y1 - y0);
    std::vector<uint8_t> m;
    std::vector<Crossing> crossings;
    try {
        m.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        crossings.reserve(points.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    bool any = false;
    for (int64_t y = y0; y < y1; ++y) {
        ScanlineSpans(points, y, &crossings);
        int winding = 0;
        double spanStart = 0;
        for (const Crossing& c : crossings) {
            const int before = winding;
            winding += c.winding;
            if (before == 0 && winding != 0) spanStart = c.x;
            if (before == 0 || winding != 0) continue;
            const int64_t a = std::max(CeilPixel(spanStart), x0), b = std::min(CeilPixel(c.x), x1);
            uint8_t* row = m.data() + static_cast<size_t>(y - y0) * static_cast<size_t>(w);
            for (int64_t x = a; x < b; ++x) {
                row[x - x0] = 1;
                any = true;
            }
        }
    }
    if (!any) return false;
    *box = {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
    mask->swap(m);
    return true;
}
