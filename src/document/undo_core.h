// The undo history's bookkeeping without the system: level limits, the memory and disk budgets, and the
// spool file format (a 12-byte header of width, height and tile count, little-endian 32-bit, the tile indices,
// then the pixels as in memory).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "document/tile_core.h"

constexpr size_t kMaxUndoLevels = 1000;
constexpr uint64_t kUndoMemoryBudget = 33554432; // in-memory pixel bytes of the undo stack, incoming level included
constexpr uint64_t kRedoMemoryBudget = 16777216;
constexpr uint64_t kSpoolDiskCap = uint64_t{2} << 30; // all spool files together, at most
constexpr size_t kSpoolHeaderBytes = 12;
constexpr uint32_t kWholeLevelTiles = 0xFFFFFFFFu; // the tile count of a level that holds the whole picture

// 64-bit: width x height x 4. Sizes below 1 give 0.
uint64_t PictureBytes(int width, int height);
// The size of the spool file of a level: header, tile indices, pixels.
uint64_t SpoolFileBytes(const LevelContent& level);

// The one way to get a large pixel buffer: count words, or false (and out untouched) when memory runs out.
[[nodiscard]] bool TryAllocatePixels(uint64_t count, std::vector<uint32_t>* out);

// Levels the 1,000-level trim removes from the bottom before a new snapshot is added to a stack of depth.
size_t LevelsToTrim(size_t depth);

// The disk may hold 2 GiB of spool files, or half the free space of the temporary volume when that is less.
uint64_t SpoolDiskBudget(uint64_t freeBytes);

// What the budget loop sees of one level, oldest first.
struct LevelCost {
    uint64_t memoryBytes = 0; // bytes held in memory
    uint64_t diskBytes = 0;   // size of its spool file; 0 when it has none
    uint64_t spoolBytes = 0;  // the size its spool file would have
};

struct BudgetLimits {
    uint64_t memory = 0; // for this stack's levels plus the incoming one
    uint64_t disk = 0;   // for this stack's spool files
};

// Spools the oldest in-memory levels until the stack's memory plus incoming fits limits.memory. A level
// that cannot be spooled (spool(i) false, or its file cannot fit on the disk even after the older spooled
// levels were given up) is dropped together with every level older than it, so that the history stays a
// run of consecutive states and memory never exceeds the budget because of the disk. levels is updated to
// what was spooled; the result is how many levels at the bottom the caller must now remove.
size_t KeepWithinBudget(std::vector<LevelCost>& levels, uint64_t incoming, const BudgetLimits& limits,
                        const std::function<bool(size_t index)>& spool);

std::array<uint8_t, kSpoolHeaderBytes> EncodeSpoolHeader(int width, int height, uint32_t tileCount);
// False when fewer than kSpoolHeaderBytes bytes are given.
[[nodiscard]] bool ParseSpoolHeader(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height,
                                    uint32_t* tileCount);

enum class SpoolCheck { Ok, ShortHeader, OtherSize, OtherTiles, WrongLength, ReadFailed };

// Writes one level as a spool file; false on any short write.
[[nodiscard]] bool WriteSpoolStream(std::FILE* file, const LevelContent& level);
// What memory keeps of a spooled level to know its file again: its size and its tile list's count and hash.
struct SpoolShape {
    int width = 0, height = 0;
    bool whole = true;
    uint32_t tileCount = 0;
    uint64_t tileHash = 0;
};
uint64_t TileListHash(const std::vector<uint32_t>& tiles);
SpoolShape ShapeOf(const LevelContent& level);
// Reads a level's spool file, fileSize bytes long, into out (its tiles and pixels). A header, tile list or length
// that does not agree with shape, or tiles out of order or past the picture, is refused before any pixel is read.
SpoolCheck ReadSpoolStream(std::FILE* file, uint64_t fileSize, const SpoolShape& shape, LevelContent* out);

// The process id in a spool directory's name "kolvex_undo_<pid>"; false for any other name.
[[nodiscard]] bool ParseSpoolDirectoryName(const wchar_t* name, uint32_t* pid);
