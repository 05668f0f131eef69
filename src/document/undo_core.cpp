#include "document/undo_core.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <numeric>
#include <stdexcept>

uint64_t PictureBytes(int width, int height) {
    if (width < 1 || height < 1) return 0;
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
}

static uint64_t LevelPixels(const LevelContent& level) {
    return level.whole ? PictureBytes(level.width, level.height) / 4
                       : TilePixelCount(TileGridOf(level.width, level.height), level.tiles);
}

uint64_t SpoolFileBytes(const LevelContent& level) {
    return kSpoolHeaderBytes + (level.whole ? 0 : uint64_t{level.tiles.size()} * 4) + LevelPixels(level) * 4;
}

bool TryAllocatePixels(uint64_t count, std::vector<uint32_t>* out) {
    // A count the address space cannot hold would wrap in size_t on a 32-bit build.
    if (count > SIZE_MAX / sizeof(uint32_t)) return false;
    try {
        std::vector<uint32_t> fresh(static_cast<size_t>(count));
        out->swap(fresh);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

size_t LevelsToTrim(size_t depth) { return depth >= kMaxUndoLevels ? depth - (kMaxUndoLevels - 1) : 0; }

uint64_t SpoolDiskBudget(uint64_t freeBytes) { return std::min(kSpoolDiskCap, freeBytes / 2); }

static uint64_t MemoryFrom(const std::vector<LevelCost>& levels, size_t first) {
    return std::accumulate(levels.begin() + static_cast<std::ptrdiff_t>(first), levels.end(), uint64_t{0},
                           [](uint64_t sum, const LevelCost& c) { return sum + c.memoryBytes; });
}

static uint64_t DiskFrom(const std::vector<LevelCost>& levels, size_t first) {
    return std::accumulate(levels.begin() + static_cast<std::ptrdiff_t>(first), levels.end(), uint64_t{0},
                           [](uint64_t sum, const LevelCost& c) { return sum + c.diskBytes; });
}

size_t KeepWithinBudget(std::vector<LevelCost>& levels, uint64_t incoming, const BudgetLimits& limits,
                        const std::function<bool(size_t index)>& spool) {
    size_t drop = 0;
    for (size_t f = 0; f < levels.size(); ++f) {
        if (MemoryFrom(levels, drop) + incoming <= limits.memory) break;
        LevelCost& level = levels[f];
        if (level.memoryBytes == 0) continue;
        const uint64_t need = level.spoolBytes;
        // Levels below f hold nothing in memory any more, so giving them up only frees disk.
        uint64_t disk = DiskFrom(levels, drop);
        while (disk + need > limits.disk && drop < f)
            disk -= levels[drop++].diskBytes;
        if (disk + need > limits.disk || !spool(f)) {
            drop = f + 1;
            continue;
        }
        level.memoryBytes = 0;
        level.diskBytes = need;
    }
    return drop;
}

static void PutLe32(uint8_t* p, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<uint8_t>(v >> (8 * k));
}

static uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

std::array<uint8_t, kSpoolHeaderBytes> EncodeSpoolHeader(int width, int height, uint32_t tileCount) {
    std::array<uint8_t, kSpoolHeaderBytes> h{};
    PutLe32(h.data(), static_cast<uint32_t>(width));
    PutLe32(h.data() + 4, static_cast<uint32_t>(height));
    PutLe32(h.data() + 8, tileCount);
    return h;
}

bool ParseSpoolHeader(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height, uint32_t* tileCount) {
    if (!bytes || size < kSpoolHeaderBytes) return false;
    *width = static_cast<int32_t>(ReadLe32(bytes));
    *height = static_cast<int32_t>(ReadLe32(bytes + 4));
    *tileCount = ReadLe32(bytes + 8);
    return true;
}

bool WriteSpoolStream(std::FILE* file, const LevelContent& level) {
    if (!file || level.width < 1 || level.height < 1 || level.pixels.size() != LevelPixels(level)) return false;
    const uint32_t count = level.whole ? kWholeLevelTiles : static_cast<uint32_t>(level.tiles.size());
    const auto header = EncodeSpoolHeader(level.width, level.height, count);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;
    if (!level.whole && !level.tiles.empty() &&
        std::fwrite(level.tiles.data(), 4, level.tiles.size(), file) != level.tiles.size())
        return false;
    if (!level.pixels.empty() &&
        std::fwrite(level.pixels.data(), sizeof(uint32_t), level.pixels.size(), file) != level.pixels.size())
        return false;
    return std::fflush(file) == 0;
}

uint64_t TileListHash(const std::vector<uint32_t>& tiles) {
    uint64_t h = 14695981039346656037ull; // 64-bit FNV-1a over the indices' bytes
    for (uint32_t t : tiles)
        for (int k = 0; k < 4; ++k) {
            h ^= (t >> (8 * k)) & 0xFFu;
            h *= 1099511628211ull;
        }
    return h;
}

SpoolShape ShapeOf(const LevelContent& level) {
    return {level.width, level.height, level.whole, static_cast<uint32_t>(level.tiles.size()),
            TileListHash(level.tiles)};
}

SpoolCheck ReadSpoolStream(std::FILE* file, uint64_t fileSize, const SpoolShape& shape, LevelContent* out) {
    if (!file || !out) return SpoolCheck::ReadFailed;
    uint8_t header[kSpoolHeaderBytes];
    int32_t w = 0, h = 0;
    uint32_t count = 0;
    if (!ParseSpoolHeader(header, std::fread(header, 1, sizeof header, file), &w, &h, &count))
        return SpoolCheck::ShortHeader;
    // The level's own description is known; the file only has to agree with it.
    if (w != shape.width || h != shape.height || w < 1 || h < 1) return SpoolCheck::OtherSize;
    if (count != (shape.whole ? kWholeLevelTiles : shape.tileCount)) return SpoolCheck::OtherTiles;
    LevelContent level;
    level.width = w, level.height = h, level.whole = shape.whole;
    if (!shape.whole) {
        if (fileSize < kSpoolHeaderBytes + uint64_t{count} * 4) return SpoolCheck::WrongLength;
        try {
            level.tiles.resize(count);
        } catch (const std::bad_alloc&) {
            return SpoolCheck::ReadFailed;
        }
        if (count && std::fread(level.tiles.data(), 4, count, file) != count) return SpoolCheck::ReadFailed;
        const uint32_t grid = TileGridOf(w, h).Count();
        for (size_t k = 0; k < level.tiles.size(); ++k)
            if (level.tiles[k] >= grid || (k > 0 && level.tiles[k] <= level.tiles[k - 1]))
                return SpoolCheck::OtherTiles;
        if (TileListHash(level.tiles) != shape.tileHash) return SpoolCheck::OtherTiles;
    }
    if (fileSize != SpoolFileBytes(level)) return SpoolCheck::WrongLength;
    if (!TryAllocatePixels(LevelPixels(level), &level.pixels)) return SpoolCheck::ReadFailed;
    if (!level.pixels.empty() &&
        std::fread(level.pixels.data(), sizeof(uint32_t), level.pixels.size(), file) != level.pixels.size())
        return SpoolCheck::ReadFailed;
    *out = std::move(level);
    return SpoolCheck::Ok;
}

bool ParseSpoolDirectoryName(const wchar_t* name, uint32_t* pid) {
    static constexpr wchar_t kPrefix[] = L"kolvex_undo_";
    if (!name) return false;
    size_t i = 0;
    for (; kPrefix[i]; ++i) {
        wchar_t c = name[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kPrefix[i]) return false;
    }
    uint64_t value = 0;
    size_t digits = 0;
    for (; name[i]; ++i, ++digits) {
        if (name[i] < L'0' || name[i] > L'9' || digits >= 10) return false;
        value = value * 10 + static_cast<uint64_t>(name[i] - L'0');
    }
    if (digits == 0 || value > UINT32_MAX) return false;
    *pid = static_cast<uint32_t>(value);
    return true;
}
