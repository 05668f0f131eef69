// Undo levels by changed tiles against whole copies: the cost of one stroke's level (finding its tiles against
// the shadow) next to the old full-copy snapshot and a plain memcpy of the picture, on 4,000 x 3,000 and
// 10,000 x 10,000; and, for 100 strokes of each kind, the bytes a spool file of each level would take. Run with
// --benchmark_filter=TileUndo.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "document/tile_core.h"
#include "document/undo_core.h"

namespace {

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{4000, 3000}, {10000, 10000}};

std::vector<uint32_t>& Picture(int s) {
    static std::vector<uint32_t> pictures[2];
    if (pictures[s].empty()) pictures[s].assign(static_cast<size_t>(kSizes[s].w) * kSizes[s].h, 0xFFFFFFFFu);
    return pictures[s];
}

// One stroke's level: the shadow against the picture after a one-pixel change, then the pixel back.
void TileLevel(benchmark::State& state) {
    const Size z = kSizes[state.range(0)];
    std::vector<uint32_t>& picture = Picture(static_cast<int>(state.range(0)));
    Shadow shadow;
    if (!ResyncShadow(&shadow, {picture.data(), z.w, z.h})) state.SkipWithError("no memory");
    uint64_t spool = 0;
    int n = 0;
    for (auto _ : state) {
        const size_t at = static_cast<size_t>(n % z.h) * z.w + static_cast<size_t>(n * 7 % z.w);
        picture[at] ^= 0x00010101u;
        LevelContent level;
        if (!CloseLevel(&shadow, {picture.data(), z.w, z.h}, &level)) state.SkipWithError("no memory");
        spool = SpoolFileBytes(level);
        benchmark::DoNotOptimize(level.pixels.data());
        ++n;
    }
    state.counters["spool_bytes"] = static_cast<double>(spool);
}

// The old level: a whole copy of the picture into a new buffer.
void FullCopyLevel(benchmark::State& state) {
    const Size z = kSizes[state.range(0)];
    const std::vector<uint32_t>& picture = Picture(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<uint32_t> level;
        if (!TryAllocatePixels(picture.size(), &level)) state.SkipWithError("no memory");
        std::memcpy(level.data(), picture.data(), picture.size() * 4);
        benchmark::DoNotOptimize(level.data());
    }
    state.counters["spool_bytes"] = static_cast<double>(kSpoolHeaderBytes + PictureBytes(z.w, z.h));
}

void PlainMemcpy(benchmark::State& state) {
    const std::vector<uint32_t>& picture = Picture(static_cast<int>(state.range(0)));
    static std::vector<uint32_t> target;
    target.resize(picture.size());
    for (auto _ : state) {
        std::memcpy(target.data(), picture.data(), picture.size() * 4);
        benchmark::DoNotOptimize(target.data());
    }
}

// 100 strokes of one kind on 4,000 x 3,000: milliseconds and spool bytes per stroke, tiles and whole copies.
void StrokeKinds(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0)); // 0 dot, 1 line of 200 pixels, 2 whole-picture fill
    const Size z = kSizes[0];
    std::vector<uint32_t> picture(static_cast<size_t>(z.w) * z.h, 0xFFFFFFFFu);
    Shadow shadow;
    double seconds = 0;
    uint64_t spool = 0;
    for (auto _ : state) {
        if (!ResyncShadow(&shadow, {picture.data(), z.w, z.h})) state.SkipWithError("no memory");
        seconds = 0;
        spool = 0;
        for (int i = 0; i < 100; ++i) {
            const uint32_t colour = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
            const int y = (i * 29) % z.h, x = (i * 37) % (z.w - 200);
            if (kind == 0) picture[static_cast<size_t>(y) * z.w + x] = colour;
            if (kind == 1)
                for (int k = 0; k < 200; ++k)
                    picture[static_cast<size_t>(y) * z.w + x + k] = colour;
            if (kind == 2) std::fill(picture.begin(), picture.end(), colour);
            const auto start = std::chrono::steady_clock::now();
            LevelContent level;
            if (!CloseLevel(&shadow, {picture.data(), z.w, z.h}, &level)) state.SkipWithError("no memory");
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            spool += SpoolFileBytes(level);
        }
    }
    state.counters["ms_per_stroke"] = seconds * 1e3 / 100;
    state.counters["spool_bytes_per_stroke"] = static_cast<double>(spool) / 100;
    state.counters["full_copy_bytes_per_stroke"] = static_cast<double>(kSpoolHeaderBytes + PictureBytes(z.w, z.h));
}

BENCHMARK(TileLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Name("TileUndo/stroke_level");
BENCHMARK(FullCopyLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Name("TileUndo/full_copy_level");
BENCHMARK(PlainMemcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Name("TileUndo/memcpy");
BENCHMARK(StrokeKinds)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Name("TileUndo/100_strokes");

} // namespace
