#include "tools/fill_core.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "base/cpu_core.h"

#ifdef KOLVEX_X86
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;
// Spans up to this width scan their neighbour rows without branches; wider ones skip whole runs at a time.
constexpr int kShortSpan = 16;

struct Point {
    int32_t x, y;
};

// First-in, first-out queue of span seeds; the live points are slots head..tail-1. Consumed slots are reclaimed by
// sliding the live points to the front, so a long fill costs memory for its widest frontier, not its history.
// Points are read by value, and the short scan takes its pointer into the buffer only after reserving its room, so
// nothing refers into the buffer across a move.
struct PointQueue {
    std::vector<Point> buf;
    size_t head = 0, tail = 0;
    size_t limit = SIZE_MAX;

    size_t Size() const { return tail - head; }
    Point Pop() { return buf[head++]; }
    // Makes room for n more slots after tail. Throws std::bad_alloc when it cannot.
    void Reserve(size_t n) {
        if (buf.size() - tail < n) MakeRoom(n);
    }
    void MakeRoom(size_t n) {
        const size_t live = Size();
        const auto first = buf.begin() + static_cast<std::ptrdiff_t>(head);
        const auto last = buf.begin() + static_cast<std::ptrdiff_t>(tail);
        if (live + n <= buf.size() / 2) {
            std::copy(first, last, buf.begin());
        } else {
            std::vector<Point> bigger(std::max({buf.size() * 2, live + n, size_t{256}}));
            std::copy(first, last, bigger.begin());
            buf.swap(bigger);
        }
        head = 0;
        tail = live;
    }
    // False when the queue already holds limit points.
    bool Push(Point p) {
        if (Size() >= limit) return false;
        Reserve(1);
        buf[tail++] = p;
        return true;
    }
};

// seed carries no alpha bits.
inline bool Matches(uint32_t px, uint32_t seed) { return ((px ^ seed) & kRgbMask) == 0; }

// The scans of a row, in plain code. FindFrom: the first column from m to right whose pixel matches seed (want) or
// does not (!want); right + 1 if none. Eight pixels a round while none of them stops the search, as long uniform
// runs are the common case; a round of fixed size is what compilers turn into vector compares where they may.
struct ScalarScans {
    template <bool want> static int FindFrom(const uint32_t* row, int m, int right, uint32_t seed) {
        for (; m + 7 <= right; m += 8) {
            uint32_t stop = 0;
            for (int k = 0; k < 8; ++k) {
                const uint32_t diff = (row[m + k] ^ seed) & kRgbMask;
                stop |= want ? static_cast<uint32_t>(diff == 0) : diff;
            }
            if (stop) break;
        }
        for (; m <= right; ++m)
            if (Matches(row[m], seed) == want) return m;
        return m;
    }

    static void FillRun(uint32_t* row, int left, int right, uint32_t fill) {
        int m = left;
        for (; m + 7 <= right; m += 8)
            for (int k = 0; k < 8; ++k)
                row[m + k] = fill;
        for (; m <= right; ++m)
            row[m] = fill;
    }

    // The leftmost column of the run of seed-coloured pixels that ends at m.
    static int RunStart(const uint32_t* row, int m, uint32_t seed) {
        for (; m >= 8; m -= 8) {
            uint32_t stop = 0;
            for (int k = 1; k <= 8; ++k)
                stop |= (row[m - k] ^ seed) & kRgbMask;
            if (stop) break;
        }
        for (; m > 0; --m)
            if (!Matches(row[m - 1], seed)) return m;
        return m;
    }
};

#ifdef KOLVEX_X86
// The same scans, eight pixels a round in two SSE2 compares; the last few pixels go the plain way.
struct Sse2Scans {
    template <bool want> KOLVEX_SSE2 static int FindFrom(const uint32_t* row, int m, int right, uint32_t seed) {
        const __m128i mask = _mm_set1_epi32(static_cast<int>(kRgbMask)), s = _mm_set1_epi32(static_cast<int>(seed));
        for (; m + 7 <= right; m += 8) {
            const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + m)), mask);
            const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + m + 4)), mask);
            const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi32(a, s))) |
                                  (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi32(b, s))) << 16);
            if (want ? same != 0 : same != 0xFFFFFFFFu) break;
        }
        for (; m <= right; ++m)
            if (Matches(row[m], seed) == want) return m;
        return m;
    }

    KOLVEX_SSE2 static void FillRun(uint32_t* row, int left, int right, uint32_t fill) {
        const __m128i f = _mm_set1_epi32(static_cast<int>(fill));
        int m = left;
        for (; m + 7 <= right; m += 8) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + m), f);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + m + 4), f);
        }
        for (; m <= right; ++m)
            row[m] = fill;
    }

    KOLVEX_SSE2 static int RunStart(const uint32_t* row, int m, uint32_t seed) {
        const __m128i mask = _mm_set1_epi32(static_cast<int>(kRgbMask)), s = _mm_set1_epi32(static_cast<int>(seed));
        for (; m >= 8; m -= 8) {
            const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + m - 8)), mask);
            const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + m - 4)), mask);
            const int same = _mm_movemask_epi8(_mm_cmpeq_epi32(a, s)) & _mm_movemask_epi8(_mm_cmpeq_epi32(b, s));
            if (same != 0xFFFF) break;
        }
        for (; m > 0; --m)
            if (!Matches(row[m - 1], seed)) return m;
        return m;
    }
};
#else
using Sse2Scans = ScalarScans;
#endif

// Queues every pixel within left..right of the rows above and below that matches seed and starts its run there,
// in column order and at one column the row above first. False when the queue refuses a point.
template <class Scans>
bool QueueRunStarts(PointQueue& queue, const uint32_t* above, const uint32_t* below, int left, int right, int y,
                    uint32_t seed) {
    int a = Scans::template FindFrom<true>(above, left, right, seed);
    int b = Scans::template FindFrom<true>(below, left, right, seed);
    while (a <= right || b <= right) { // each round moves a or b past at least one column
        if (a <= b) {
            if (!queue.Push({a, y - 1})) return false;
            a = Scans::template FindFrom<true>(above, Scans::template FindFrom<false>(above, a + 1, right, seed), right,
                                               seed);
        } else {
            if (!queue.Push({b, y + 1})) return false;
            b = Scans::template FindFrom<true>(below, Scans::template FindFrom<false>(below, b + 1, right, seed), right,
                                               seed);
        }
    }
    return true;
}

// For a short span, when the queue is far from its limit: fills left..right of row r and queues the same points in
// the same order as QueueRunStarts. Each column writes a slot and only advances the tail when a run starts there,
// which spares the unpredictable branches of maze-like pictures.
void FillShortSpan(PointQueue& queue, uint32_t* r, const uint32_t* above, const uint32_t* below, int left, int right,
                   int y, uint32_t seed, uint32_t fill) {
    Point* out = queue.buf.data();
    size_t t = queue.tail;
    bool inAbove = false, inBelow = false;
    for (int m = left; m <= right; ++m) {
        r[m] = fill;
        const bool a = Matches(above[m], seed), b = Matches(below[m], seed);
        out[t] = {m, y - 1};
        t += a & !inAbove;
        out[t] = {m, y + 1};
        t += b & !inBelow;
        inAbove = a;
        inBelow = b;
    }
    queue.tail = t;
}

template <class Scans>
FillResult FillFromSeed(const PixelView& v, int x, int y, uint32_t seed, uint32_t fill, PointQueue& queue) {
    const int w = v.width, h = v.height;
    if (!queue.Push({x, y})) return FillResult::OutOfMemory;
    // Ends: every queued point was a seed-coloured pixel, every span turns seed-coloured pixels into fill, which
    // never matches again, and a span queues at most one point per column of its neighbour rows.
    while (queue.Size() > 0) {
        const Point p = queue.Pop();
        if (p.x < 0 || p.y < 0 || p.x >= w || p.y >= h) continue;
        uint32_t* r = v.px + PixelIndex(v, 0, p.y);
        if (!Matches(r[p.x], seed)) continue;
        const int left = Scans::RunStart(r, p.x, seed);
        const int right = Scans::template FindFrom<false>(r, p.x + 1, w - 1, seed) - 1;
        // Past the picture's edge the span's own row stands in: once filled it never matches. Rows are bottom-up.
        const uint32_t* above = p.y > 0 ? r + w : r;
        const uint32_t* below = p.y < h - 1 ? r - w : r;
        // At most one run start per two columns in each row, plus the slot the short scan writes last.
        const size_t most = static_cast<size_t>(right - left) + 3;
        if (right - left < kShortSpan && queue.Size() + most <= queue.limit) {
            queue.Reserve(most);
            FillShortSpan(queue, r, above, below, left, right, p.y, seed, fill);
            continue;
        }
        Scans::FillRun(r, left, right, fill);
        if (!QueueRunStarts<Scans>(queue, above, below, left, right, p.y, seed)) return FillResult::OutOfMemory;
    }
    return FillResult::Filled;
}

} // namespace

FillResult FloodFill(const PixelView& v, int x, int y, uint32_t fill, size_t maxQueuedPoints, PixelPath path) {
    if (!InPicture(v, x, y)) return FillResult::Unchanged;
    const uint32_t seed = ReadPixel(v, x, y) & kRgbMask;
    if (Matches(fill, seed)) return FillResult::Unchanged;
    PointQueue queue;
    queue.limit = maxQueuedPoints;
    try {
        return path == PixelPath::Sse2 ? FillFromSeed<Sse2Scans>(v, x, y, seed, fill, queue)
                                       : FillFromSeed<ScalarScans>(v, x, y, seed, fill, queue);
    } catch (const std::bad_alloc&) {
        return FillResult::OutOfMemory;
    } catch (const std::length_error&) {
        // A vector longer than the address space allows: the same failure for the caller.
        return FillResult::OutOfMemory;
    }
}
