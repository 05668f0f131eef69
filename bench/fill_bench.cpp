// The flood fill against a plain write of the same bytes and against a per-pixel queue fill, on a 4,000 x 3,000
// picture of one colour and on a maze of one-pixel corridors. Run with --benchmark_filter=Fill; the FillRatios rows
// carry the comparison.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench_scenes.h"
#include "tools/fill_core.h"

namespace {

using bench::kHeight;
using bench::kOpen;
using bench::kWidth;
constexpr uint32_t kFill = 0xFFFF0000u;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;

enum Scene { kWhole = 0, kMaze = 1 };
const char* const kSceneNames[] = {"whole", "maze"};

struct Seed {
    int x, y;
};
constexpr Seed kSeeds[] = {{kWidth / 2, kHeight / 2}, {1, 1}};

const std::vector<uint32_t>& ScenePixels(int scene) {
    static const std::vector<uint32_t> whole(static_cast<size_t>(kWidth) * kHeight, kOpen);
    static const std::vector<uint32_t> maze = bench::MakeMaze();
    return scene == kWhole ? whole : maze;
}

// The textbook fill: one queued point per neighbour of every filled pixel. Returns the most points it held.
size_t SimpleFill(const PixelView& v, int x, int y, uint32_t fill) {
    const uint32_t seed = ReadPixel(v, x, y) & kRgbMask;
    if (seed == (fill & kRgbMask)) return 0;
    std::queue<std::pair<int, int>> todo;
    todo.push({x, y});
    size_t peak = 1;
    // Ends: only a pixel turned from seed to fill queues points, four each.
    while (!todo.empty()) {
        const auto [px, py] = todo.front();
        todo.pop();
        if (!InPicture(v, px, py) || (ReadPixel(v, px, py) & kRgbMask) != seed) continue;
        WritePixel(v, px, py, fill);
        todo.push({px + 1, py});
        todo.push({px - 1, py});
        todo.push({px, py + 1});
        todo.push({px, py - 1});
        peak = std::max(peak, todo.size());
    }
    return peak;
}

enum Method { kOurs = 0, kMemset = 1, kSimple = 2 };
const char* const kMethodNames[] = {"ours", "memset", "simple"};

// Mean seconds per fill of each method and scene, kept for the FillRatios rows that run after them.
std::map<std::pair<int, int>, double> g_meanSeconds;

// Each iteration restores the picture untimed, then times one fill.
void FillTimed(benchmark::State& state, int method, int scene) {
    const std::vector<uint32_t>& original = ScenePixels(scene);
    std::vector<uint32_t> work(original.size());
    const PixelView v{work.data(), kWidth, kHeight};
    const Seed s = kSeeds[scene];
    double total = 0;
    for (auto _ : state) {
        std::copy(original.begin(), original.end(), work.begin());
        bool ok = true;
        const auto start = std::chrono::steady_clock::now();
        switch (method) {
        case kOurs: ok = FloodFill(v, s.x, s.y, kFill) == FillResult::Filled; break;
        case kMemset: std::fill(work.begin(), work.end(), kFill); break;
        default: ok = SimpleFill(v, s.x, s.y, kFill) > 0; break;
        }
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok) {
            state.SkipWithError("the fill did not run");
            break;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (state.iterations() > 0) g_meanSeconds[{method, scene}] = total / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(work.size() * 4));
}

// The fewest queued points with which the fill still completes: its queue's peak, found by bisection.
size_t OurQueuePeak(int scene) {
    const std::vector<uint32_t>& original = ScenePixels(scene);
    std::vector<uint32_t> work(original.size());
    const PixelView v{work.data(), kWidth, kHeight};
    size_t low = 1, high = work.size();
    while (low < high) { // halves every round
        const size_t mid = low + (high - low) / 2;
        std::copy(original.begin(), original.end(), work.begin());
        if (FloodFill(v, kSeeds[scene].x, kSeeds[scene].y, kFill, mid) == FillResult::Filled)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

void FillRatios(benchmark::State& state, int scene) {
    double mean[3] = {};
    for (int m = 0; m < 3; ++m) {
        const auto found = g_meanSeconds.find({m, scene});
        if (found == g_meanSeconds.end() || found->second <= 0) {
            state.SkipWithError(
                (std::string("needs the Fill/") + kMethodNames[m] + "/" + kSceneNames[scene] + " row").c_str());
            return;
        }
        mean[m] = found->second;
    }
    // Both fills must give the same picture, or the comparison means nothing.
    std::vector<uint32_t> ours = ScenePixels(scene), simple = ours;
    const Seed s = kSeeds[scene];
    size_t simplePeak = 0;
    for (auto _ : state) {
        if (FloodFill({ours.data(), kWidth, kHeight}, s.x, s.y, kFill) != FillResult::Filled) break;
        simplePeak = SimpleFill({simple.data(), kWidth, kHeight}, s.x, s.y, kFill);
    }
    if (ours != simple) {
        state.SkipWithError("the two fills differ");
        return;
    }
    state.counters["ours_ms"] = mean[kOurs] * 1e3;
    state.counters["memset_ms"] = mean[kMemset] * 1e3;
    state.counters["simple_ms"] = mean[kSimple] * 1e3;
    state.counters["ours_per_memset"] = mean[kOurs] / mean[kMemset];
    state.counters["simple_per_ours"] = mean[kSimple] / mean[kOurs];
    state.counters["ours_queue_peak"] = static_cast<double>(OurQueuePeak(scene));
    state.counters["simple_queue_peak"] = static_cast<double>(simplePeak);
}

void RegisterFillBenchmarks() {
    for (int scene : {kWhole, kMaze}) {
        for (int method : {kOurs, kMemset, kSimple})
            benchmark::RegisterBenchmark(
                (std::string("Fill/") + kMethodNames[method] + "/" + kSceneNames[scene]).c_str(),
                [method, scene](benchmark::State& st) { FillTimed(st, method, scene); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("FillRatios/") + kSceneNames[scene]).c_str(),
                                     [scene](benchmark::State& st) { FillRatios(st, scene); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

const int g_registered = (RegisterFillBenchmarks(), 0);

} // namespace
