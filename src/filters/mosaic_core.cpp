#include "filters/mosaic_core.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#ifdef KOLVEX_X86
#include <emmintrin.h>
#endif

namespace {

struct BlockSum {
    uint64_t red = 0, green = 0, blue = 0;
    uint64_t count = 0;
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

// Divides by one count at a time without a division: floor(v / k) = v * ceil(2^40 / k) >> 40 exactly while
// v * k < 2^40, which holds for channel sums (v <= 255 k) of blocks of up to 65,536 pixels. Larger blocks divide.
class Averager {
public:
    uint32_t Of(const BlockSum& s) {
        if (!s.count) return 0;
        if (s.count > 65536)
            return 0xFF000000u | static_cast<uint32_t>(s.red / s.count) << 16 |
                   static_cast<uint32_t>(s.green / s.count) << 8 | static_cast<uint32_t>(s.blue / s.count);
        if (s.count != count_) {
            count_ = s.count;
            magic_ = ((uint64_t{1} << 40) + count_ - 1) / count_;
        }
        return 0xFF000000u | Quotient(s.red) << 16 | Quotient(s.green) << 8 | Quotient(s.blue);
    }

private:
    uint32_t Quotient(uint64_t v) const { return static_cast<uint32_t>(v * magic_ >> 40); }
    uint64_t count_ = 0;
    uint64_t magic_ = 0;
};

// Whether the 8 mask bytes from p are all 1.
bool AllInside(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word == 0x0101010101010101u;
}

// Adds pixels i0..i1 of a row to the column sums: red and blue in the 16-bit halves of one word, green in another.
void AddColumnsScalar(const uint32_t* px, uint32_t* redBlue, uint32_t* green, uint32_t* count, size_t i0, size_t i1) {
    for (size_t i = i0; i < i1; ++i) {
        redBlue[i] += px[i] & 0xFF00FFu;
        green[i] += px[i] & 0xFF00u;
        ++count[i];
    }
}

#ifdef KOLVEX_X86
KOLVEX_SSE2 void AddColumnsSse2(const uint32_t* px, uint32_t* redBlue, uint32_t* green, uint32_t* count, size_t i0,
                                size_t i1) {
    const __m128i rb = _mm_set1_epi32(0xFF00FF), g = _mm_set1_epi32(0xFF00), one = _mm_set1_epi32(1);
    size_t i = i0;
    for (; i + 4 <= i1; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + i));
        __m128i* sumRb = reinterpret_cast<__m128i*>(redBlue + i);
        __m128i* sumG = reinterpret_cast<__m128i*>(green + i);
        __m128i* sumN = reinterpret_cast<__m128i*>(count + i);
        _mm_storeu_si128(sumRb, _mm_add_epi32(_mm_loadu_si128(sumRb), _mm_and_si128(p, rb)));
        _mm_storeu_si128(sumG, _mm_add_epi32(_mm_loadu_si128(sumG), _mm_and_si128(p, g)));
        _mm_storeu_si128(sumN, _mm_add_epi32(_mm_loadu_si128(sumN), one));
    }
    AddColumnsScalar(px, redBlue, green, count, i, i1);
}
#endif

// Column sums of up to this many rows fit their lanes: red and blue share one word in 16-bit lanes.
constexpr int64_t kRowsPerFold = 256;

// One strip of blocks, n rows high, at a time: sums first, then writes, so that no pixel is read after it was
// written. Without a key the sums go down the columns (a loop over whole rows that vectorises) and are folded into
// the blocks every kRowsPerFold rows; the writes copy a row of block colours. With a key, which pixels counted is
// kept in a bit per pixel of the strip, so that the writes need not read the pixels again.
class Strips {
public:
    Strips(const PixelView& v, const MosaicArea& a, const Clip& c, int n, PixelPath path)
        : path_(path), v_(v), a_(a), c_(c), n_(n), columns_(static_cast<size_t>(c.x1 - c.x0)),
          firstBlock_((c.x0 - a.left) / n), sums_(static_cast<size_t>((c.x1 - 1 - a.left) / n - firstBlock_ + 1)),
          pixels_(sums_.size()), colours_(a.keyRgb ? 0 : columns_), wordsPerRow_((columns_ + 63) / 64) {
        if (!a.keyRgb) {
            redBlue_.resize(columns_);
            green_.resize(columns_);
            count_.resize(columns_);
        }
    }

    void Run(int64_t y0, int64_t y1) {
        std::fill(sums_.begin(), sums_.end(), BlockSum{});
        if (a_.keyRgb) {
            counted_.assign(wordsPerRow_ * static_cast<size_t>(y1 - y0), 0);
            for (int64_t y = y0; y < y1; ++y)
                SumRowKeyed(y, y - y0);
        } else {
            for (int64_t y = y0; y < y1; y += kRowsPerFold)
                SumColumns(y, std::min(y + kRowsPerFold, y1));
        }
        std::vector<uint32_t>& pixels = pixels_;
        for (size_t b = 0; b < sums_.size(); ++b)
            pixels[b] = averager_.Of(sums_[b]);
        if (!a_.keyRgb)
            ForEachBlock([&](size_t b, size_t i0, size_t i1) {
                for (size_t i = i0; i < i1; ++i)
                    colours_[i] = pixels[b];
            });
        for (int64_t y = y0; y < y1; ++y)
            WriteRow(y, y - y0, pixels);
    }

private:
    uint32_t* RowOf(int64_t y) const { return v_.px + PixelIndex(v_, 0, static_cast<int>(y)) + c_.x0; }
    // From the first column on the picture; null without a mask.
    const uint8_t* MaskRow(int64_t y) const {
        return a_.mask ? a_.mask + static_cast<size_t>(y - a_.top) * static_cast<size_t>(a_.width) +
                             static_cast<size_t>(c_.x0 - a_.left)
                       : nullptr;
    }
    uint64_t* CountedRow(int64_t row) { return counted_.data() + wordsPerRow_ * static_cast<size_t>(row); }

    // Calls f(block, first column, column past it) for the strip's blocks, columns counted from the clip's left.
    template <class F> void ForEachBlock(F f) const {
        const int64_t firstEnd = std::min(a_.left + (firstBlock_ + 1) * n_, c_.x1);
        size_t b = 0;
        for (int64_t x = c_.x0, end = firstEnd; x < c_.x1; x = end, end = std::min(end + n_, c_.x1), ++b)
            f(b, static_cast<size_t>(x - c_.x0), static_cast<size_t>(end - c_.x0));
    }

    // Adds a row to the column sums; a mask is read 8 bytes at a time, so that runs wholly inside it take the
    // unmasked loop.
    template <bool kMasked> void AddRow(int64_t y) {
        const uint32_t* px = RowOf(y);
        const uint8_t* mask = MaskRow(y);
        if (!kMasked) {
            AddColumns(px, 0, columns_);
            return;
        }
        size_t i = 0;
        for (; i + 8 <= columns_; i += 8)
            if (AllInside(mask + i))
                AddColumns(px, i, i + 8);
            else
                AddMaskedColumns(px, mask, i, i + 8);
        AddMaskedColumns(px, mask, i, columns_);
    }

    void AddColumns(const uint32_t* px, size_t i0, size_t i1) {
#ifdef KOLVEX_X86
        if (path_ == PixelPath::Sse2) return AddColumnsSse2(px, redBlue_.data(), green_.data(), count_.data(), i0, i1);
#endif
        AddColumnsScalar(px, redBlue_.data(), green_.data(), count_.data(), i0, i1);
    }

    void AddMaskedColumns(const uint32_t* px, const uint8_t* mask, size_t i0, size_t i1) {
        for (size_t i = i0; i < i1; ++i)
            if (mask[i] == 1) {
                redBlue_[i] += px[i] & 0xFF00FFu;
                green_[i] += px[i] & 0xFF00u;
                ++count_[i];
            }
    }

    void SumColumns(int64_t y0, int64_t y1) {
        std::fill(redBlue_.begin(), redBlue_.end(), 0u);
        std::fill(green_.begin(), green_.end(), 0u);
        std::fill(count_.begin(), count_.end(), 0u);
        for (int64_t y = y0; y < y1; ++y)
            if (a_.mask)
                AddRow<true>(y);
            else
                AddRow<false>(y);
        ForEachBlock([&](size_t b, size_t i0, size_t i1) {
            BlockSum& s = sums_[b];
            for (size_t i = i0; i < i1; ++i) {
                s.red += redBlue_[i] >> 16;
                s.blue += redBlue_[i] & 0xFFFFu;
                s.green += green_[i] >> 8;
                s.count += count_[i];
            }
        });
    }

    void SumRowKeyed(int64_t y, int64_t row) {
        const uint32_t* px = RowOf(y);
        const uint8_t* mask = MaskRow(y);
        uint64_t* counted = CountedRow(row);
        const uint32_t key = *a_.keyRgb & 0xFFFFFFu;
        ForEachBlock([&](size_t b, size_t i0, size_t i1) {
            BlockSum& s = sums_[b];
            for (size_t i = i0; i < i1; ++i) {
                const uint32_t p = px[i];
                if ((mask && mask[i] != 1) || (p & 0xFFFFFFu) == key) continue;
                counted[i / 64] |= uint64_t{1} << (i % 64);
                s.red += p >> 16 & 0xFF;
                s.green += p >> 8 & 0xFF;
                s.blue += p & 0xFF;
                ++s.count;
            }
        });
    }

    void WriteRow(int64_t y, int64_t row, const std::vector<uint32_t>& pixels) {
        uint32_t* px = RowOf(y);
        const uint8_t* mask = MaskRow(y);
        if (a_.keyRgb) {
            const uint64_t* counted = CountedRow(row);
            ForEachBlock([&](size_t b, size_t i0, size_t i1) {
                for (size_t i = i0; i < i1; ++i)
                    if (counted[i / 64] >> (i % 64) & 1) px[i] = pixels[b];
            });
        } else if (mask) {
            // Runs wholly inside the mask, the common case of a free-form shape, are copied as they are.
            size_t i = 0;
            for (; i + 8 <= columns_; i += 8) {
                if (AllInside(mask + i)) {
                    for (size_t j = i; j < i + 8; ++j)
                        px[j] = colours_[j];
                    continue;
                }
                for (size_t j = i; j < i + 8; ++j)
                    if (mask[j] == 1) px[j] = colours_[j];
            }
            for (; i < columns_; ++i)
                if (mask[i] == 1) px[i] = colours_[i];
        } else {
            std::copy(colours_.begin(), colours_.end(), px);
        }
    }

    const PixelPath path_;
    const PixelView& v_;
    const MosaicArea& a_;
    const Clip c_;
    const int64_t n_;
    const size_t columns_;     // of the clip
    const int64_t firstBlock_; // the block of the clip's first column, counted from the area's left edge
    std::vector<BlockSum> sums_;
    std::vector<uint32_t> pixels_; // each block's average
    Averager averager_;
    std::vector<uint32_t> colours_; // each column's block colour, for the writes without a key
    std::vector<uint32_t> redBlue_, green_, count_;
    const size_t wordsPerRow_;
    std::vector<uint64_t> counted_;
};

} // namespace

void MosaicPixels(const PixelView& picture, const MosaicArea& area, int n, PixelPath path) {
    if (!picture.px || area.width < 1 || area.height < 1) return;
    n = std::max(n, kMinMosaicBlock);
    const Clip c = ClipToPicture(picture, area);
    if (c.x0 >= c.x1 || c.y0 >= c.y1) return;
    Strips strips(picture, area, c, n, path);
    // Strips start at the area's top, n rows apart; the first may begin above the picture.
    const int64_t first = area.top + std::max<int64_t>(0, (c.y0 - area.top) / n) * n;
    for (int64_t by = first; by < c.y1; by += n)
        strips.Run(std::max(by, c.y0), std::min(by + n, c.y1));
}
