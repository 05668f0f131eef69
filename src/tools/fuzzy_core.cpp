#include "tools/fuzzy_core.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/cpu_core.h"

#ifdef KOLVEX_X86
#include <emmintrin.h>
#endif

bool SimilarColor(uint32_t pixel, uint32_t seed, int tolerance) {
    if (tolerance <= 0) return ((pixel ^ seed) & 0xFFFFFFu) == 0;
    const int dr = std::abs(static_cast<int>(pixel >> 16 & 0xFF) - static_cast<int>(seed >> 16 & 0xFF));
    const int dg = std::abs(static_cast<int>(pixel >> 8 & 0xFF) - static_cast<int>(seed >> 8 & 0xFF));
    const int db = std::abs(static_cast<int>(pixel & 0xFF) - static_cast<int>(seed & 0xFF));
    return std::max({dr, dg, db}) <= tolerance;
}

namespace {

// A run of one row already marked as in the region, whose neighbours are still to be looked at.
struct Seed {
    int y, x0, x1; // x1 inclusive
};

// A first-in, first-out queue that compacts what it has read and never holds more than limit points.
class SeedQueue {
public:
    explicit SeedQueue(size_t limit) : limit_(limit) {}
    bool Push(Seed s) {
        if (items_.size() - head_ >= limit_) return false;
        if (head_ > 4096 && head_ * 2 > items_.size()) {
            items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        try {
            items_.push_back(s);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    bool Empty() const { return head_ == items_.size(); }
    Seed Pop() { return items_[head_++]; }

private:
    std::vector<Seed> items_;
    size_t head_ = 0;
    size_t limit_;
};

// Rows are addressed from the top: row y of the picture is memory row height - 1 - y.
struct Rows {
    const PixelView& v;
    const uint32_t* Row(int y) const { return v.px + PixelIndex(v, 0, y); }
};

// The scans of a row for the region, in plain code. RunEnd: the first column from c to right that is seen or not
// similar, right + 1 if none. NextStart: the first column from c to right that is unseen and similar, right + 1
// if none. RunStartBack: the leftmost column of the unseen similar pixels that end just left of c.
struct ScalarRuns {
    static int RunEnd(const uint32_t* row, const uint8_t* seen, int c, int right, uint32_t seed, int tolerance) {
        while (c <= right && !seen[c] && SimilarColor(row[c], seed, tolerance))
            ++c;
        return c;
    }
    static int NextStart(const uint32_t* row, const uint8_t* seen, int c, int right, uint32_t seed, int tolerance) {
        while (c <= right && (seen[c] || !SimilarColor(row[c], seed, tolerance)))
            ++c;
        return c;
    }
    static int RunStartBack(const uint32_t* row, const uint8_t* seen, int c, uint32_t seed, int tolerance) {
        while (c > 0 && !seen[c - 1] && SimilarColor(row[c - 1], seed, tolerance))
            --c;
        return c;
    }
};

#ifdef KOLVEX_X86
// The same scans four pixels a round: bit i of a round is set when pixel i is unseen and similar.
struct Sse2Runs {
    struct Compare {
        __m128i seed, tolerance, rgb;
    };
    KOLVEX_SSE2 static Compare Prepare(uint32_t seed, int tolerance) {
        const int t = std::clamp(tolerance, 0, 255);
        return {_mm_set1_epi32(static_cast<int>(seed)), _mm_set1_epi8(static_cast<char>(t)),
                _mm_set1_epi32(0x00FFFFFF)};
    }
    KOLVEX_SSE2 static unsigned Open4(const uint32_t* px, const uint8_t* seen, const Compare& k) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px));
        // The largest channel difference is at most the tolerance when no byte of |p - seed| exceeds it.
        const __m128i diff = _mm_or_si128(_mm_subs_epu8(p, k.seed), _mm_subs_epu8(k.seed, p));
        const __m128i over = _mm_and_si128(_mm_subs_epu8(diff, k.tolerance), k.rgb);
        const __m128i similar = _mm_cmpeq_epi32(over, _mm_setzero_si128());
        uint32_t marks;
        std::memcpy(&marks, seen, 4);
        const __m128i bytes = _mm_cmpeq_epi8(_mm_cvtsi32_si128(static_cast<int>(marks)), _mm_setzero_si128());
        const __m128i unseen = _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, bytes), _mm_unpacklo_epi8(bytes, bytes));
        return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(similar, unseen))));
    }
    KOLVEX_SSE2 static int RunEnd(const uint32_t* row, const uint8_t* seen, int c, int right, uint32_t seed,
                                  int tolerance) {
        const Compare k = Prepare(seed, tolerance);
        for (; c + 3 <= right && Open4(row + c, seen + c, k) == 0xF; c += 4) {
        }
        return ScalarRuns::RunEnd(row, seen, c, right, seed, tolerance);
    }
    KOLVEX_SSE2 static int NextStart(const uint32_t* row, const uint8_t* seen, int c, int right, uint32_t seed,
                                     int tolerance) {
        const Compare k = Prepare(seed, tolerance);
        for (; c + 3 <= right && Open4(row + c, seen + c, k) == 0; c += 4) {
        }
        return ScalarRuns::NextStart(row, seen, c, right, seed, tolerance);
    }
    KOLVEX_SSE2 static int RunStartBack(const uint32_t* row, const uint8_t* seen, int c, uint32_t seed, int tolerance) {
        const Compare k = Prepare(seed, tolerance);
        for (; c >= 4 && Open4(row + c - 4, seen + c - 4, k) == 0xF; c -= 4) {
        }
        return ScalarRuns::RunStartBack(row, seen, c, seed, tolerance);
    }
};
#else
using Sse2Runs = ScalarRuns;
#endif

template <class Runs>
RegionResult FindRegion(const PixelView& picture, int x, int y, int tolerance, SimilarRegion* out, size_t queueLimit) {
    const int w = picture.width, h = picture.height;
    std::vector<uint8_t> visited;
    try {
        visited.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    } catch (const std::bad_alloc&) {
        return RegionResult::NoMemory;
    }
    const Rows rows{picture};
    const uint32_t seed = rows.Row(y)[x];
    auto mark = [&](int cy) { return visited.data() + static_cast<size_t>(cy) * w; };
    SeedQueue queue(queueLimit);
    mark(y)[x] = 1;
    if (!queue.Push({y, x, x})) return RegionResult::NoMemory;
    int minX = x, maxX = x, minY = y, maxY = y;
    while (!queue.Empty()) {
        const Seed s = queue.Pop();
        const uint32_t* row = rows.Row(s.y);
        uint8_t* seen = mark(s.y);
        const int left = Runs::RunStartBack(row, seen, s.x0, seed, tolerance);
        const int right = Runs::RunEnd(row, seen, s.x1 + 1, w - 1, seed, tolerance) - 1;
        std::fill(seen + left, seen + s.x0, uint8_t{1});
        std::fill(seen + s.x1 + 1, seen + right + 1, uint8_t{1});
        minX = std::min(minX, left);
        maxX = std::max(maxX, right);
        minY = std::min(minY, s.y);
        maxY = std::max(maxY, s.y);
        // The side neighbours on the rows above and below: each run of them that matches is marked at once and
        // looked at as one.
        for (int ny : {s.y - 1, s.y + 1}) {
            if (ny < 0 || ny >= h) continue;
            const uint32_t* next = rows.Row(ny);
            uint8_t* nextSeen = mark(ny);
            for (int c = Runs::NextStart(next, nextSeen, left, right, seed, tolerance); c <= right;
                 c = Runs::NextStart(next, nextSeen, c, right, seed, tolerance)) {
                const int end = Runs::RunEnd(next, nextSeen, c, right, seed, tolerance);
                std::fill(nextSeen + c, nextSeen + end, uint8_t{1});
                if (!queue.Push({ny, c, end - 1})) return RegionResult::NoMemory;
                c = end;
            }
        }
    }
    SimilarRegion r;
    r.box = {minX, minY, maxX + 1, maxY + 1};
    const int bw = maxX - minX + 1, bh = maxY - minY + 1;
    try {
        r.mask.resize(static_cast<size_t>(bw) * static_cast<size_t>(bh));
    } catch (const std::bad_alloc&) {
        return RegionResult::NoMemory;
    }
    for (int i = 0; i < bh; ++i)
        std::copy_n(mark(minY + i) + minX, bw, r.mask.data() + static_cast<size_t>(i) * bw);
    *out = std::move(r);
    return RegionResult::Found;
}

} // namespace

RegionResult FindSimilarRegion(const PixelView& picture, int x, int y, int tolerance, SimilarRegion* out,
                               size_t queueLimit, PixelPath path) {
    if (!picture.px || x < 0 || y < 0 || x >= picture.width || y >= picture.height) return RegionResult::Outside;
    return path == PixelPath::Sse2 ? FindRegion<Sse2Runs>(picture, x, y, tolerance, out, queueLimit)
                                   : FindRegion<ScalarRuns>(picture, x, y, tolerance, out, queueLimit);
}
