#include "document/tile_core.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "document/undo_core.h"

TileGrid TileGridOf(int width, int height) {
    if (width < 1 || height < 1) return {};
    return {width, height, (width + kTileSide - 1) / kTileSide, (height + kTileSide - 1) / kTileSide};
}

namespace {

struct TileBox {
    int x, y, w, h; // memory row y
};

TileBox BoxOf(const TileGrid& g, uint32_t index) {
    const int col = static_cast<int>(index % static_cast<uint32_t>(g.columns));
    const int row = static_cast<int>(index / static_cast<uint32_t>(g.columns));
    const int x = col * kTileSide, y = row * kTileSide;
    return {x, y, std::min(kTileSide, g.width - x), std::min(kTileSide, g.height - y)};
}

} // namespace

namespace {

// The changed tiles of bands first..last-1, in order, appended to out. Throws std::bad_alloc.
void ChangedTilesOfBands(const uint32_t* a, const uint32_t* b, const TileGrid& g, int first, int last,
                         std::vector<uint32_t>* out) {
    const size_t stride = static_cast<size_t>(g.width);
    for (int band = first; band < last; ++band) {
        const int y0 = band * kTileSide, rows = std::min(kTileSide, g.height - y0);
        const size_t offset = static_cast<size_t>(y0) * stride;
        // A band of whole rows is one block of memory: most of the picture is passed in one comparison.
        if (std::memcmp(a + offset, b + offset, static_cast<size_t>(rows) * stride * 4) == 0) continue;
        for (int col = 0; col < g.columns; ++col) {
            const int x0 = col * kTileSide, w = std::min(kTileSide, g.width - x0);
            for (int r = 0; r < rows; ++r) {
                const size_t at = offset + static_cast<size_t>(r) * stride + static_cast<size_t>(x0);
                if (std::memcmp(a + at, b + at, static_cast<size_t>(w) * 4) != 0) {
                    out->push_back(static_cast<uint32_t>(band) * static_cast<uint32_t>(g.columns) +
                                   static_cast<uint32_t>(col));
                    break;
                }
            }
        }
    }
}

// From this many pixels on, a second thread compares the lower half of the bands: one thread alone does not
// reach what the memory can deliver, and a starting thread costs far less than comparing a picture this big.
constexpr int64_t kPixelsForTwoThreads = int64_t{16} << 20;

} // namespace

bool ChangedTiles(const uint32_t* a, const uint32_t* b, int width, int height, std::vector<uint32_t>* tiles) {
    const TileGrid g = TileGridOf(width, height);
    std::vector<uint32_t> out, second;
    try {
        const int mid = g.rows / 2;
        std::thread helper;
        bool helperFailed = false;
        if (static_cast<int64_t>(width) * height >= kPixelsForTwoThreads && std::thread::hardware_concurrency() > 1) {
            try {
                helper = std::thread([&] {
                    try {
                        ChangedTilesOfBands(a, b, g, mid, g.rows, &second);
                    } catch (const std::bad_alloc&) {
                        helperFailed = true;
                    }
                });
            } catch (const std::system_error&) {
                // No thread to be had: the one here compares everything.
            }
        }
        ChangedTilesOfBands(a, b, g, 0, helper.joinable() ? mid : g.rows, &out);
        if (helper.joinable()) {
            helper.join();
            if (helperFailed) return false;
            out.insert(out.end(), second.begin(), second.end());
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    tiles->swap(out);
    return true;
}

uint64_t TilePixelCount(const TileGrid& g, const std::vector<uint32_t>& tiles) {
    uint64_t n = 0;
    for (uint32_t t : tiles) {
        const TileBox b = BoxOf(g, t);
        n += static_cast<uint64_t>(b.w) * static_cast<uint64_t>(b.h);
    }
    return n;
}

void PackTiles(const uint32_t* picture, const TileGrid& g, const std::vector<uint32_t>& tiles, uint32_t* packed) {
    for (uint32_t t : tiles) {
        const TileBox b = BoxOf(g, t);
        for (int r = 0; r < b.h; ++r) {
            std::memcpy(packed, picture + static_cast<size_t>(b.y + r) * g.width + b.x, static_cast<size_t>(b.w) * 4);
            packed += b.w;
        }
    }
}

void UnpackTiles(uint32_t* picture, const TileGrid& g, const std::vector<uint32_t>& tiles, const uint32_t* packed) {
    for (uint32_t t : tiles) {
        const TileBox b = BoxOf(g, t);
        for (int r = 0; r < b.h; ++r) {
            std::memcpy(picture + static_cast<size_t>(b.y + r) * g.width + b.x, packed, static_cast<size_t>(b.w) * 4);
            packed += b.w;
        }
    }
}

void CopyTiles(uint32_t* to, const uint32_t* from, const TileGrid& g, const std::vector<uint32_t>& tiles) {
    for (uint32_t t : tiles) {
        const TileBox b = BoxOf(g, t);
        for (int r = 0; r < b.h; ++r) {
            const size_t at = static_cast<size_t>(b.y + r) * g.width + b.x;
            std::memcpy(to + at, from + at, static_cast<size_t>(b.w) * 4);
        }
    }
}

bool ResyncShadow(Shadow* shadow, const PixelView& current) {
    std::vector<uint32_t> copy;
    if (!current.px || !TryAllocatePixels(PictureBytes(current.width, current.height) / 4, &copy)) {
        *shadow = {};
        return false;
    }
    std::memcpy(copy.data(), current.px, copy.size() * 4);
    shadow->pixels.swap(copy);
    shadow->width = current.width;
    shadow->height = current.height;
    return true;
}

bool CloseLevel(Shadow* shadow, const PixelView& current, LevelContent* level) {
    if (!shadow->Valid() || !current.px) return false;
    if (shadow->width != current.width || shadow->height != current.height) {
        // Across a size change the level is the whole state; the shadow starts again from the new picture.
        Shadow fresh;
        if (!ResyncShadow(&fresh, current)) return false;
        level->width = shadow->width;
        level->height = shadow->height;
        level->whole = true;
        level->tiles.clear();
        level->pixels.swap(shadow->pixels);
        *shadow = std::move(fresh);
        return true;
    }
    std::vector<uint32_t> tiles, packed;
    const TileGrid g = TileGridOf(current.width, current.height);
    if (!ChangedTiles(shadow->pixels.data(), current.px, current.width, current.height, &tiles) ||
        !TryAllocatePixels(TilePixelCount(g, tiles), &packed))
        return false;
    PackTiles(shadow->pixels.data(), g, tiles, packed.data());
    // The shadow takes the state that is the picture now.
    CopyTiles(shadow->pixels.data(), current.px, g, tiles);
    level->width = current.width;
    level->height = current.height;
    level->whole = false;
    level->tiles.swap(tiles);
    level->pixels.swap(packed);
    return true;
}

bool ReverseLevel(const LevelContent& target, Shadow* shadow, bool takeShadow, LevelContent* reverse) {
    if (!shadow->Valid()) return false;
    LevelContent r;
    r.width = shadow->width;
    r.height = shadow->height;
    if (target.whole || target.width != shadow->width || target.height != shadow->height) {
        r.whole = true;
        if (takeShadow) {
            r.pixels.swap(shadow->pixels);
        } else if (!TryAllocatePixels(shadow->pixels.size(), &r.pixels)) {
            return false;
        } else {
            std::memcpy(r.pixels.data(), shadow->pixels.data(), shadow->pixels.size() * 4);
        }
    } else {
        const TileGrid g = TileGridOf(shadow->width, shadow->height);
        r.whole = false;
        try {
            r.tiles = target.tiles;
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!TryAllocatePixels(TilePixelCount(g, r.tiles), &r.pixels)) return false;
        PackTiles(shadow->pixels.data(), g, r.tiles, r.pixels.data());
    }
    *reverse = std::move(r);
    return true;
}

bool ApplyToShadow(LevelContent& target, Shadow* shadow) {
    if (target.whole) {
        if (target.pixels.size() != PictureBytes(target.width, target.height) / 4) return false;
        shadow->pixels.swap(target.pixels);
        shadow->width = target.width;
        shadow->height = target.height;
        std::vector<uint32_t>().swap(target.pixels);
        return true;
    }
    const TileGrid g = TileGridOf(shadow->width, shadow->height);
    if (!shadow->Valid() || target.width != shadow->width || target.height != shadow->height ||
        target.pixels.size() != TilePixelCount(g, target.tiles))
        return false;
    for (uint32_t t : target.tiles)
        if (t >= g.Count()) return false;
    UnpackTiles(shadow->pixels.data(), g, target.tiles, target.pixels.data());
    return true;
}
