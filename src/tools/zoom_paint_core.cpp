#include "tools/zoom_paint_core.h"

#include <algorithm>
#include <cstring>

#ifdef KOLVEX_X86
#include <emmintrin.h>
#endif

namespace {

// The part [from, to) of a content span that lies in the buffer, in buffer coordinates; empty when none.
struct Span {
    int from, to;
};
Span InBuffer(int64_t from, int64_t to, int origin, int size) {
    const int64_t a = std::clamp<int64_t>(from - origin, 0, size), b = std::clamp<int64_t>(to - origin, 0, size);
    return {static_cast<int>(a), static_cast<int>(std::max(a, b))};
}

void FillWordsScalar(uint32_t* p, int n, uint32_t v) {
    for (int i = 0; i < n; ++i)
        p[i] = v;
}

#ifdef KOLVEX_X86
KOLVEX_SSE2 void FillWordsSse2(uint32_t* p, int n, uint32_t v) {
    const __m128i four = _mm_set1_epi32(static_cast<int>(v));
    int i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), four);
    for (; i < n; ++i)
        p[i] = v;
}
#endif

void FillWords(uint32_t* p, int n, uint32_t v, PixelPath path) {
#ifdef KOLVEX_X86
    if (path == PixelPath::Sse2) return FillWordsSse2(p, n, v);
#endif
    (void)path;
    FillWordsScalar(p, n, v);
}

} // namespace

void PaintZoomedPicture(const PixelView& picture, int zoom, int x0, int y0, int x1, int y1, const ContentBuffer& out,
                        PixelPath path) {
    if (!picture.px || !out.px || zoom < 1 || out.width < 1 || out.height < 1) return;
    const int64_t z = zoom;
    // Only the picture columns that reach the buffer.
    x0 = static_cast<int>(std::max<int64_t>({x0, 0, out.left / z}));
    x1 = static_cast<int>(
        std::min<int64_t>({x1, picture.width, (static_cast<int64_t>(out.left) + out.width + z - 1) / z}));
    y0 = std::max(y0, 0);
    y1 = std::min(y1, picture.height);
    if (x0 >= x1 || y0 >= y1) return;
    const Span written = {InBuffer(x0 * z, (x0 + 1) * z, out.left, out.width).from,
                          InBuffer((x1 - 1) * z, x1 * z, out.left, out.width).to};
    const size_t stride = static_cast<size_t>(out.width);
    for (int y = y0; y < y1; ++y) {
        const Span rows = InBuffer(y * z, (y + 1) * z, out.top, out.height);
        if (rows.from >= rows.to) continue;
        const uint32_t* src = picture.px + PixelIndex(picture, 0, y);
        uint32_t* first = out.px + static_cast<size_t>(rows.from) * stride;
        for (int x = x0; x < x1; ++x) {
            const Span s = InBuffer(x * z, (x + 1) * z, out.left, out.width);
            FillWords(first + s.from, s.to - s.from, src[x], path);
        }
        // The rest of the square's rows are the same row again.
        for (int r = rows.from + 1; r < rows.to; ++r)
            std::memcpy(out.px + static_cast<size_t>(r) * stride + written.from, first + written.from,
                        static_cast<size_t>(written.to - written.from) * sizeof(uint32_t));
    }
}

void XorGridLines(const GridLines& g, const ContentBuffer& out) {
    if (!out.px || g.zoom < 1 || g.step < 1 || out.width < 1 || out.height < 1) return;
    constexpr uint32_t kWhite = 0x00FFFFFFu;
    const int64_t z = g.zoom;
    const size_t stride = static_cast<size_t>(out.width);
    const Span down = InBuffer(z * g.ys, z * g.yEnd + 1, out.top, out.height);
    for (int64_t x = g.xs; x <= g.xEnd; x += g.step) {
        const int64_t cx = z * x - out.left;
        if (cx < 0 || cx >= out.width) continue;
        for (int r = down.from; r < down.to; ++r)
            out.px[static_cast<size_t>(r) * stride + static_cast<size_t>(cx)] ^= kWhite;
    }
    const Span across = InBuffer(z * g.xs, z * g.xEnd + 1, out.left, out.width);
    for (int64_t y = g.ys; y <= g.yEnd; y += g.step) {
        const int64_t cy = z * y - out.top;
        if (cy < 0 || cy >= out.height) continue;
        uint32_t* row = out.px + static_cast<size_t>(cy) * stride;
        for (int i = across.from; i < across.to; ++i)
            row[i] ^= kWhite;
    }
}
