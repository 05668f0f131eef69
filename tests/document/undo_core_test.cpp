#include "document/undo_core.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

constexpr uint64_t kMB = 1000 * 1000;
constexpr uint64_t kLevel2000 = 16 * kMB; // one 2,000 x 2,000 picture

struct BudgetCase {
    const char* name;
    std::vector<uint64_t> memory; // per level, oldest first; 0 = already spooled
    uint64_t incoming;
    BudgetLimits limits;
    std::vector<size_t> failing; // levels whose spool write fails
    std::vector<size_t> expectSpoolCalls;
    size_t expectDrop;
};

TEST(UndoBudget, SpoolsOldestFirstAndDropsWhatCannotBeSpooled) {
    const uint64_t tb = uint64_t{1} << 40;
    const BudgetCase cases[] = {
        {"within budget", {kLevel2000}, kLevel2000, {kUndoMemoryBudget, tb}, {}, {}, 0},
        {"third 2000x2000 level spools the oldest",
         {kLevel2000, kLevel2000},
         kLevel2000,
         {kUndoMemoryBudget, tb},
         {},
         {0},
         0},
        // 8 x 600 MB wraps to about 505 MB in 32 bits and would look within a 1 GiB budget.
        {"64-bit sums",
         std::vector<uint64_t>(8, 600 * kMB),
         16 * kMB,
         {uint64_t{1} << 30, tb},
         {},
         {0, 1, 2, 3, 4, 5, 6},
         0},
        // Three 600 MB files fill a 2 GiB disk; each further one costs the oldest spooled level.
        {"disk budget gives up the oldest files",
         std::vector<uint64_t>(5, 600 * kMB),
         16 * kMB,
         {kUndoMemoryBudget, kSpoolDiskCap},
         {},
         {0, 1, 2, 3, 4},
         2},
        {"a failed write drops that level and the older ones",
         {kLevel2000, kLevel2000, kLevel2000},
         kLevel2000,
         {kUndoMemoryBudget, tb},
         {0},
         {0, 1},
         1},
        {"every write failing keeps only what fits in memory",
         {kLevel2000, kLevel2000, kLevel2000},
         kLevel2000,
         {kUndoMemoryBudget, tb},
         {0, 1, 2},
         {0, 1},
         2},
        {"a level larger than the disk budget is dropped",
         {0, 600 * kMB, kLevel2000},
         kLevel2000,
         {kUndoMemoryBudget, 100 * kMB},
         {},
         {},
         2},
        {"spooled levels are skipped", {0, 0, kLevel2000, kLevel2000}, kLevel2000, {kUndoMemoryBudget, tb}, {}, {2}, 0},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<LevelCost> levels;
        for (uint64_t m : c.memory)
            levels.push_back({m, m == 0 ? uint64_t{1000} : uint64_t{0}, m + kSpoolHeaderBytes});
        std::vector<size_t> calls;
        const size_t drop = KeepWithinBudget(levels, c.incoming, c.limits, [&](size_t i) {
            calls.push_back(i);
            for (size_t f : c.failing)
                if (f == i) return false;
            return true;
        });
        EXPECT_EQ(calls, c.expectSpoolCalls);
        EXPECT_EQ(drop, c.expectDrop);
        // Whatever is kept fits both budgets.
        uint64_t memory = c.incoming, disk = 0;
        for (size_t i = drop; i < levels.size(); ++i) {
            memory += levels[i].memoryBytes;
            disk += levels[i].diskBytes;
        }
        EXPECT_LE(memory, c.limits.memory);
        EXPECT_LE(disk, c.limits.disk + 2000); // the fake files of "already spooled" levels
        for (size_t i : calls)
            EXPECT_TRUE(i < drop || levels[i].memoryBytes == 0) << "spooled level " << i << " still in memory";
    }
}

TEST(UndoBudget, DiskBudgetIsHalfTheFreeSpaceUpToTwoGiB) {
    EXPECT_EQ(SpoolDiskBudget(100 * 1000 * kMB), kSpoolDiskCap);
    EXPECT_EQ(SpoolDiskBudget(20 * 1024 * 1024), 10u * 1024 * 1024);
    EXPECT_EQ(SpoolDiskBudget(0), 0u);
}

TEST(UndoLevels, TheThousandLevelTrimKeepsRoomForTheNewLevel) {
    const std::pair<size_t, size_t> cases[] = {{0, 0}, {1, 0}, {998, 0}, {999, 0}, {1000, 1}, {1001, 2}, {1500, 501}};
    for (auto [depth, trim] : cases)
        EXPECT_EQ(LevelsToTrim(depth), trim) << "depth " << depth;
}

TEST(UndoLevels, SizesAreSixtyFourBit) {
    EXPECT_EQ(PictureBytes(3, 2), 24u);
    LevelContent whole;
    whole.width = 3, whole.height = 2;
    EXPECT_EQ(SpoolFileBytes(whole), 12u + 24u);
    whole.width = whole.height = 65536;
    EXPECT_EQ(SpoolFileBytes(whole), 12u + (uint64_t{1} << 34));
    LevelContent tiles;
    tiles.width = 100, tiles.height = 70; // tiles 64 x 64, 36 x 64, 64 x 6 and 36 x 6
    tiles.whole = false;
    tiles.tiles = {1, 2};
    EXPECT_EQ(SpoolFileBytes(tiles), 12u + 8u + 4u * (36 * 64 + 64 * 6));
    EXPECT_EQ(PictureBytes(0, 5), 0u);
    EXPECT_EQ(PictureBytes(-4, 5), 0u);
    std::vector<uint32_t> keep(3, 7);
    EXPECT_FALSE(TryAllocatePixels(UINT64_MAX / 2, &keep));
    EXPECT_EQ(keep, std::vector<uint32_t>(3, 7));
    EXPECT_TRUE(TryAllocatePixels(6, &keep));
    EXPECT_EQ(keep.size(), 6u);
}

LevelContent Whole(int w, int h, std::vector<uint32_t> px) {
    LevelContent c;
    c.width = w, c.height = h, c.whole = true, c.pixels = std::move(px);
    return c;
}

// The bytes a level's spool file holds, through a real temporary file.
std::vector<uint8_t> SpoolBytesOf(const LevelContent& level) {
    std::FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    if (!f) return {};
    EXPECT_TRUE(WriteSpoolStream(f, level));
    std::vector<uint8_t> bytes(static_cast<size_t>(std::ftell(f)));
    std::rewind(f);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    return bytes;
}

SpoolCheck ReadBack(const std::vector<uint8_t>& bytes, const LevelContent& shape, std::vector<uint32_t>* px) {
    std::FILE* f = std::tmpfile();
    if (!f) return SpoolCheck::ReadFailed;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    LevelContent out;
    const SpoolCheck r = ReadSpoolStream(f, bytes.size(), ShapeOf(shape), &out);
    std::fclose(f);
    if (r == SpoolCheck::Ok) *px = out.pixels;
    return r;
}

const std::vector<uint32_t> kPicture3x2 = {0x11223344u, 0xFF000001u, 0xFF000002u, 0x80FFFFFFu, 0, 0xDEADBEEFu};

TEST(SpoolFile, HeaderFirstThenThePixelsAsInMemory) {
    const LevelContent level = Whole(3, 2, kPicture3x2);
    const std::vector<uint8_t> bytes = SpoolBytesOf(level);
    ASSERT_EQ(bytes.size(), 12u + 24u);
    const std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 12);
    EXPECT_EQ(header, (std::vector<uint8_t>{3, 0, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF})) << "a whole picture";
    EXPECT_EQ(bytes[12], 0x44); // blue, green, red, alpha of the first stored (bottom) pixel
    EXPECT_EQ(bytes[15], 0x11);
    EXPECT_EQ(bytes[35], 0xDE);
    const auto encoded = EncodeSpoolHeader(0x01020304, 65536, 7);
    int32_t w = 0, h = 0;
    uint32_t n = 0;
    ASSERT_TRUE(ParseSpoolHeader(encoded.data(), encoded.size(), &w, &h, &n));
    EXPECT_EQ(w, 0x01020304);
    EXPECT_EQ(h, 65536);
    EXPECT_EQ(n, 7u);
    EXPECT_FALSE(ParseSpoolHeader(encoded.data(), 11, &w, &h, &n));
    std::vector<uint32_t> back;
    LevelContent shape = level;
    shape.pixels.clear();
    EXPECT_EQ(ReadBack(bytes, shape, &back), SpoolCheck::Ok);
    EXPECT_EQ(back, kPicture3x2);
}

TEST(SpoolFile, ALevelOfTilesKeepsItsListAndItsPixels) {
    LevelContent level;
    level.width = 100, level.height = 70, level.whole = false, level.tiles = {0, 3};
    const uint64_t n = TilePixelCount(TileGridOf(100, 70), level.tiles);
    ASSERT_EQ(n, 64u * 64u + 36u * 6u);
    for (uint64_t i = 0; i < n; ++i)
        level.pixels.push_back(static_cast<uint32_t>(i * 2654435761u));
    const std::vector<uint8_t> bytes = SpoolBytesOf(level);
    ASSERT_EQ(bytes.size(), 12u + 8u + 4u * n);
    EXPECT_EQ(bytes[8], 2) << "the tile count";
    EXPECT_EQ(bytes[16], 3) << "the second index";
    LevelContent shape = level;
    shape.pixels.clear();
    std::vector<uint32_t> back;
    ASSERT_EQ(ReadBack(bytes, shape, &back), SpoolCheck::Ok);
    EXPECT_EQ(back, level.pixels);
    // A file whose list differs from the level's own, in count or in an index, is refused before any pixel.
    LevelContent other = shape;
    other.tiles = {0, 2};
    back.assign(3, 9);
    EXPECT_EQ(ReadBack(bytes, other, &back), SpoolCheck::OtherTiles);
    EXPECT_EQ(back, std::vector<uint32_t>(3, 9));
    other.tiles = {0};
    EXPECT_EQ(ReadBack(bytes, other, &back), SpoolCheck::OtherTiles);
    other = shape;
    other.whole = true;
    EXPECT_EQ(ReadBack(bytes, other, &back), SpoolCheck::OtherTiles);
    EXPECT_EQ(ReadBack(std::vector<uint8_t>(bytes.begin(), bytes.end() - 4), shape, &back), SpoolCheck::WrongLength);
}

TEST(SpoolFile, RefusesAFileThatDoesNotBelongToTheLevel) {
    const LevelContent level = Whole(3, 2, kPicture3x2);
    const std::vector<uint8_t> good = SpoolBytesOf(level);
    LevelContent shape = level;
    shape.pixels.clear();
    auto withHeader = [&](int w, int h, uint32_t count) {
        std::vector<uint8_t> b = good;
        const auto header = EncodeSpoolHeader(w, h, count);
        std::copy(header.begin(), header.end(), b.begin());
        return b;
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        SpoolCheck expected;
    } cases[] = {
        {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 1), SpoolCheck::WrongLength},
        {"one byte too many",
         [&] {
             auto b = good;
             b.push_back(0);
             return b;
         }(),
         SpoolCheck::WrongLength},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12), SpoolCheck::WrongLength},
        {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 9), SpoolCheck::ShortHeader},
        {"empty", {}, SpoolCheck::ShortHeader},
        {"header 65536 x 65536", withHeader(65536, 65536, kWholeLevelTiles), SpoolCheck::OtherSize},
        {"header turned round", withHeader(2, 3, kWholeLevelTiles), SpoolCheck::OtherSize},
        {"negative header", withHeader(-3, -2, kWholeLevelTiles), SpoolCheck::OtherSize},
        {"a list where the level is whole", withHeader(3, 2, 1), SpoolCheck::OtherTiles},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> px(6, 0x5A5A5A5Au);
        EXPECT_EQ(ReadBack(c.bytes, shape, &px), c.expected);
        EXPECT_EQ(px, std::vector<uint32_t>(6, 0x5A5A5A5Au)) << "pixels were read from a refused file";
    }
}

TEST(SpoolFile, DirectoryNamesGiveTheProcessId) {
    const struct {
        const wchar_t* name;
        bool ok;
        uint32_t pid;
    } cases[] = {{L"kolvex_undo_99999", true, 99999},
                 {L"KOLVEX_UNDO_12", true, 12},
                 {L"kolvex_undo_4294967295", true, UINT32_MAX},
                 {L"kolvex_undo_4294967296", false, 0},
                 {L"kolvex_undo_", false, 0},
                 {L"kolvex_undo_12x", false, 0},
                 {L"kolvex_undo_-1", false, 0},
                 {L"kolvex_und_12", false, 0},
                 {L"kolvex_undo_12345678901", false, 0}};
    for (const auto& c : cases) {
        uint32_t pid = 0;
        EXPECT_EQ(ParseSpoolDirectoryName(c.name, &pid), c.ok);
        if (c.ok) {
            EXPECT_EQ(pid, c.pid);
        }
    }
}

} // namespace
