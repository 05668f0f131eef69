// Fuzzy select's region against the flood fill of the same region, on a 4,000 x 3,000 picture of one colour and
// on the maze of one-pixel corridors. Run with --benchmark_filter=Fuzzy; the FuzzyRatios rows compare them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "tools/fill_core.h"
#include "tools/fuzzy_core.h"

namespace {

const std::vector<uint32_t>& Scene(int scene) {
    static const std::vector<uint32_t> whole(static_cast<size_t>(bench::kWidth) * bench::kHeight, bench::kOpen);
    static const std::vector<uint32_t> maze = bench::MakeMaze();
    return scene == 0 ? whole : maze;
}
const char* const kScenes[] = {"whole", "maze"};
std::map<std::pair<int, int>, double> g_mean; // (method 0 region, 1 fill; scene) -> seconds

void Timed(benchmark::State& state, int method, int scene) {
    std::vector<uint32_t> work = Scene(scene);
    const PixelView v{work.data(), bench::kWidth, bench::kHeight};
    const int x = scene == 0 ? bench::kWidth / 2 : 1, y = scene == 0 ? bench::kHeight / 2 : 1;
    double total = 0;
    for (auto _ : state) {
        std::copy(Scene(scene).begin(), Scene(scene).end(), work.begin());
        const auto start = std::chrono::steady_clock::now();
        bool ok;
        if (method == 0) {
            SimilarRegion r;
            ok = FindSimilarRegion(v, x, y, 15, &r) == RegionResult::Found;
            benchmark::DoNotOptimize(r.mask.data());
        } else {
            ok = FloodFill(v, x, y, 0xFFFF0000u) == FillResult::Filled;
            benchmark::DoNotOptimize(work.data());
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok) {
            state.SkipWithError("did not run");
            break;
        }
        state.SetIterationTime(s);
        total += s;
    }
    if (state.iterations() > 0) g_mean[{method, scene}] = total / static_cast<double>(state.iterations());
}

void Ratios(benchmark::State& state, int scene) {
    for (auto _ : state) {
    }
    const auto r = g_mean.find({0, scene}), f = g_mean.find({1, scene});
    if (r == g_mean.end() || f == g_mean.end()) {
        state.SkipWithError("needs the Fuzzy rows of this scene");
        return;
    }
    state.counters["region_ms"] = r->second * 1e3;
    state.counters["fill_ms"] = f->second * 1e3;
    state.counters["region_per_fill"] = r->second / f->second;
}

const int g_registered = [] {
    for (int scene : {0, 1}) {
        for (int method : {0, 1})
            benchmark::RegisterBenchmark(
                (std::string("Fuzzy/") + (method == 0 ? "region/" : "fill/") + kScenes[scene]).c_str(),
                [method, scene](benchmark::State& st) { Timed(st, method, scene); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("FuzzyRatios/") + kScenes[scene]).c_str(), [scene](
                                                                                                 benchmark::State& st) {
            Ratios(st, scene);
        })->Iterations(1);
    }
    return 0;
}();

} // namespace
