// Exact palettes for pictures of few colours, median cut over a 5-5-5 histogram for the rest.
#include "files/quantize_core.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;
constexpr size_t kMaxColors = 256;
constexpr size_t kCells = 1 << 15;

// Open addressing with at most 256 keys in 1,024 slots keeps probe chains short.
constexpr size_t kExactSlots = 1024;
constexpr uint32_t kEmptySlot = 0xFFFFFFFFu; // never a masked colour

size_t HashColor(uint32_t c) { return static_cast<size_t>((c * 2654435761u) >> 22) & (kExactSlots - 1); }

// Fills palette and indices when the picture has at most 256 colours; false at the 257th.
bool TryExact(const uint32_t* px, size_t n, IndexedPicture* out) {
    uint32_t keys[kExactSlots];
    uint8_t slotIndex[kExactSlots];
    std::fill_n(keys, kExactSlots, kEmptySlot);
    uint8_t* indices = out->indices.data();
    uint32_t last = kEmptySlot;
    uint8_t lastIndex = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = px[i] & kRgbMask;
        if (c != last) {
            size_t s = HashColor(c);
            while (keys[s] != c && keys[s] != kEmptySlot)
                s = (s + 1) & (kExactSlots - 1);
            if (keys[s] == kEmptySlot) {
                if (out->palette.size() == kMaxColors) return false;
                keys[s] = c;
                slotIndex[s] = static_cast<uint8_t>(out->palette.size());
                out->palette.push_back(c);
            }
            last = c;
            lastIndex = slotIndex[s];
        }
        indices[i] = lastIndex;
    }
    return true;
}

uint32_t CellOf(uint32_t c) { return (c >> 9 & 0x7C00) | (c >> 6 & 0x03E0) | (c >> 3 & 0x001F); }

// One non-empty histogram cell: its pixel count, the sums of its exact colours and their rounded mean.
struct Cell {
    uint64_t sum[3] = {};
    uint64_t count = 0;
    int mean[3] = {};
    uint16_t id = 0;
};

struct Box {
    size_t begin, end; // range of the cell list
    double error;      // weighted squared distance of the cells' means from the box mean
    int axis;          // channel of largest variance
};

Box MakeBox(const std::vector<Cell>& cells, size_t begin, size_t end) {
    double w = 0, s[3] = {}, s2[3] = {};
    for (size_t i = begin; i < end; ++i) {
        const Cell& c = cells[i];
        w += c.count;
        for (int k = 0; k < 3; ++k) {
            s[k] += static_cast<double>(c.count) * c.mean[k];
            s2[k] += static_cast<double>(c.count) * c.mean[k] * c.mean[k];
        }
    }
    Box box{begin, end, 0, 0};
    double best = -1;
    for (int k = 0; k < 3; ++k) {
        const double v = s2[k] - s[k] * s[k] / w;
        box.error += v;
        if (v > best) {
            best = v;
            box.axis = k;
        }
    }
    return box;
}

// Splits the box at the population median of its axis; both halves keep at least one cell.
void SplitBox(std::vector<Cell>& cells, const Box& box, Box* low, Box* high) {
    const int axis = box.axis;
    std::sort(cells.begin() + static_cast<ptrdiff_t>(box.begin), cells.begin() + static_cast<ptrdiff_t>(box.end),
              [axis](const Cell& a, const Cell& b) {
                  return a.mean[axis] < b.mean[axis] || (a.mean[axis] == b.mean[axis] && a.id < b.id);
              });
    uint64_t total = 0;
    for (size_t i = box.begin; i < box.end; ++i)
        total += cells[i].count;
    uint64_t running = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        running += cells[i].count;
        cut = i + 1;
        if (running * 2 >= total) break;
    }
    *low = MakeBox(cells, box.begin, cut);
    *high = MakeBox(cells, cut, box.end);
}

std::vector<Box> MedianCut(std::vector<Cell>& cells) {
    std::vector<Box> boxes{MakeBox(cells, 0, cells.size())};
    while (boxes.size() < kMaxColors) {
        size_t pick = boxes.size();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin > 1 && (pick == boxes.size() || boxes[i].error > boxes[pick].error))
                pick = i;
        if (pick == boxes.size()) break; // every box is a single cell
        Box low, high;
        SplitBox(cells, boxes[pick], &low, &high);
        boxes[pick] = low;
        boxes.push_back(high);
    }
    return boxes;
}

uint8_t Nearest(const std::vector<uint32_t>& palette, const int c[3]) {
    int best = 0, bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = static_cast<int>(palette[i] >> 16 & 255) - c[0];
        const int dg = static_cast<int>(palette[i] >> 8 & 255) - c[1];
        const int db = static_cast<int>(palette[i] & 255) - c[2];
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

void AddToCell(std::vector<Cell>& histogram, uint32_t c, uint64_t n) {
    Cell& cell = histogram[CellOf(c)];
    cell.sum[0] += uint64_t{c >> 16 & 255} * n;
    cell.sum[1] += uint64_t{c >> 8 & 255} * n;
    cell.sum[2] += uint64_t{c & 255} * n;
    cell.count += n;
}

void QuantizeMany(const uint32_t* px, size_t n, IndexedPicture* out) {
    std::vector<Cell> histogram(kCells);
    // Runs of one colour are counted at once: flat areas then cost a compare per pixel.
    uint32_t run = px[0] & kRgbMask;
    uint64_t runLength = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t c = px[i] & kRgbMask;
        if (c == run) {
            ++runLength;
            continue;
        }
        AddToCell(histogram, run, runLength);
        run = c;
        runLength = 1;
    }
    AddToCell(histogram, run, runLength);
    std::vector<Cell> cells;
    for (size_t id = 0; id < kCells; ++id) {
        Cell& c = histogram[id];
        if (c.count == 0) continue;
        c.id = static_cast<uint16_t>(id);
        for (int k = 0; k < 3; ++k)
            c.mean[k] = static_cast<int>((c.sum[k] + c.count / 2) / c.count);
        cells.push_back(c);
    }

    out->palette.clear();
    for (const Box& box : MedianCut(cells)) {
        uint64_t sum[3] = {}, count = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int k = 0; k < 3; ++k)
                sum[k] += cells[i].sum[k];
            count += cells[i].count;
        }
        uint32_t entry = 0;
        for (int k = 0; k < 3; ++k)
            entry = entry << 8 | static_cast<uint32_t>((sum[k] + count / 2) / count);
        out->palette.push_back(entry);
    }

    std::vector<uint8_t> cellIndex(kCells, 0);
    for (const Cell& c : cells)
        cellIndex[c.id] = Nearest(out->palette, c.mean);
    // Plain pointers: a store through uint8_t* would otherwise make the vectors' data be reloaded per pixel.
    uint8_t* indices = out->indices.data();
    const uint8_t* map = cellIndex.data();
    for (size_t i = 0; i < n; ++i)
        indices[i] = map[CellOf(px[i] & kRgbMask)];
}

} // namespace

bool QuantizeTo256(const uint32_t* px, int width, int height, IndexedPicture* out) {
    out->palette.clear();
    out->indices.clear();
    out->exact = true;
    if (!px || width < 1 || height < 1) {
        out->palette.assign(1, 0);
        return true;
    }
    const uint64_t n = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (n > SIZE_MAX) return false;
    try {
        out->palette.reserve(kMaxColors);
        out->indices.resize(static_cast<size_t>(n));
        if (TryExact(px, static_cast<size_t>(n), out)) return true;
        out->exact = false;
        QuantizeMany(px, static_cast<size_t>(n), out);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
