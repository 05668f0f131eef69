#include "tools/fill_core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ColourChar {
    char c;
    uint32_t px;
};
constexpr ColourChar kColours[] = {
    {'.', 0xFFFFFFFFu}, // white
    {'w', 0x00FFFFFFu}, // white with another alpha
    {'#', 0xFF000000u}, // black
    {'r', 0xFFFF0000u}, // red
    {'R', 0x40FF0000u}, // red with another alpha
    {'g', 0xFF00FF00u}, // green
};

uint32_t PixelOf(char c) {
    for (const ColourChar& k : kColours)
        if (k.c == c) return k.px;
    ADD_FAILURE() << "no colour for '" << c << "'";
    return 0x12345678u;
}

char CharOf(uint32_t px) {
    for (const ColourChar& k : kColours)
        if (k.px == px) return k.c;
    return '?';
}

struct Picture {
    std::vector<uint32_t> px;
    int width = 0, height = 0;
    PixelView View() { return {px.data(), width, height}; }
};

Picture Blank(int width, int height, uint32_t value) {
    return {std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), value), width, height};
}

// One string per row, top row first; the picture itself is stored bottom-up like the program's.
Picture Draw(const std::vector<std::string>& rows) {
    Picture p = Blank(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()), 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            WritePixel(p.View(), x, y, PixelOf(rows[static_cast<size_t>(y)].at(static_cast<size_t>(x))));
    return p;
}

std::vector<std::string> Render(Picture& p) {
    std::vector<std::string> rows;
    for (int y = 0; y < p.height; ++y) {
        std::string row;
        for (int x = 0; x < p.width; ++x)
            row += CharOf(ReadPixel(p.View(), x, y));
        rows.push_back(row);
    }
    return rows;
}

// The plain per-pixel fill the fast one must agree with.
void ReferenceFill(const PixelView& v, int x, int y, uint32_t fill) {
    if (!InPicture(v, x, y)) return;
    const uint32_t seed = ReadPixel(v, x, y) & 0xFFFFFFu;
    if (seed == (fill & 0xFFFFFFu)) return;
    std::queue<std::pair<int, int>> todo;
    WritePixel(v, x, y, fill);
    todo.push({x, y});
    while (!todo.empty()) {
        const auto [px, py] = todo.front();
        todo.pop();
        const std::pair<int, int> next[] = {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}};
        for (const auto& [nx, ny] : next)
            if (InPicture(v, nx, ny) && (ReadPixel(v, nx, ny) & 0xFFFFFFu) == seed) {
                WritePixel(v, nx, ny, fill);
                todo.push({nx, ny});
            }
    }
}

struct FillSetup {
    const char* name;
    int x, y;
    char fill;
    size_t maxQueued;
    FillResult result;
};

// Each row string is the picture row before the fill, a space, and the same row after it.
struct FillCase {
    FillSetup setup;
    std::vector<std::string> rows;
};

constexpr size_t kAny = SIZE_MAX;

const FillCase kCases[] = {
    {{"open area around a closed box", 2, 0, 'r', kAny, FillResult::Filled},
     {
         "..... rrrrr", //
         ".###. r###r", //
         ".#.#. r#.#r", //
         ".###. r###r", //
         "..... rrrrr", //
     }},
    {{"inside a closed box", 2, 2, 'r', kAny, FillResult::Filled},
     {
         "..... .....", //
         ".###. .###.", //
         ".#.#. .#r#.", //
         ".###. .###.", //
         "..... .....", //
     }},
    {{"one-pixel corridors going left, right, up and down", 0, 0, 'r', kAny, FillResult::Filled},
     {
         "..#.... rr#rrrr", //
         "#.#.##. #r#r##r", //
         "#...#.. #rrr#rr", //
         "####.#. ####.#r", //
         "......# ......#", //
     }},
    {{"spiral from its inner end; the strip below its wall stays", 5, 4, 'g', kAny, FillResult::Filled},
     {
         "######### #########", //
         "#.......# #ggggggg#", //
         "#.#####.# #g#####g#", //
         "#.#...#.# #g#ggg#g#", //
         "#.#.#.#.# #g#g#g#g#", //
         "#.#.###.# #g#g###g#", //
         "#.#.....# #g#ggggg#", //
         "#.####### #g#######", //
         "######### #########", //
         "......... .........", //
     }},
    {{"checkerboard: diagonal neighbours are not connected", 1, 1, 'r', kAny, FillResult::Filled},
     {
         ".#.# .#.#", //
         "#.#. #r#.", //
         ".#.# .#.#", //
         "#.#. #.#.", //
     }},
    {{"a diagonal line is a closed border", 4, 0, 'r', kAny, FillResult::Filled},
     {
         "#.... #rrrr", //
         ".#... .#rrr", //
         "..#.. ..#rr", //
         "...#. ...#r", //
         "....# ....#", //
     }},
    {{"seed already in the fill colour", 0, 0, 'r', kAny, FillResult::Unchanged}, {"rr. rr.", "r#r r#r"}},
    {{"fill differs from the seed only in alpha", 0, 0, 'R', kAny, FillResult::Unchanged}, {"rr. rr.", "r#R r#R"}},
    {{"pixels differing only in alpha are one area", 0, 0, 'r', kAny, FillResult::Filled},
     {
         "..w.. rrrrr", //
         ".w#w. rr#rr", //
         "w.#.. rr#rr", //
     }},
    {{"seed on a pixel with another alpha", 0, 2, 'g', kAny, FillResult::Filled},
     {
         "..w.. ggggg", //
         ".w#w. gg#gg", //
         "w.#.. gg#gg", //
     }},
    {{"the fill's own alpha is written", 1, 0, 'w', kAny, FillResult::Filled}, {"rr. ww.", "r#r w#r"}},
    {{"top-left corner", 0, 0, 'r', kAny, FillResult::Filled},
     {
         "..#.. rr#..", //
         "..#.. rr#..", //
         "##.## ##.##", //
         "..#.. ..#..", //
         "..#.. ..#..", //
     }},
    {{"top-right corner", 4, 0, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..#rr", //
         "..#.. ..#rr", //
         "##.## ##.##", //
         "..#.. ..#..", //
         "..#.. ..#..", //
     }},
    {{"bottom-left corner", 0, 4, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..#..", //
         "..#.. ..#..", //
         "##.## ##.##", //
         "..#.. rr#..", //
         "..#.. rr#..", //
     }},
    {{"bottom-right corner", 4, 4, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..#..", //
         "..#.. ..#..", //
         "##.## ##.##", //
         "..#.. ..#rr", //
         "..#.. ..#rr", //
     }},
    {{"top edge", 2, 0, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..r..", //
         "..#.. ..r..", //
         "##.## ##.##", //
         "..#.. ..#..", //
         "..#.. ..#..", //
     }},
    {{"bottom edge", 2, 4, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..#..", //
         "..#.. ..#..", //
         "##.## ##.##", //
         "..#.. ..r..", //
         "..#.. ..r..", //
     }},
    {{"left edge", 0, 2, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..#..", //
         "..#.. ..#..", //
         "##.## rr.##", //
         "..#.. ..#..", //
         "..#.. ..#..", //
     }},
    {{"right edge", 4, 2, 'r', kAny, FillResult::Filled},
     {
         "..#.. ..#..", //
         "..#.. ..#..", //
         "##.## ##.rr", //
         "..#.. ..#..", //
         "..#.. ..#..", //
     }},
    {{"one-pixel picture", 0, 0, 'r', kAny, FillResult::Filled}, {". r"}},
    {{"seed left of the picture", -1, 0, 'r', kAny, FillResult::Unchanged}, {"... ...", "... ..."}},
    {{"seed right of the picture", 3, 0, 'r', kAny, FillResult::Unchanged}, {"... ...", "... ..."}},
    {{"seed above the picture", 0, -1, 'r', kAny, FillResult::Unchanged}, {"... ...", "... ..."}},
    {{"seed below the picture", 0, 2, 'r', kAny, FillResult::Unchanged}, {"... ...", "... ..."}},
    // The first span queues the three teeth above and the three below; they queue nothing more.
    {{"queue exactly as large as needed", 3, 1, 'r', 6, FillResult::Filled},
     {
         ".#.#. r#r#r", //
         "..... rrrrr", //
         ".#.#. r#r#r", //
     }},
    {{"queue one point too small: only the first span", 3, 1, 'r', 5, FillResult::OutOfMemory},
     {
         ".#.#. .#.#.", //
         "..... rrrrr", //
         ".#.#. .#.#.", //
     }},
    {{"queue that holds one point", 3, 1, 'r', 1, FillResult::OutOfMemory},
     {
         ".#.#. .#.#.", //
         "..... rrrrr", //
         ".#.#. .#.#.", //
     }},
    {{"queue that holds nothing", 3, 1, 'r', 0, FillResult::OutOfMemory},
     {
         ".#.#. .#.#.", //
         "..... .....", //
         ".#.#. .#.#.", //
     }},
    // Two runs above and two below, however wide they are.
    {{"one point per run of the next row", 3, 1, 'r', 4, FillResult::Filled},
     {
         "..#... rr#rrr", //
         "...... rrrrrr", //
         "...#.. rrr#rr", //
     }},
    {{"one point per run, one too few", 3, 1, 'r', 3, FillResult::OutOfMemory},
     {
         "..#... ..#...", //
         "...... rrrrrr", //
         "...#.. ...#..", //
     }},
    // Which span is filled before the queue overflows shows the order: oldest first, at one column the row above
    // before the row below, columns from the left. The first two differ in how much room the first span has.
    {{"the row above is taken first", 2, 2, 'r', 2, FillResult::OutOfMemory},
     {
         ".#.#. .#.#.", //
         "..... rrrrr", //
         "##.## ##r##", //
         "..... .....", //
         ".#.#. .#.#.", //
     }},
    {{"the row above is taken first, roomier queue", 2, 2, 'r', 3, FillResult::OutOfMemory},
     {
         ".#.#. .#.#.", //
         "..... rrrrr", //
         "##.## ##r##", //
         "..... .....", //
         ".#.#. .#.#.", //
     }},
    {{"the left run is taken first", 3, 2, 'r', 2, FillResult::OutOfMemory},
     {
         ".#.#.#. .#.#.#.", //
         "...#... rrr#...", //
         "....... rrrrrrr", //
         "####### #######", //
     }},
};

// Both paths of the row scans run every case; SSE2 only where the processor has it.
std::vector<PixelPath> Paths() {
    std::vector<PixelPath> paths = {PixelPath::Scalar};
    if (CpuHasSse2()) paths.push_back(PixelPath::Sse2);
    return paths;
}

TEST(FloodFill, Table) {
    for (const PixelPath path : Paths())
        for (const FillCase& c : kCases) {
            const FillSetup& f = c.setup;
            SCOPED_TRACE(std::string(f.name) + ", " + PixelPathName(path));
            std::vector<std::string> before, after;
            for (const std::string& row : c.rows) {
                const size_t gap = row.find(' ');
                ASSERT_NE(gap, std::string::npos);
                before.push_back(row.substr(0, gap));
                after.push_back(row.substr(gap + 1));
            }
            Picture p = Draw(before);
            EXPECT_EQ(FloodFill(p.View(), f.x, f.y, PixelOf(f.fill), f.maxQueued, path), f.result);
            EXPECT_EQ(Render(p), after);
        }
}

TEST(FloodFill, EmptyViewIsUnchanged) { EXPECT_EQ(FloodFill(PixelView{}, 0, 0, 0xFFFF0000u), FillResult::Unchanged); }

// Even rows open, odd rows alternating open and black: every span queues a point per tooth, above and below.
Picture Comb(int width, int height) {
    Picture p = Blank(width, height, PixelOf('.'));
    for (int y = 1; y < height; y += 2)
        for (int x = 1; x < width; x += 2)
            WritePixel(p.View(), x, y, PixelOf('#'));
    return p;
}

void ExpectSameAsReference(Picture before, int x, int y, uint32_t fill, size_t maxQueued) {
    Picture expected = before;
    ReferenceFill(expected.View(), x, y, fill);
    const bool sameColour = (ReadPixel(before.View(), x, y) & 0xFFFFFFu) == (fill & 0xFFFFFFu);
    for (const PixelPath path : Paths()) {
        SCOPED_TRACE(PixelPathName(path));
        Picture ours = before;
        EXPECT_EQ(FloodFill(ours.View(), x, y, fill, maxQueued, path),
                  sameColour ? FillResult::Unchanged : FillResult::Filled);
        EXPECT_EQ(Render(ours), Render(expected));
    }
}

// Runs longer than a round of eight, broken by one wall pixel at every column, in the seed's own row and in the
// rows the span scans, seeded at either end; a pixel differing only in alpha is no wall. These reach every exit
// of the eight-pixel rounds, forwards and backwards.
TEST(FloodFill, LongRunsStopAtEveryColumn) {
    for (int width : {8, 9, 16, 23, 40}) {
        for (int wall = 0; wall < width; ++wall) {
            for (const char wallColour : {'#', 'w'}) {
                for (const int wallRow : {0, 1, 2}) {
                    Picture p = Blank(width, 3, PixelOf('.'));
                    WritePixel(p.View(), wall, wallRow, PixelOf(wallColour));
                    SCOPED_TRACE(std::to_string(width) + " wide, wall '" + wallColour + "' at " + std::to_string(wall) +
                                 "," + std::to_string(wallRow));
                    for (const int seedX : {0, width - 1})
                        if (!(wallRow == 1 && seedX == wall))
                            ExpectSameAsReference(p, seedX, 1, PixelOf('r'), SIZE_MAX);
                }
            }
        }
    }
}

// The queue moves while points are read from it: a point read by reference from it would dangle (the sanitizers
// catch it), and a point lost in the move leaves its pixels unfilled.
TEST(FloodFill, QueueMovingWhileItIsReadLosesNothing) {
    // An open middle row between two rows of one-pixel teeth, each reachable only from it: the queue grows while the
    // one wide span queues two thousand points.
    Picture teeth = Blank(2001, 3, PixelOf('.'));
    for (int x = 1; x < teeth.width; x += 2) {
        WritePixel(teeth.View(), x, 0, PixelOf('#'));
        WritePixel(teeth.View(), x, 2, PixelOf('#'));
    }
    ExpectSameAsReference(teeth, 1000, 1, PixelOf('r'), SIZE_MAX);
    // Then two thousand one-pixel spans, each queueing a point while the queue is full of their siblings.
    ExpectSameAsReference(Comb(2001, 5), 1000, 2, PixelOf('r'), SIZE_MAX);
}

// A serpentine is one long fill through which many points pass, but only one is waiting at any time: the limit
// counts the points held, not every point ever queued.
TEST(FloodFill, LimitCountsHeldPointsNotHistory) {
    Picture p = Blank(30, 61, PixelOf('.'));
    for (int y = 1; y < p.height; y += 2)
        for (int x = 0; x < p.width - 1; ++x)
            WritePixel(p.View(), (y / 2) % 2 ? x + 1 : x, y, PixelOf('#'));
    ExpectSameAsReference(p, 0, 0, PixelOf('r'), 1);
}

// After a fill that ran out of queue: every changed pixel belongs to the area and has the fill colour. Returns how
// many changed and how many the whole area holds.
std::pair<size_t, size_t> ExpectPartOfTheArea(const Picture& before, const Picture& after, int x, int y,
                                              uint32_t fill) {
    Picture reference = before;
    ReferenceFill(reference.View(), x, y, fill);
    size_t filled = 0, area = 0;
    for (size_t i = 0; i < after.px.size(); ++i) {
        const bool inArea = reference.px[i] != before.px[i];
        area += inArea;
        if (after.px[i] == before.px[i]) continue;
        ++filled;
        EXPECT_TRUE(inArea && after.px[i] == fill) << "word " << i;
    }
    return {filled, area};
}

TEST(FloodFill, RunningOutOfQueueKeepsWhatWasFilledAndTouchesNothingElse) {
    const Picture before = Comb(65, 65);
    const uint32_t fill = PixelOf('r');
    for (const PixelPath path : Paths()) {
        SCOPED_TRACE(PixelPathName(path));
        Picture p = before;
        ASSERT_EQ(FloodFill(p.View(), 32, 32, fill, 100, path), FillResult::OutOfMemory);
        const auto [filled, area] = ExpectPartOfTheArea(before, p, 32, 32, fill);
        EXPECT_EQ(ReadPixel(p.View(), 32, 32), fill);
        EXPECT_GT(filled, 65u); // more than the first span
        EXPECT_LT(filled, area);
    }
}

// Random pictures of few colours, some differing only in alpha, against the reference fill.
TEST(FloodFill, RandomPicturesMatchTheReferenceFill) {
    const uint32_t palette[] = {PixelOf('.'), PixelOf('w'), PixelOf('#'), PixelOf('r'), PixelOf('R')};
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{1, 1}, {1, 40}, {40, 1}, {17, 13}, {64, 48}, {200, 150}};
    std::mt19937 rng(20240611u);
    for (const Size& s : sizes) {
        for (int colours : {2, 3, 5}) {
            Picture p = Blank(s.w, s.h, 0);
            std::uniform_int_distribution<int> pick(0, colours - 1);
            for (uint32_t& px : p.px)
                px = palette[pick(rng)];
            std::uniform_int_distribution<int> pickX(0, s.w - 1), pickY(0, s.h - 1);
            for (int seed = 0; seed < 4; ++seed) {
                const int x = pickX(rng), y = pickY(rng);
                SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h) + " colours " + std::to_string(colours) +
                             " at " + std::to_string(x) + "," + std::to_string(y));
                const uint32_t fill = palette[pick(rng)];
                ExpectSameAsReference(p, x, y, fill, SIZE_MAX);
                // With a queue of three points: either the whole area or part of it, and nothing else; the same
                // part on every path.
                std::vector<Picture> partials;
                for (const PixelPath path : Paths()) {
                    Picture partial = p;
                    const FillResult result = FloodFill(partial.View(), x, y, fill, 3, path);
                    const auto [filled, area] = ExpectPartOfTheArea(p, partial, x, y, fill);
                    if (result != FillResult::OutOfMemory) {
                        EXPECT_EQ(filled, area);
                    }
                    partials.push_back(partial);
                }
                EXPECT_EQ(Render(partials.front()), Render(partials.back()));
            }
        }
    }
}

} // namespace
