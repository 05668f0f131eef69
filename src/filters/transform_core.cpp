#include "filters/transform_core.h"

#include <algorithm>
#include <cstddef>

#ifdef KOLVEX_X86
#include <emmintrin.h>
#endif

namespace {

size_t Count(int width, int height) { return static_cast<size_t>(width) * static_cast<size_t>(height); }
bool Usable(const PixelView& v) { return v.px && v.width >= 1 && v.height >= 1; }

// Swaps row i and row height - 1 - i of a grid of width-wide rows; the same whichever end is stored first.
template <class T> void SwapRows(T* rows, int width, int height) {
    for (int i = 0; i < height / 2; ++i)
        std::swap_ranges(rows + Count(width, i), rows + Count(width, i + 1), rows + Count(width, height - 1 - i));
}

template <class T> void ReverseRows(T* rows, int width, int height) {
    for (int i = 0; i < height; ++i)
        std::reverse(rows + Count(width, i), rows + Count(width, i + 1));
}

// The part of the turn from source rows y0..y1 and columns x0..x1, one pixel at a time.
void RotateTile(const PixelView& src, const PixelView& dst, int x0, int x1, int y0, int y1) {
    const int w = src.width, h = src.height;
    for (int y = y0; y < y1; ++y) {
        const uint32_t* from = src.px + Count(w, h - 1 - y);
        for (int x = x0; x < x1; ++x)
            dst.px[Count(h, x) + static_cast<size_t>(y)] = from[x];
    }
}

void InvertRange(uint32_t* p, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        p[i] = 0xFF000000u | (~p[i] & 0x00FFFFFFu);
}

#ifdef KOLVEX_X86
// Four pixels a round; the last few of a row go the plain way.
KOLVEX_SSE2 void ReverseRowsSse2(uint32_t* rows, int width, int height) {
    for (int r = 0; r < height; ++r) {
        uint32_t* row = rows + Count(width, r);
        int lo = 0, hi = width - 4; // the four pixels at each end, until they would meet
        for (; lo + 4 <= hi; lo += 4, hi -= 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<__m128i*>(row + lo));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<__m128i*>(row + hi));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + lo), _mm_shuffle_epi32(b, _MM_SHUFFLE(0, 1, 2, 3)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + hi), _mm_shuffle_epi32(a, _MM_SHUFFLE(0, 1, 2, 3)));
        }
        std::reverse(row + lo, row + hi + 4);
    }
}

KOLVEX_SSE2 void SwapRowsSse2(uint32_t* rows, int width, int height) {
    for (int i = 0; i < height / 2; ++i) {
        uint32_t* a = rows + Count(width, i);
        uint32_t* b = rows + Count(width, height - 1 - i);
        int x = 0;
        for (; x + 4 <= width; x += 4) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<__m128i*>(a + x));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<__m128i*>(b + x));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(a + x), vb);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(b + x), va);
        }
        std::swap_ranges(a + x, a + width, b + x);
    }
}

// Four source rows by four columns turned as one 4 x 4 transpose; the edges of the tile go the plain way.
KOLVEX_SSE2 void RotateTileSse2(const PixelView& src, const PixelView& dst, int x0, int x1, int y0, int y1) {
    const int w = src.width, h = src.height;
    const int yEnd = y0 + (y1 - y0) / 4 * 4, xEnd = x0 + (x1 - x0) / 4 * 4;
    for (int y = y0; y < yEnd; y += 4) {
        const uint32_t* r0 = src.px + Count(w, h - 1 - y);
        const uint32_t* r1 = r0 - w;
        const uint32_t* r2 = r1 - w;
        const uint32_t* r3 = r2 - w;
        for (int x = x0; x < xEnd; x += 4) {
            const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + x));
            const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + x));
            const __m128i a2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r2 + x));
            const __m128i a3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r3 + x));
            const __m128i t0 = _mm_unpacklo_epi32(a0, a1), t1 = _mm_unpacklo_epi32(a2, a3);
            const __m128i t2 = _mm_unpackhi_epi32(a0, a1), t3 = _mm_unpackhi_epi32(a2, a3);
            uint32_t* out = dst.px + Count(h, x) + static_cast<size_t>(y);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(t0, t1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + h), _mm_unpackhi_epi64(t0, t1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * static_cast<size_t>(h)), _mm_unpacklo_epi64(t2, t3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * static_cast<size_t>(h)), _mm_unpackhi_epi64(t2, t3));
        }
    }
    RotateTile(src, dst, xEnd, x1, y0, yEnd);
    RotateTile(src, dst, x0, x1, yEnd, y1);
}

KOLVEX_SSE2 void InvertSse2(uint32_t* p, size_t n) {
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF), alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<__m128i*>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_or_si128(_mm_xor_si128(v, rgb), alpha));
    }
    InvertRange(p, i, n);
}
#endif

} // namespace

void FlipPixelsHorizontal(const PixelView& v, PixelPath path) {
    if (!Usable(v)) return;
#ifdef KOLVEX_X86
    if (path == PixelPath::Sse2) return ReverseRowsSse2(v.px, v.width, v.height);
#endif
    (void)path;
    ReverseRows(v.px, v.width, v.height);
}

void FlipPixelsVertical(const PixelView& v, PixelPath path) {
    if (!Usable(v)) return;
#ifdef KOLVEX_X86
    if (path == PixelPath::Sse2) return SwapRowsSse2(v.px, v.width, v.height);
#endif
    (void)path;
    SwapRows(v.px, v.width, v.height);
}

void RotatePixels90(const PixelView& src, const PixelView& dst, PixelPath path) {
    if (!Usable(src) || !dst.px || dst.width != src.height || dst.height != src.width) return;
    const int w = src.width, h = src.height;
    // With bottom-up storage on both sides the turn is a transpose of the stored rows: source word
    // (h - 1 - y) * w + x lands on word x * h + y. Tiles keep both sides in the cache.
    constexpr int kTile = 64;
    for (int y0 = 0; y0 < h; y0 += kTile) {
        const int y1 = std::min(h, y0 + kTile);
        for (int x0 = 0; x0 < w; x0 += kTile) {
            const int x1 = std::min(w, x0 + kTile);
#ifdef KOLVEX_X86
            if (path == PixelPath::Sse2) {
                RotateTileSse2(src, dst, x0, x1, y0, y1);
                continue;
            }
#endif
            RotateTile(src, dst, x0, x1, y0, y1);
        }
    }
}

void InvertPixels(const PixelView& v, PixelPath path) {
    if (!Usable(v)) return;
    const size_t n = Count(v.width, v.height);
#ifdef KOLVEX_X86
    if (path == PixelPath::Sse2) return InvertSse2(v.px, n);
#endif
    (void)path;
    InvertRange(v.px, 0, n);
}

void FlipMaskHorizontal(uint8_t* mask, int width, int height) {
    if (mask && width >= 1 && height >= 1) ReverseRows(mask, width, height);
}

void FlipMaskVertical(uint8_t* mask, int width, int height) {
    if (mask && width >= 1 && height >= 1) SwapRows(mask, width, height);
}

void RotateMask90(const uint8_t* src, int width, int height, uint8_t* dst) {
    if (!src || !dst || width < 1 || height < 1) return;
    // Top-down rows: (x, y) goes to column y of row width - 1 - x in a grid height wide.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dst[Count(height, width - 1 - x) + static_cast<size_t>(y)] = src[Count(width, y) + static_cast<size_t>(x)];
}
