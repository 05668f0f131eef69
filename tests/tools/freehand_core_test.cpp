#include "tools/freehand_core.h"

#include "tools/pencil_core.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Test pictures are drawn as strings, one per row, the top row (y = 0) first.
constexpr uint32_t kWhite = 0xFFFFFFFFu;    // '.'
constexpr uint32_t kInk = 0xFF203040u;      // '#'
constexpr uint32_t kRed = 0xFFFF0000u;      // 'r': the foreground of the eraser tests
constexpr uint32_t kClearRed = 0x00FF0000u; // 'R': red with alpha 0
constexpr uint32_t kHalfRed = 0x80FF0000u;  // 'q'
constexpr uint32_t kNearRed = 0xFFFE0000u;  // 's': one step off in red
constexpr uint32_t kGreen = 0xFF00FF00u;    // 'g'
constexpr uint32_t kBlue = 0xFF0000FFu;     // 'b': the background of the eraser tests
constexpr uint32_t kBlack = 0xFF000000u;

constexpr std::pair<char, uint32_t> kPalette[] = {{'.', kWhite},   {'#', kInk},     {'r', kRed},   {'R', kClearRed},
                                                  {'q', kHalfRed}, {'s', kNearRed}, {'g', kGreen}, {'b', kBlue}};

using Rows = std::vector<std::string>;

uint32_t PixelOf(char c) {
    for (const auto& [ch, pixel] : kPalette)
        if (ch == c) return pixel;
    ADD_FAILURE() << "no colour for '" << c << "'";
    return 0;
}

char CharOf(uint32_t pixel) {
    for (const auto& [ch, p] : kPalette)
        if (p == pixel) return ch;
    return '?';
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;

    Picture(int w, int h, uint32_t fill) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
    explicit Picture(const Rows& rows) : Picture(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                WritePixel(View(), x, y, PixelOf(rows[y][x]));
    }
    PixelView View() { return {px.data(), width, height}; }
    uint32_t At(int x, int y) { return ReadPixel(View(), x, y); }
    Rows Drawn() {
        Rows rows(height, std::string(width, ' '));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                rows[y][x] = CharOf(At(x, y));
        return rows;
    }
    // The red channel row by row: black ink on white shows 255 minus the coverage of one dab.
    std::vector<std::vector<int>> Greys() {
        std::vector<std::vector<int>> g(height, std::vector<int>(width));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                g[y][x] = static_cast<int>(At(x, y) >> 16 & 0xFF);
        return g;
    }
};

// ---- Shaped brush

const Rows kRound1 = {
    ".....", "..#..", ".###.", "..#..", ".....",
};
const Rows kRound2 = {
    ".......", "...#...", "..###..", ".#####.", "..###..", "...#...", ".......",
};
const Rows kRound3 = {
    ".........", "....#....", "..#####..", "..#####..", ".#######.", "..#####..", "..#####..", "....#....", ".........",
};
const Rows kSquare1 = {
    ".....", ".###.", ".###.", ".###.", ".....",
};
const Rows kSquare2 = {
    ".......", ".#####.", ".#####.", ".#####.", ".#####.", ".#####.", ".......",
};
const Rows kSlash1 = {
    "......", "...##.", "..##..", ".##...", "......",
};
const Rows kSlash2 = {
    "........", ".....##.", "....##..", "...##...", "..##....", ".##.....", "........",
};
const Rows kBackslash2 = {
    "........", ".##.....", "..##....", "...##...", "....##..", ".....##.", "........",
};
const Rows kSlash12 = {
    "...............................", ".........................#####.", "........................#####..",
    ".......................#####...", "......................#####....", ".....................#####.....",
    "....................#####......", "...................#####.......", "..................#####........",
    ".................#####.........", "................#####..........", "...............#####...........",
    "..............#####............", ".............#####.............", "............#####..............",
    "...........#####...............", "..........#####................", ".........#####.................",
    "........#####..................", ".......#####...................", "......#####....................",
    ".....#####.....................", "....#####......................", "...#####.......................",
    "..#####........................", ".#####.........................", "...............................",
};
const Rows kBackslash12 = {
    "...............................", ".#####.........................", "..#####........................",
    "...#####.......................", "....#####......................", ".....#####.....................",
    "......#####....................", ".......#####...................", "........#####..................",
    ".........#####.................", "..........#####................", "...........#####...............",
    "............#####..............", ".............#####.............", "..............#####............",
    "...............#####...........", "................#####..........", ".................#####.........",
    "..................#####........", "...................#####.......", "....................#####......",
    ".....................#####.....", "......................#####....", ".......................#####...",
    "........................#####..", ".........................#####.", "...............................",
};

struct StampCase {
    const char* name;
    BrushShape shape;
    int radius, x, y;
    Rows expected; // also gives the picture's size
};

TEST(FreehandBrush, StampFootprints) {
    const StampCase cases[] = {
        {"round 1 is a plus", BrushShape::Round, 1, 2, 2, kRound1},
        {"round 2", BrushShape::Round, 2, 3, 3, kRound2},
        {"round 3", BrushShape::Round, 3, 4, 4, kRound3},
        {"square 1", BrushShape::Square, 1, 2, 2, kSquare1},
        {"square 2", BrushShape::Square, 2, 3, 3, kSquare2},
        {"slash 1", BrushShape::Slash, 1, 2, 2, kSlash1},
        {"slash 2", BrushShape::Slash, 2, 3, 3, kSlash2},
        {"backslash 2", BrushShape::Backslash, 2, 3, 3, kBackslash2},
        {"slash 12", BrushShape::Slash, 12, 13, 13, kSlash12},
        {"backslash 12", BrushShape::Backslash, 12, 13, 13, kBackslash12},
        // At the edges and corners: clipped, and nothing wraps onto the neighbouring row.
        {"square at the top-left corner", BrushShape::Square, 2, 0, 0, {"###.", "###.", "###."}},
        {"square at the right edge", BrushShape::Square, 2, 4, 1, {"..###", "..###", "..###", "..###"}},
        {"round at the bottom-right corner", BrushShape::Round, 3, 4, 3, {"....#", "..###", "..###", ".####"}},
        {"backslash left of the picture", BrushShape::Backslash, 2, -1, 1, {".....", "#....", "##...", ".##.."}},
        {"slash at the top-right corner", BrushShape::Slash, 2, 4, 0, {"....#", "...##", "..##."}},
        {"square centred outside the corner", BrushShape::Square, 1, -1, -1, {"#...", "....", "...."}},
        {"round far outside", BrushShape::Round, 3, 100, -50, {"....", "....", "...."}},
    };
    for (const StampCase& c : cases) {
        Picture pic(static_cast<int>(c.expected[0].size()), static_cast<int>(c.expected.size()), kWhite);
        StampBrush(pic.View(), c.x, c.y, c.radius, c.shape, kInk);
        EXPECT_EQ(pic.Drawn(), c.expected) << c.name;
    }
}

TEST(FreehandBrush, DiagonalRunsAreAThirdOfTheRadiusPlusOneWideAndOneRowPerStep) {
    const struct { int radius, perRow; } cases[] = {{1, 2}, {2, 2}, {3, 2}, {5, 2}, {6, 3}, {12, 5}, {18, 7}};
    for (BrushShape shape : {BrushShape::Slash, BrushShape::Backslash}) {
        for (const auto& c : cases) {
            Picture pic(60, 60, kWhite);
            StampBrush(pic.View(), 30, 30, c.radius, shape, kInk);
            int rowsDrawn = 0;
            for (int y = 0; y < pic.height; ++y) {
                int n = 0;
                for (int x = 0; x < pic.width; ++x)
                    n += pic.At(x, y) == kInk;
                if (n == 0) continue;
                ++rowsDrawn;
                EXPECT_EQ(n, c.perRow) << "radius " << c.radius << " row " << y;
            }
            EXPECT_EQ(rowsDrawn, 2 * c.radius + 1) << "radius " << c.radius;
        }
    }
}

struct SegmentCase {
    int radius;
    BrushShape shape;
    PicturePoint from, to;
    std::vector<PicturePoint> stamped; // the points of the line that get a stamp
    bool spaced;                       // stamping every point of the line would look different
};

Picture StampedAt(const std::vector<PicturePoint>& points, int radius, BrushShape shape) {
    Picture pic(40, 40, kWhite);
    for (PicturePoint p : points)
        StampBrush(pic.View(), p.x, p.y, radius, shape, kInk);
    return pic;
}

TEST(FreehandBrush, SegmentStampsEveryPointBelowRadiusFiveThenEveryThirdOfTheRadius) {
    const BrushShape round = BrushShape::Round;
    const SegmentCase cases[] = {
        // Radius below 5, and 5 itself (5 / 3 = 1): every point.
        {1, round, {5, 10}, {10, 10}, {{5, 10}, {6, 10}, {7, 10}, {8, 10}, {9, 10}, {10, 10}}, false},
        {5, round, {10, 20}, {10, 25}, {{10, 20}, {10, 21}, {10, 22}, {10, 23}, {10, 24}, {10, 25}}, false},
        // Every radius / 3 points from the start, and the end point.
        {6, round, {10, 10}, {17, 10}, {{10, 10}, {12, 10}, {14, 10}, {16, 10}, {17, 10}}, true},
        {9, round, {10, 12}, {20, 12}, {{10, 12}, {13, 12}, {16, 12}, {19, 12}, {20, 12}}, true},
        {15, round, {3, 20}, {15, 20}, {{3, 20}, {8, 20}, {13, 20}, {15, 20}}, true},
        {6, round, {20, 20}, {14, 20}, {{20, 20}, {18, 20}, {16, 20}, {14, 20}}, true},
        {7, BrushShape::Slash, {10, 20}, {16, 26}, {{10, 20}, {12, 22}, {14, 24}, {16, 26}}, true},
        {6, BrushShape::Square, {10, 10}, {15, 13}, {{10, 10}, {12, 11}, {14, 12}, {15, 13}}, true},
        {12, round, {20, 20}, {20, 20}, {{20, 20}}, false},
    };
    for (const SegmentCase& c : cases) {
        Picture pic(40, 40, kWhite);
        BrushSegment(pic.View(), c.from, c.to, c.radius, c.shape, kInk);
        const std::string name = "radius " + std::to_string(c.radius) + " from " + std::to_string(c.from.x) + "," +
                                 std::to_string(c.from.y) + " to " + std::to_string(c.to.x) + "," +
                                 std::to_string(c.to.y);
        EXPECT_EQ(pic.Drawn(), StampedAt(c.stamped, c.radius, c.shape).Drawn()) << name;

        // The case must be able to tell a wrong spacing: every listed stamp shows, and where points are
        // skipped, stamping all of them shows too.
        for (size_t i = 0; i < c.stamped.size() && c.stamped.size() > 1; ++i) {
            std::vector<PicturePoint> fewer = c.stamped;
            fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
            EXPECT_NE(StampedAt(fewer, c.radius, c.shape).Drawn(), pic.Drawn()) << name << " without stamp " << i;
        }
        if (c.spaced) {
            Picture every(40, 40, kWhite);
            ForEachLinePixel(c.from.x, c.from.y, c.to.x, c.to.y,
                             [&](int x, int y) { StampBrush(every.View(), x, y, c.radius, c.shape, kInk); });
            EXPECT_NE(every.Drawn(), pic.Drawn()) << name;
        }
    }
}

// ---- Eraser

TEST(FreehandEraser, SquareSideBySizeIndexModuloFour) {
    const struct { int sizeIndex, side; } cases[] = {{0, 5}, {1, 7}, {2, 9}, {3, 11}, {4, 5}, {7, 11}};
    for (const auto& c : cases) {
        Picture pic(15, 15, kRed);
        EraseAt(pic.View(), 7, 7, c.sizeIndex, false, kRed, kBlue);
        const int h = c.side / 2;
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) {
                const bool inside = std::abs(x - 7) <= h && std::abs(y - 7) <= h;
                EXPECT_EQ(pic.At(x, y), inside ? kBlue : kRed) << "size " << c.sizeIndex << " at " << x << "," << y;
            }
    }
}

struct EraseCase {
    const char* name;
    int x, y, sizeIndex;
    bool colourEraser;
    uint32_t foreground;
    Rows before, after;
};

// Red in several alphas (r, R, q) beside colours that are not red (s is one step off, g green, . white).
const Rows kMixed = {
    "rrrrrrrrr", "rgRq.srrr", "rsrgRq.rr", "rRqrrgsrr", "rrrrrrrrr",
};
// Erased around (3, 2), 5 wide.
const Rows kMixedErased = {
    "rbbbbbrrr", "rbbbbbrrr", "rbbbbb.rr", "rbbbbbsrr", "rbbbbbrrr",
};
const Rows kMixedRedErased = {
    "rbbbbbrrr", "rgbb.srrr", "rsbgbb.rr", "rbbbbgsrr", "rbbbbbrrr",
};
// Green erased around (4, 2), 7 wide.
const Rows kMixedGreenErased = {
    "rrrrrrrrr", "rbRq.srrr", "rsrbRq.rr", "rRqrrbsrr", "rrrrrrrrr",
};

TEST(FreehandEraser, PlainAndColourEraser) {
    const EraseCase cases[] = {
        {"plain, top-left corner",
         0,
         0,
         0,
         false,
         kRed,
         {"rrrrr", "rrrrr", "rrrrr", "rrrrr"},
         {"bbbrr", "bbbrr", "bbbrr", "rrrrr"}},
        {"plain, right edge does not wrap",
         5,
         1,
         1,
         false,
         kRed,
         {"rrrrrr", "rrrrrr", "rrrrrr"},
         {"rrbbbb", "rrbbbb", "rrbbbb"}},
        {"plain replaces every colour", 3, 2, 0, false, kRed, kMixed, kMixedErased},
        {"colour eraser: only red, whatever its alpha", 3, 2, 0, true, kRed, kMixed, kMixedRedErased},
        {"colour eraser: the foreground's alpha does not matter", 3, 2, 0, true, kClearRed, kMixed, kMixedRedErased},
        {"colour eraser: green", 4, 2, 1, true, kGreen, kMixed, kMixedGreenErased},
        {"colour eraser: no pixel of that colour", 4, 2, 3, true, 0xFF123456u, kMixed, kMixed},
    };
    for (const EraseCase& c : cases) {
        Picture pic(c.before);
        EraseAt(pic.View(), c.x, c.y, c.sizeIndex, c.colourEraser, c.foreground, kBlue);
        EXPECT_EQ(pic.Drawn(), c.after) << c.name;
    }
}

TEST(FreehandEraser, SegmentErasesAroundEveryPointOfTheLine) {
    // The pencil's line from (2, 2) to (8, 5).
    const PicturePoint line[] = {{2, 2}, {3, 3}, {4, 3}, {5, 4}, {6, 4}, {7, 5}, {8, 5}};
    for (bool colourEraser : {false, true}) {
        Picture pic(14, 10, kRed);
        for (int y = 0; y < pic.height; ++y)
            for (int x = (y % 2); x < pic.width; x += 2)
                WritePixel(pic.View(), x, y, kGreen);
        Picture expected = pic;
        for (PicturePoint p : line)
            for (int y = p.y - 2; y <= p.y + 2; ++y)
                for (int x = p.x - 2; x <= p.x + 2; ++x)
                    if (!colourEraser || expected.At(x, y) == kRed) WritePixel(expected.View(), x, y, kBlue);
        EraseSegment(pic.View(), {2, 2}, {8, 5}, 0, colourEraser, kRed, kBlue);
        EXPECT_EQ(pic.Drawn(), expected.Drawn()) << (colourEraser ? "colour eraser" : "eraser");
    }
}

// ---- Airbrush

TEST(FreehandSpray, GeneratorGivesTheClassicSequence) {
    const int classic[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    SprayRandom rng;
    for (int expected : classic)
        EXPECT_EQ(rng.Next(), expected);
    for (int i = 0; i < 100000; ++i) {
        const int value = rng.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

using Dots = std::set<std::pair<int, int>>;

Dots InkDots(Picture& pic) {
    Dots dots;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            if (pic.At(x, y) == kInk) dots.insert({x, y});
    return dots;
}

TEST(FreehandSpray, FirstBurstOfTheRun) {
    // Worked out separately in double precision from the generator's first twenty values.
    const Dots expected = {{23, 20}, {21, 24}, {18, 19}, {17, 24}, {21, 16}, {22, 24}, {20, 18}, {20, 20}, {21, 21}};
    Picture pic(41, 41, kWhite);
    SprayRandom rng;
    SprayAt(pic.View(), 20, 20, 0, kInk, &rng);
    EXPECT_EQ(InkDots(pic), expected);
}

// The burst written out again from its definition, with its own generator.
struct SprayModel {
    uint32_t state = 1;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
    Dots Burst(int cx, int cy, int radius, int dots, int width, int height) {
        Dots out;
        for (int i = 0; i < dots; ++i) {
            const double angle = Next() / 32767.0 * 2 * 3.1415926535;
            const double distance = Next() / 32767.0 * radius;
            const int x = cx + static_cast<int>(distance * std::cos(angle));
            const int y = cy + static_cast<int>(distance * std::sin(angle));
            if (x >= 0 && y >= 0 && x < width && y < height) out.insert({x, y});
        }
        return out;
    }
};

TEST(FreehandSpray, BurstsFollowTheGeneratorAcrossSizesAndEdges) {
    const struct {
        int x, y, sizeIndex, radius, dots;
    } bursts[] = {{30, 30, 1, 12, 25}, {2, 3, 2, 18, 45},   {58, 58, 0, 6, 10},   {30, 5, 3, 6, 10},
                  {-4, 30, 4, 12, 25}, {45, 40, 5, 18, 45}, {100, 100, 2, 18, 45}};
    SprayRandom rng;
    SprayModel model;
    for (const auto& b : bursts) {
        Picture blank(60, 60, kWhite);
        SprayAt(blank.View(), b.x, b.y, b.sizeIndex, kInk, &rng);
        // Dots that fall outside still use up their random numbers.
        EXPECT_EQ(InkDots(blank), model.Burst(b.x, b.y, b.radius, b.dots, 60, 60)) << "burst at " << b.x << "," << b.y;
        EXPECT_EQ(rng.state, model.state);
    }
}

TEST(FreehandSpray, DotsSpreadWithinTheRadius) {
    const struct { int sizeIndex, radius; } sizes[] = {{0, 6}, {1, 12}, {2, 18}};
    SprayRandom rng;
    for (const auto& s : sizes) {
        for (int burst = 0; burst < 20; ++burst) {
            Picture pic(61, 61, kWhite);
            SprayAt(pic.View(), 30, 30, s.sizeIndex, kInk, &rng);
            const Dots dots = InkDots(pic);
            EXPECT_GT(dots.size(), 1u) << "size " << s.sizeIndex;
            for (const auto& [x, y] : dots)
                EXPECT_LE((x - 30) * (x - 30) + (y - 30) * (y - 30), s.radius * s.radius) << x << "," << y;
        }
    }
}

// ---- All tools

TEST(FreehandClipping, PointsNearTheIntLimitsDrawNothing) {
    const PicturePoint points[] = {{INT_MAX, 1},       {INT_MIN, 1},       {1, INT_MAX},     {1, INT_MIN},
                                   {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX - 3, 2}, {2, INT_MIN + 3}};
    const BrushShape shapes[] = {BrushShape::Round, BrushShape::Square, BrushShape::Slash, BrushShape::Backslash};
    const Picture blank(8, 6, kWhite);
    for (PicturePoint p : points) {
        Picture pic = blank;
        for (BrushShape shape : shapes)
            StampBrush(pic.View(), p.x, p.y, 18, shape, kInk);
        EraseAt(pic.View(), p.x, p.y, 3, false, kRed, kInk);
        SprayRandom rng;
        SprayAt(pic.View(), p.x, p.y, 2, kInk, &rng);
        InkDab(pic.View(), kInk, static_cast<float>(p.x), static_cast<float>(p.y), 10.0f, 1.0f);
        InkStroke s;
        InkStart(&s, pic.View(), p.x, p.y, kInk, 10.0f, 0);
        InkSegment(&s, pic.View(), p.x, p.y < 0 ? p.y + 100 : p.y - 100, kInk, 10.0f, 20);
        InkFinish(&s, pic.View(), kInk, 10.0f);
        EXPECT_EQ(pic.px, blank.px) << p.x << "," << p.y;
    }
}

// ---- Ink pen

using Greys = std::vector<std::vector<int>>;

struct DabCase {
    const char* name;
    float cx, cy, radius, opacity;
    Greys expected; // black ink on white: 255 - coverage
};

constexpr int W = 255;
const Greys kBlank5 = {
    {W, W, W, W, W}, {W, W, W, W, W}, {W, W, W, W, W}, {W, W, W, W, W}, {W, W, W, W, W},
};
const Greys kRadius2 = {
    {W, W, W, W, W}, {W, 243, 212, 243, W}, {W, 212, 0, 212, W}, {W, 243, 212, 243, W}, {W, W, W, W, W},
};
const Greys kRadius2Half = {
    {W, W, W, W, W}, {W, 249, 233, 249, W}, {W, 233, 127, 233, W}, {W, 249, 233, 249, W}, {W, W, W, W, W},
};
const Greys kCentreOnly = {
    {W, W, W, W, W}, {W, W, W, W, W}, {W, W, 0, W, W}, {W, W, W, W, W}, {W, W, W, W, W},
};
const Greys kCornerRadius1 = {
    {W, W, W, W, W}, {W, 243, 243, W, W}, {W, 243, 243, W, W}, {W, W, W, W, W}, {W, W, W, W, W},
};
const Greys kTopLeft = {
    {0, 212, W, W, W}, {212, 243, W, W, W}, {W, W, W, W, W}, {W, W, W, W, W}, {W, W, W, W, W},
};
const Greys kBottomRight = {
    {W, W, W, W, W}, {W, W, W, W, W}, {W, W, W, W, W}, {W, W, W, 243, 212}, {W, W, W, 212, 0},
};

TEST(FreehandInk, DabCoverage) {
    // Coverage trunc(opacity * (0.65u + 0.35) * u^2 * 255 + 0.5) with u = 1 - distance / radius, by hand:
    // radius 2 at a pixel centre gives 255 in the middle, 43 one pixel away (u = 0.5) and 12 diagonally
    // (u = 0.2929); at opacity 0.5 it is 128, 22 and 6. A pixel's centre is at +0.5.
    const DabCase cases[] = {
        {"radius 2 at a pixel centre", 2.5f, 2.5f, 2.0f, 1.0f, kRadius2},
        {"half opacity", 2.5f, 2.5f, 2.0f, 0.5f, kRadius2Half},
        {"opacity above 1 counts as 1", 2.5f, 2.5f, 2.0f, 3.0f, kRadius2},
        {"no opacity", 2.5f, 2.5f, 2.0f, 0.0f, kBlank5},
        {"negative opacity", 2.5f, 2.5f, 2.0f, -1.0f, kBlank5},
        {"a tiny radius still covers its pixel", 2.5f, 2.5f, 0.0f, 1.0f, kCentreOnly},
        {"radius 1 on a pixel corner", 2.0f, 2.0f, 1.0f, 1.0f, kCornerRadius1},
        {"clipped at the top-left corner", 0.5f, 0.5f, 2.0f, 1.0f, kTopLeft},
        {"clipped at the bottom-right corner", 4.5f, 4.5f, 2.0f, 1.0f, kBottomRight},
        {"outside the picture", -10.0f, -10.0f, 3.0f, 1.0f, kBlank5},
    };
    for (const DabCase& c : cases) {
        Picture pic(5, 5, kWhite);
        InkDab(pic.View(), kBlack, c.cx, c.cy, c.radius, c.opacity);
        EXPECT_EQ(pic.Greys(), c.expected) << c.name;
    }
}

TEST(FreehandInk, DabBlendsEachChannelAndMakesThePixelOpaque) {
    const struct {
        uint32_t ink, old;
        float opacity;
        int x, y;
        uint32_t expected;
    } cases[] = {
        // Coverage 43: (ink * 43 + old * 212 + 127) / 255 per channel.
        {0xFFFF0000u, 0x00FFFFFFu, 1.0f, 3, 2, 0xFFFFD4D4u},
        {0xFF0000FFu, 0xFF204080u, 1.0f, 2, 1, 0xFF1B3595u},
        // Coverage 255 writes the ink pixel itself; 128 rounds the halves down.
        {0xFF0000FFu, 0xFF204080u, 1.0f, 2, 2, 0xFF0000FFu},
        {0xFF000000u, 0x00FFFFFFu, 0.5f, 2, 2, 0xFF7F7F7Fu},
    };
    for (const auto& c : cases) {
        Picture pic(5, 5, c.old);
        InkDab(pic.View(), c.ink, 2.5f, 2.5f, 2.0f, c.opacity);
        EXPECT_EQ(pic.At(c.x, c.y), c.expected) << std::hex << c.ink << " over " << c.old;
    }
}

TEST(FreehandInk, BaseWidth) {
    const struct {
        int sizeIndex, customRadius;
        float expected;
    } cases[] = {{0, 0, 0.7f},  {1, 0, 1.15f}, {3, 0, 2.4f},  {7, 0, 10.0f}, {9, 0, 10.0f},
                 {-3, 0, 0.7f}, {3, -2, 2.4f}, {3, 1, 0.55f}, {0, 10, 5.5f}, {7, 250, 137.5f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(InkBaseWidth(c.sizeIndex, c.customRadius), c.expected) << c.sizeIndex << "/" << c.customRadius;
}

TEST(FreehandInk, SmallStrokeIsPinned) {
    // Black ink, width 1.7, three moves 16 ms apart, worked out separately with one single-precision rounding
    // per operation. The smoothing lags: the stroke ends near (9.3, 3.5), short of the pointer at (14, 4).
    const Greys expected = {
        {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255},
        {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255},
        {255, 249, 230, 222, 225, 233, 241, 245, 250, 253, 255, 255, 255, 255, 255, 255},
        {255, 249, 230, 222, 202, 179, 140, 107, 93, 67, 255, 255, 255, 255, 255, 255},
        {255, 255, 255, 255, 255, 255, 255, 255, 252, 251, 255, 255, 255, 255, 255, 255},
        {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255},
        {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255},
    };
    Picture pic(16, 7, kWhite);
    InkStroke s;
    InkStart(&s, pic.View(), 2, 3, kBlack, 1.7f, 100);
    InkSegment(&s, pic.View(), 8, 3, kBlack, 1.7f, 116);
    InkSegment(&s, pic.View(), 14, 4, kBlack, 1.7f, 132);
    InkSegment(&s, pic.View(), 14, 4, kBlack, 1.7f, 148);
    InkFinish(&s, pic.View(), kBlack, 1.7f);
    EXPECT_EQ(pic.Greys(), expected);
    EXPECT_FALSE(s.active);
}

TEST(FreehandInk, ClickWithoutMovementIsTheStartDabAndThreeTaperDabs) {
    // Width 10, pressure 0.28: the start dab has radius 10 * 0.568 and opacity 0.612; the taper pressures are
    // 0.154, 0.0847 and 0.046585, giving radius (0.5z + 0.25) * 10 and opacity 0.35z + 0.3.
    const struct {
        float radius, opacity;
    } dabs[] = {{5.68f, 0.612f}, {3.27f, 0.3539f}, {2.9235f, 0.329645f}, {2.732925f, 0.31630475f}};
    Picture click(16, 16, kWhite);
    InkStroke s;
    InkStart(&s, click.View(), 8, 8, kBlack, 10.0f, 500);
    InkSegment(&s, click.View(), 8, 8, kBlack, 10.0f, 520);
    InkFinish(&s, click.View(), kBlack, 10.0f);

    Picture expected(16, 16, kWhite);
    for (size_t i = 0; i < std::size(dabs); ++i) {
        // Each taper dab must show, or the comparison below could not tell one missing.
        if (i > 0) {
            EXPECT_NE(click.Greys(), expected.Greys()) << "before dab " << i;
        }
        InkDab(expected.View(), kBlack, 8.0f, 8.0f, dabs[i].radius, dabs[i].opacity);
    }
    EXPECT_EQ(click.Greys(), expected.Greys());
}

TEST(FreehandInk, MovesUnderFourTenthsOfAPixelAfterSmoothingDrawNothing) {
    // Each move is smoothed by 0.32 of its distance from the smoothed position. With width 10 a drawn move
    // this short has one step, so it also shows that the step count is at least 1.
    const struct {
        const char* name;
        std::vector<std::pair<int, int>> moves; // offsets from the start point
        std::vector<bool> draws;
    } cases[] = {
        {"one right: 0.32", {{1, 0}}, {false}}, {"one up: 0.32", {{0, -1}}, {false}},
        {"one left: 0.32", {{-1, 0}}, {false}}, {"one diagonal: 0.45", {{1, 1}}, {true}},
        {"two right: 0.64", {{2, 0}}, {true}},  {"one right twice: 0.32 then 0.54", {{1, 0}, {1, 0}}, {false, true}},
    };
    for (const auto& c : cases) {
        Picture pic(30, 30, kWhite);
        InkStroke s;
        InkStart(&s, pic.View(), 15, 15, kBlack, 10.0f, 1000);
        uint32_t tick = 1000;
        for (size_t i = 0; i < c.moves.size(); ++i) {
            const std::vector<uint32_t> before = pic.px;
            const InkStroke was = s;
            tick += 20;
            InkSegment(&s, pic.View(), 15 + c.moves[i].first, 15 + c.moves[i].second, kBlack, 10.0f, tick);
            EXPECT_FLOAT_EQ(s.smoothX, was.smoothX + (15 + c.moves[i].first - was.smoothX) * 0.32f) << c.name;
            EXPECT_FLOAT_EQ(s.smoothY, was.smoothY + (15 + c.moves[i].second - was.smoothY) * 0.32f) << c.name;
            if (c.draws[i]) {
                EXPECT_NE(pic.px, before) << c.name << " move " << i;
                EXPECT_EQ(s.lastTick, tick) << c.name;
                EXPECT_EQ(s.prevX, s.smoothX) << c.name;
            } else {
                EXPECT_EQ(pic.px, before) << c.name << " move " << i;
                EXPECT_EQ(s.lastTick, was.lastTick) << c.name;
                EXPECT_EQ(s.prevX, was.prevX) << c.name;
                EXPECT_EQ(s.prevY, was.prevY) << c.name;
                EXPECT_EQ(s.pressure, was.pressure) << c.name;
                EXPECT_EQ(s.speed, was.speed) << c.name;
            }
        }
    }
}

TEST(FreehandInk, ElapsedTimeIsClampedAndSetsSpeedAndPressure) {
    // A move from (0, 5) to (10, 5) is smoothed to 3.2 px. speed = 3.2 / dt * 0.3; q = speed / 700;
    // target = q > 1 ? 0.12 : (1 - q) * 0.88 + 0.12; pressure = 0.28 + (target - 0.28) * 0.22.
    const struct {
        uint32_t gap;
        float speed, pressure;
    } cases[] = {
        // At least 1 ms; this fast the target is 0.12.
        {0, 960.0f, 0.2448f},
        {1, 960.0f, 0.2448f},
        {16, 60.0f, 0.4218057f},
        {50, 19.2f, 0.4330898f},
        // At most 80 ms. A clock that went back one tick is a long pause, not a short one.
        {80, 12.0f, 0.4350811f},
        {81, 12.0f, 0.4350811f},
        {5000, 12.0f, 0.4350811f},
        {0xFFFFFFFFu, 12.0f, 0.4350811f},
    };
    for (const auto& c : cases) {
        Picture pic(20, 10, kWhite);
        InkStroke s;
        InkStart(&s, pic.View(), 0, 5, kBlack, 2.4f, 7000);
        InkSegment(&s, pic.View(), 10, 5, kBlack, 2.4f, 7000 + c.gap);
        EXPECT_NEAR(s.speed, c.speed, c.speed * 1e-5f) << "gap " << c.gap;
        EXPECT_NEAR(s.pressure, c.pressure, 1e-5f) << "gap " << c.gap;
        EXPECT_EQ(s.lastTick, 7000 + c.gap);
    }
}

TEST(FreehandInk, TickWrapAroundIsAnOrdinaryGap) {
    const struct {
        uint32_t start, move;
    } cases[] = {{1000, 1032}, {0xFFFFFFF0u, 0x10u}, {0xFFFFFFE0u, 0u}, {0xFFFFFFFFu, 31u}};
    Picture reference(20, 10, kWhite);
    for (size_t i = 0; i < std::size(cases); ++i) {
        Picture pic(20, 10, kWhite);
        InkStroke s;
        InkStart(&s, pic.View(), 2, 5, kBlack, 2.4f, cases[i].start);
        InkSegment(&s, pic.View(), 12, 5, kBlack, 2.4f, cases[i].move);
        InkFinish(&s, pic.View(), kBlack, 2.4f);
        // 3.2 px in 32 ms: 30 px/s, where the 80 ms ceiling would give 12.
        EXPECT_NEAR(s.speed, 30.0f, 1e-3f) << std::hex << cases[i].start;
        if (i == 0)
            reference = pic;
        else
            EXPECT_EQ(pic.px, reference.px) << std::hex << cases[i].start;
    }
}

struct Mark {
    int pixels = 0;
    long darkness = 0;
    float pressure = 0;
};

Mark StrokeMark(uint32_t tickStep) {
    Picture pic(60, 25, kWhite);
    InkStroke s;
    uint32_t tick = 100;
    InkStart(&s, pic.View(), 5, 10, kBlack, 3.4f, tick);
    const std::pair<int, int> path[] = {{10, 10}, {15, 11}, {20, 12}, {25, 12}, {30, 12}, {35, 12}, {40, 12}, {45, 12}};
    for (const auto& [x, y] : path)
        InkSegment(&s, pic.View(), x, y, kBlack, 3.4f, tick += tickStep);
    Mark m;
    m.pressure = s.pressure;
    InkFinish(&s, pic.View(), kBlack, 3.4f);
    for (uint32_t p : pic.px) {
        const int grey = static_cast<int>(p >> 16 & 0xFF);
        m.pixels += grey != 255;
        m.darkness += 255 - grey;
    }
    return m;
}

TEST(FreehandInk, SlowStrokeDrawsHeavierThanAFastOne) {
    // Moves of at most 5 px; each move takes the pressure 0.22 of the way to its target. 80 ms apart the pen
    // stays under 70 px/s, so the target stays above 0.92 and eight moves leave more than 0.8. 1 ms apart it is
    // past 700 px/s from the second move on (target 0.12): 0.12 + 0.19 * 0.78^7 < 0.16 after eight.
    const Mark slow = StrokeMark(80), fast = StrokeMark(1);
    EXPECT_GT(slow.pressure, 0.8f);
    EXPECT_LT(fast.pressure, 0.16f);
    EXPECT_GE(slow.pixels, fast.pixels);
    EXPECT_GT(slow.darkness, fast.darkness);
}

TEST(FreehandInk, LongMoveIsDrawnWithAtMost128Dabs) {
    // Width 10 and a smoothed move of 3,200 px: 1,143 steps at 2.8 px, cut to 128, i.e. 25 px apart, each dab
    // about 10 px wide. Together with the start dab there are 129 separate marks on the stroke's row.
    Picture pic(3210, 12, kWhite);
    InkStroke s;
    InkStart(&s, pic.View(), 0, 5, kBlack, 10.0f, 0);
    InkSegment(&s, pic.View(), 10000, 5, kBlack, 10.0f, 16);
    EXPECT_FLOAT_EQ(s.prevX, 3200.0f);
    int marks = 0;
    bool inMark = false;
    for (int x = 0; x < pic.width; ++x) {
        const bool inked = pic.At(x, 5) != kWhite;
        marks += inked && !inMark;
        inMark = inked;
    }
    EXPECT_EQ(marks, 129);
}

TEST(FreehandInk, NothingHappensOutsideAStroke) {
    Picture pic(20, 20, kWhite);
    InkStroke s;
    InkSegment(&s, pic.View(), 10, 10, kBlack, 2.4f, 10);
    InkFinish(&s, pic.View(), kBlack, 2.4f);
    EXPECT_EQ(pic.Drawn(), Picture(20, 20, kWhite).Drawn());
    EXPECT_FALSE(s.active);
    EXPECT_EQ(s.smoothX, 0.0f);

    InkStart(&s, pic.View(), 10, 10, kBlack, 2.4f, 10);
    InkFinish(&s, pic.View(), kBlack, 2.4f);
    const std::vector<uint32_t> finished = pic.px;
    InkFinish(&s, pic.View(), kBlack, 2.4f);
    InkSegment(&s, pic.View(), 15, 15, kBlack, 2.4f, 30);
    EXPECT_EQ(pic.px, finished);
}

} // namespace
