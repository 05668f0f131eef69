// Undo levels by changed tiles: the picture's state at the last history event is kept as a shadow; a level
// holds, of the state it returns to, only the tiles that differ from the state after it (every byte compared),
// or the whole picture across a size change. Pixels are in the picture's layout (bottom-up rows); tiles are
// counted from the first stored row, kTileSide x kTileSide pixels, the last column and row cut short.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/pixel_core.h"

constexpr int kTileSide = 64;

struct TileGrid {
    int width = 0, height = 0;
    int columns = 0, rows = 0;
    uint32_t Count() const { return static_cast<uint32_t>(columns) * static_cast<uint32_t>(rows); }
};
TileGrid TileGridOf(int width, int height);

// The picture as it was at the last push, Undo or Redo.
struct Shadow {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // empty: not in step with the picture
    bool Valid() const { return !pixels.empty(); }
};

// What one level holds: the state it returns to, whole or as tiles of it.
struct LevelContent {
    int width = 0, height = 0;
    bool whole = true;
    std::vector<uint32_t> tiles;  // increasing tile indices when not whole
    std::vector<uint32_t> pixels; // the whole picture, or the listed tiles packed in index order
    uint64_t MemoryBytes() const { return (static_cast<uint64_t>(pixels.size()) + tiles.size()) * 4u; }
};

// The tiles where two pictures of one size differ, in increasing order; false when memory runs out.
[[nodiscard]] bool ChangedTiles(const uint32_t* a, const uint32_t* b, int width, int height,
                                std::vector<uint32_t>* tiles);
// Pixels in the listed tiles, in total.
uint64_t TilePixelCount(const TileGrid& grid, const std::vector<uint32_t>& tiles);
// Copies the listed tiles of a picture into packed, or packed tiles into a picture.
void PackTiles(const uint32_t* picture, const TileGrid& grid, const std::vector<uint32_t>& tiles, uint32_t* packed);
void UnpackTiles(uint32_t* picture, const TileGrid& grid, const std::vector<uint32_t>& tiles, const uint32_t* packed);
// Copies the listed tiles from one picture to another of the same size.
void CopyTiles(uint32_t* to, const uint32_t* from, const TileGrid& grid, const std::vector<uint32_t>& tiles);

// Makes the shadow a copy of current; false without memory (the shadow is then empty).
[[nodiscard]] bool ResyncShadow(Shadow* shadow, const PixelView& current);
// The level the shadow's state needs to come back once the picture became current: the changed tiles of the
// shadow, or the whole shadow when the size changed. The shadow then is current. False without memory, with
// level and shadow as they were.
[[nodiscard]] bool CloseLevel(Shadow* shadow, const PixelView& current, LevelContent* level);
// The level that returns from target's state to the shadow's: the same tiles of the shadow, or the whole
// shadow. takeShadow gives the whole shadow away instead of copying it (the shadow is then empty). False
// without memory.
[[nodiscard]] bool ReverseLevel(const LevelContent& target, Shadow* shadow, bool takeShadow, LevelContent* reverse);
// Brings the shadow to target's state: a whole level's pixels are taken, a level of tiles is copied. False when
// the level does not fit the shadow (the shadow is then left as it was).
[[nodiscard]] bool ApplyToShadow(LevelContent& target, Shadow* shadow);
