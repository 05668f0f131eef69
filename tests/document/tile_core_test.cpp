#include "document/tile_core.h"

#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint32_t> Picture(int w, int h, uint32_t seed) {
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<uint32_t>((i + seed) * 2654435761u);
    return px;
}

TEST(TileDiff, OnePixelChangedInEachCornerAndEdgeTileGivesExactlyThatTile) {
    // 150 x 100: columns of 64, 64, 22; rows of 64 and 36 (counted from the first stored row).
    const int w = 150, h = 100;
    const std::vector<uint32_t> a = Picture(w, h, 1);
    struct Case {
        int x, y; // memory column and row
        uint32_t tile;
    } cases[] = {{0, 0, 0},   {149, 0, 2},  {0, 99, 3},   {149, 99, 5}, {63, 63, 0},
                 {64, 63, 1}, {128, 64, 5}, {100, 50, 1}, {20, 70, 3}};
    for (const Case& c : cases) {
        std::vector<uint32_t> b = a;
        b[static_cast<size_t>(c.y) * w + c.x] ^= 1u; // one bit of one pixel
        std::vector<uint32_t> tiles;
        ASSERT_TRUE(ChangedTiles(a.data(), b.data(), w, h, &tiles));
        EXPECT_EQ(tiles, std::vector<uint32_t>{c.tile}) << c.x << ", " << c.y;
    }
    std::vector<uint32_t> tiles;
    ASSERT_TRUE(ChangedTiles(a.data(), a.data(), w, h, &tiles));
    EXPECT_TRUE(tiles.empty()) << "none";
    const std::vector<uint32_t> other = Picture(w, h, 7);
    ASSERT_TRUE(ChangedTiles(a.data(), other.data(), w, h, &tiles));
    EXPECT_EQ(tiles, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5})) << "every tile";
}

// A picture big enough that two threads share the comparison, changed on both sides of where they split and at
// the last band: every changed tile is found, in order.
TEST(TileDiff, ABigPictureComparedByTwoThreadsGivesEveryChangedTileInOrder) {
    const int w = 4100, h = 4100; // 65 x 65 tiles, 16.8 million pixels
    std::vector<uint32_t> a(static_cast<size_t>(w) * h, 0xFFFFFFFFu);
    std::vector<uint32_t> b = a;
    const int columns = 65;
    struct Change {
        int x, y;
    } changes[] = {{0, 0}, {4099, 2047}, {5, 2048}, {2100, 2111}, {64, 2112}, {4099, 4099}};
    std::vector<uint32_t> expected;
    for (const Change& c : changes) {
        b[static_cast<size_t>(c.y) * w + c.x] = 0xFF000000u;
        expected.push_back(static_cast<uint32_t>((c.y / 64) * columns + c.x / 64));
    }
    std::sort(expected.begin(), expected.end());
    std::vector<uint32_t> tiles;
    ASSERT_TRUE(ChangedTiles(a.data(), b.data(), w, h, &tiles));
    EXPECT_EQ(tiles, expected);
}

TEST(TileDiff, PackAndUnpackMoveExactlyTheTilesCutShortAtTheEdges) {
    const int w = 70, h = 65;
    const TileGrid g = TileGridOf(w, h);
    EXPECT_EQ(g.columns, 2);
    EXPECT_EQ(g.rows, 2);
    const std::vector<uint32_t> tiles = {1, 2, 3};
    EXPECT_EQ(TilePixelCount(g, tiles), 6u * 64u + 64u * 1u + 6u * 1u);
    const std::vector<uint32_t> a = Picture(w, h, 3);
    std::vector<uint32_t> packed(TilePixelCount(g, tiles));
    PackTiles(a.data(), g, tiles, packed.data());
    std::vector<uint32_t> b(a.size(), 0);
    UnpackTiles(b.data(), g, tiles, packed.data());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inTile0 = x < 64 && y < 64;
            EXPECT_EQ(b[static_cast<size_t>(y) * w + x], inTile0 ? 0u : a[static_cast<size_t>(y) * w + x]);
        }
}

// A model of the history: every level's state kept whole by the test, the real one by tiles against a shadow.
struct Model {
    int w = 0, h = 0;
    std::vector<uint32_t> picture;
    Shadow shadow;
    std::vector<LevelContent> undo, redo;
    bool open = false; // the newest undo level waits for its tiles
    std::vector<std::pair<int, std::vector<uint32_t>>> undoStates, redoStates; // (width, pixels) kept whole
    int widthOf(const std::vector<std::pair<int, std::vector<uint32_t>>>& s) { return s.back().first; }

    PixelView View() { return {picture.data(), w, h}; }
    bool Close() {
        if (!open) return true;
        open = false;
        return CloseLevel(&shadow, View(), &undo.back());
    }
    void Push() {
        ASSERT_TRUE(Close());
        if (!shadow.Valid()) {
            ASSERT_TRUE(ResyncShadow(&shadow, View()));
        }
        undo.push_back({});
        open = true;
        redo.clear();
        redoStates.clear();
        undoStates.push_back({w, picture});
    }
    // Moves the last level of one stack to the other, as Undo and Redo do.
    void Step(std::vector<LevelContent>& from, std::vector<LevelContent>& to) {
        ASSERT_TRUE(Close());
        LevelContent target = std::move(from.back());
        from.pop_back();
        LevelContent back;
        ASSERT_TRUE(ReverseLevel(target, &shadow, true, &back));
        ASSERT_TRUE(ApplyToShadow(target, &shadow));
        w = shadow.width;
        h = shadow.height;
        picture = shadow.pixels;
        to.push_back(std::move(back));
    }
};

TEST(TileHistory, RandomChangesWithUndoAndRedoAtRandomPointsAlwaysComeBackExactly) {
    std::mt19937 rng(12345u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    Model m;
    m.w = 130, m.h = 90;
    m.picture.assign(static_cast<size_t>(m.w) * m.h, 0xFFFFFFFFu);
    for (int step = 0; step < 600 && std::chrono::steady_clock::now() < deadline; ++step) {
        const int op = std::uniform_int_distribution<int>(0, 9)(rng);
        if (op <= 1 && !m.undo.empty()) { // Undo: the picture must be the state the level was taken of
            const std::pair<int, std::vector<uint32_t>> expected = m.undoStates.back();
            std::vector<uint32_t> now = m.picture;
            const int nowWidth = m.w;
            m.Step(m.undo, m.redo);
            m.undoStates.pop_back();
            m.redoStates.push_back({nowWidth, now});
            ASSERT_EQ(m.w, expected.first) << "step " << step;
            ASSERT_EQ(m.picture, expected.second) << "step " << step;
            continue;
        }
        if (op == 2 && !m.redo.empty()) {
            const std::pair<int, std::vector<uint32_t>> expected = m.redoStates.back();
            m.undoStates.push_back({m.w, m.picture});
            m.Step(m.redo, m.undo);
            m.redoStates.pop_back();
            ASSERT_EQ(m.w, expected.first) << "step " << step;
            ASSERT_EQ(m.picture, expected.second) << "step " << step;
            continue;
        }
        m.Push();
        if (op == 3) { // a fill of the whole picture
            std::fill(m.picture.begin(), m.picture.end(), rng());
        } else if (op == 4) { // a size change
            const int nw = std::uniform_int_distribution<int>(1, 200)(rng);
            const int nh = std::uniform_int_distribution<int>(1, 150)(rng);
            std::vector<uint32_t> next(static_cast<size_t>(nw) * nh, 0xFF0000FFu);
            for (int y = 0; y < std::min(nh, m.h); ++y)
                for (int x = 0; x < std::min(nw, m.w); ++x)
                    next[static_cast<size_t>(y) * nw + x] = m.picture[static_cast<size_t>(y) * m.w + x];
            m.w = nw, m.h = nh, m.picture = next;
        } else if (op != 5) { // a stroke: a few pixels near each other; op 5 changes nothing
            const int x = std::uniform_int_distribution<int>(0, m.w - 1)(rng);
            const int y = std::uniform_int_distribution<int>(0, m.h - 1)(rng);
            for (int k = 0; k < 12; ++k) {
                const int px = std::min(m.w - 1, x + k), py = std::min(m.h - 1, y + k / 3);
                m.picture[static_cast<size_t>(py) * m.w + px] = rng();
            }
        }
    }
    // Undo all the way back: the white 130 x 90 start.
    while (!m.undo.empty()) {
        m.Step(m.undo, m.redo);
        m.undoStates.pop_back();
    }
    EXPECT_EQ(m.w, 130);
    EXPECT_EQ(m.picture, std::vector<uint32_t>(static_cast<size_t>(130) * 90, 0xFFFFFFFFu));
}

TEST(TileHistory, ALevelThatDoesNotFitTheShadowIsRefused) {
    Shadow shadow;
    const std::vector<uint32_t> px(100 * 80, 5u);
    ASSERT_TRUE(ResyncShadow(&shadow, {const_cast<uint32_t*>(px.data()), 100, 80}));
    LevelContent bad;
    bad.width = 100, bad.height = 80, bad.whole = false, bad.tiles = {99};
    bad.pixels.assign(4096, 1);
    EXPECT_FALSE(ApplyToShadow(bad, &shadow)) << "a tile past the grid";
    bad.tiles = {0};
    bad.pixels.assign(10, 1);
    EXPECT_FALSE(ApplyToShadow(bad, &shadow)) << "too few pixels";
    EXPECT_EQ(shadow.pixels, px);
}

} // namespace
