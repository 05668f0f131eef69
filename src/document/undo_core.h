// The undo history's bookkeeping without the system: level limits, the memory and disk budgets, and the
// spool file format (8-byte header of width and height, little-endian int32, then the pixels as in memory).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

constexpr size_t kMaxUndoLevels = 1000;
constexpr uint64_t kUndoMemoryBudget = 33554432; // in-memory pixel bytes of the undo stack, incoming level included
constexpr uint64_t kRedoMemoryBudget = 16777216;
constexpr uint64_t kSpoolDiskCap = uint64_t{2} << 30; // all spool files together, at most
constexpr size_t kSpoolHeaderBytes = 8;

// 64-bit: width x height x 4, and the same plus the header for a spool file. Sizes below 1 give 0.
uint64_t PictureBytes(int width, int height);
uint64_t SpoolFileBytes(int width, int height);

// The one way to get a large pixel buffer: count words, or false (and out untouched) when memory runs out.
[[nodiscard]] bool TryAllocatePixels(uint64_t count, std::vector<uint32_t>* out);

// Levels the 1,000-level trim removes from the bottom before a new snapshot is added to a stack of depth.
size_t LevelsToTrim(size_t depth);

// The disk may hold 2 GiB of spool files, or half the free space of the temporary volume when that is less.
uint64_t SpoolDiskBudget(uint64_t freeBytes);

// What the budget loop sees of one level, oldest first.
struct LevelCost {
    uint64_t memoryBytes = 0; // pixel bytes held in memory
    uint64_t diskBytes = 0;   // size of its spool file; 0 when it has none
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

std::array<uint8_t, kSpoolHeaderBytes> EncodeSpoolHeader(int width, int height);
// False when fewer than kSpoolHeaderBytes bytes are given.
[[nodiscard]] bool ParseSpoolHeader(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height);

enum class SpoolCheck { Ok, ShortHeader, OtherSize, WrongLength, ReadFailed };
// Whether a spool file of fileSize bytes starting with header belongs to a width x height level.
SpoolCheck CheckSpoolFile(const uint8_t* header, size_t headerSize, uint64_t fileSize, int width, int height);

// Writes one level as a spool file; false on any short write.
[[nodiscard]] bool WriteSpoolStream(std::FILE* file, const uint32_t* pixels, int width, int height);
// Reads the spool file of a width x height level, fileSize bytes long, into pixels (width x height words).
// Refuses a header or length that does not match before reading any pixels.
SpoolCheck ReadSpoolStream(std::FILE* file, uint64_t fileSize, int width, int height, uint32_t* pixels);

// The process id in a spool directory's name "kolvex_undo_<pid>"; false for any other name.
[[nodiscard]] bool ParseSpoolDirectoryName(const wchar_t* name, uint32_t* pid);
