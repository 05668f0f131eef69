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

uint64_t SpoolFileBytes(int width, int height) { return kSpoolHeaderBytes + PictureBytes(width, height); }

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
        const uint64_t need = level.memoryBytes + kSpoolHeaderBytes;
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

std::array<uint8_t, kSpoolHeaderBytes> EncodeSpoolHeader(int width, int height) {
    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    return {static_cast<uint8_t>(w),       static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w >> 16),
            static_cast<uint8_t>(w >> 24), static_cast<uint8_t>(h),      static_cast<uint8_t>(h >> 8),
            static_cast<uint8_t>(h >> 16), static_cast<uint8_t>(h >> 24)};
}

static int32_t ReadInt32(const uint8_t* p) {
    const uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    return static_cast<int32_t>(v);
}

bool ParseSpoolHeader(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height) {
    if (!bytes || size < kSpoolHeaderBytes) return false;
    *width = ReadInt32(bytes);
    *height = ReadInt32(bytes + 4);
    return true;
}

SpoolCheck CheckSpoolFile(const uint8_t* header, size_t headerSize, uint64_t fileSize, int width, int height) {
    int32_t w = 0, h = 0;
    if (!ParseSpoolHeader(header, headerSize, &w, &h)) return SpoolCheck::ShortHeader;
    // The level's own size is known; the file only has to agree with it.
    if (w != width || h != height || width < 1 || height < 1) return SpoolCheck::OtherSize;
    if (fileSize != SpoolFileBytes(width, height)) return SpoolCheck::WrongLength;
    return SpoolCheck::Ok;
}

bool WriteSpoolStream(std::FILE* file, const uint32_t* pixels, int width, int height) {
    const uint64_t bytes = PictureBytes(width, height);
    if (!file || !pixels || bytes == 0) return false;
    const auto header = EncodeSpoolHeader(width, height);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;
    const size_t words = static_cast<size_t>(bytes / 4);
    return std::fwrite(pixels, sizeof(uint32_t), words, file) == words && std::fflush(file) == 0;
}

SpoolCheck ReadSpoolStream(std::FILE* file, uint64_t fileSize, int width, int height, uint32_t* pixels) {
    if (!file || !pixels) return SpoolCheck::ReadFailed;
    uint8_t header[kSpoolHeaderBytes];
    const size_t got = std::fread(header, 1, sizeof header, file);
    const SpoolCheck check = CheckSpoolFile(header, got, fileSize, width, height);
    if (check != SpoolCheck::Ok) return check;
    const size_t words = static_cast<size_t>(PictureBytes(width, height) / 4);
    if (std::fread(pixels, sizeof(uint32_t), words, file) != words) return SpoolCheck::ReadFailed;
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
