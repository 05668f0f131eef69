#include "tools/fuzzy_core.h"

#include <algorithm>
#include <cstdlib>
#include <new>

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

} // namespace

RegionResult FindSimilarRegion(const PixelView& picture, int x, int y, int tolerance, SimilarRegion* out,
                               size_t queueLimit) {
    if (!picture.px || x < 0 || y < 0 || x >= picture.width || y >= picture.height) return RegionResult::Outside;
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
        int left = s.x0, right = s.x1;
        while (left - 1 >= 0 && !seen[left - 1] && SimilarColor(row[left - 1], seed, tolerance))
            seen[--left] = 1;
        while (right + 1 < w && !seen[right + 1] && SimilarColor(row[right + 1], seed, tolerance))
            seen[++right] = 1;
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
            for (int c = left; c <= right; ++c) {
                if (nextSeen[c] || !SimilarColor(next[c], seed, tolerance)) continue;
                const int start = c;
                while (c <= right && !nextSeen[c] && SimilarColor(next[c], seed, tolerance))
                    nextSeen[c++] = 1;
                if (!queue.Push({ny, start, c - 1})) return RegionResult::NoMemory;
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
