#include "filters/mosaic_core.h"

#include <algorithm>
#include <vector>

namespace {

struct BlockSum {
    uint64_t red = 0, green = 0, blue = 0;
    uint64_t count = 0;
    uint32_t pixel = 0; // the average, once the strip's sums are complete
};

// The part of the area that lies on the picture, in picture columns and rows; the area in 64 bits, so that no
// corner overflows.
struct Clip {
    int64_t x0, x1, y0, y1;
};

Clip ClipToPicture(const PixelView& v, const MosaicArea& a) {
    return {std::max<int64_t>(a.left, 0), std::min<int64_t>(static_cast<int64_t>(a.left) + a.width, v.width),
            std::max<int64_t>(a.top, 0), std::min<int64_t>(static_cast<int64_t>(a.top) + a.height, v.height)};
}

// One strip of blocks, n rows high: the sums over every row, then the writes of every row. With a key, which
// pixels counted is kept in a bit per pixel of the strip, so that the writes need not read the pixels again.
class Strip {
public:
    Strip(const PixelView& v, const MosaicArea& a, const Clip& c, int n)
        : v_(v), a_(a), c_(c), n_(n), firstBlock_((c.x0 - a.left) / n),
          sums_(static_cast<size_t>((c.x1 - 1 - a.left) / n - firstBlock_ + 1)),
          wordsPerRow_(static_cast<size_t>((c.x1 - c.x0 + 63) / 64)) {}

    void Run(int64_t y0, int64_t y1) {
        std::fill(sums_.begin(), sums_.end(), BlockSum{});
        if (a_.keyRgb) counted_.assign(wordsPerRow_ * static_cast<size_t>(y1 - y0), 0);
        for (int64_t y = y0; y < y1; ++y)
            SumRow(y, y - y0);
        for (BlockSum& s : sums_)
            if (s.count)
                s.pixel = 0xFF000000u | static_cast<uint32_t>(s.red / s.count) << 16 |
                          static_cast<uint32_t>(s.green / s.count) << 8 | static_cast<uint32_t>(s.blue / s.count);
        for (int64_t y = y0; y < y1; ++y)
            WriteRow(y, y - y0);
    }

private:
    uint32_t* RowOf(int64_t y) const { return v_.px + PixelIndex(v_, 0, static_cast<int>(y)); }
    // Indexed by the column's offset from the area's left edge.
    const uint8_t* MaskRow(int64_t y) const {
        return a_.mask ? a_.mask + static_cast<size_t>(y - a_.top) * static_cast<size_t>(a_.width) : nullptr;
    }
    uint64_t* CountedRow(int64_t row) { return counted_.data() + wordsPerRow_ * static_cast<size_t>(row); }
    // The block of column x among the strip's sums, and the first column past it.
    int64_t BlockNumber(int64_t x) const { return (x - a_.left) / n_; }
    size_t BlockOf(int64_t x) const { return static_cast<size_t>(BlockNumber(x) - firstBlock_); }
    int64_t BlockEnd(int64_t x) const { return std::min(a_.left + (BlockNumber(x) + 1) * n_, c_.x1); }

    void SumRow(int64_t y, int64_t row) {
        const uint32_t* px = RowOf(y);
        const uint8_t* mask = MaskRow(y);
        uint64_t* counted = a_.keyRgb ? CountedRow(row) : nullptr;
        const uint32_t key = a_.keyRgb ? *a_.keyRgb & 0xFFFFFFu : 0;
        for (int64_t x = c_.x0; x < c_.x1;) {
            BlockSum& s = sums_[BlockOf(x)];
            for (const int64_t end = BlockEnd(x); x < end; ++x) {
                if (mask && mask[x - a_.left] != 1) continue;
                const uint32_t p = px[x];
                if (counted) {
                    if ((p & 0xFFFFFFu) == key) continue;
                    const int64_t bit = x - c_.x0;
                    counted[bit / 64] |= uint64_t{1} << (bit % 64);
                }
                s.red += p >> 16 & 0xFF;
                s.green += p >> 8 & 0xFF;
                s.blue += p & 0xFF;
                ++s.count;
            }
        }
    }

    void WriteRow(int64_t y, int64_t row) {
        uint32_t* px = RowOf(y);
        const uint8_t* mask = MaskRow(y);
        const uint64_t* counted = a_.keyRgb ? CountedRow(row) : nullptr;
        for (int64_t x = c_.x0; x < c_.x1;) {
            const BlockSum& s = sums_[BlockOf(x)];
            const int64_t end = BlockEnd(x);
            if (!s.count) {
                x = end;
                continue;
            }
            for (; x < end; ++x) {
                const int64_t bit = x - c_.x0;
                const bool counts =
                    counted ? (counted[bit / 64] >> (bit % 64) & 1) != 0 : !mask || mask[x - a_.left] == 1;
                if (counts) px[x] = s.pixel;
            }
        }
    }

    const PixelView& v_;
    const MosaicArea& a_;
    const Clip c_;
    const int64_t n_;
    const int64_t firstBlock_; // the block of the first column on the picture
    std::vector<BlockSum> sums_;
    const size_t wordsPerRow_;
    std::vector<uint64_t> counted_;
};

} // namespace

void MosaicPixels(const PixelView& picture, const MosaicArea& area, int n) {
    if (!picture.px || area.width < 1 || area.height < 1) return;
    n = std::max(n, kMinMosaicBlock);
    const Clip c = ClipToPicture(picture, area);
    if (c.x0 >= c.x1 || c.y0 >= c.y1) return;
    Strip strip(picture, area, c, n);
    // Strips start at the area's top, n rows apart; the first may begin above the picture.
    const int64_t first = area.top + std::max<int64_t>(0, (c.y0 - area.top) / n) * n;
    for (int64_t by = first; by < c.y1; by += n)
        strip.Run(std::max(by, c.y0), std::min(by + n, c.y1));
}
