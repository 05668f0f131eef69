// The quarter turn and the stretch to 200 % and to 50 % of a 4,000 x 3,000 picture against one memcpy of its
// 48,000,000 bytes. Run with --benchmark_filter=Transform; the TransformRatios row compares them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "filters/transform_core.h"
#include "tools/selection_core.h"

namespace {

using bench::kHeight;
using bench::kWidth;

enum Method { kCopy, kRotate, kStretchUp, kStretchDown };
const char* const kNames[] = {"memcpy", "rotate90", "stretch200", "stretch50"};
std::map<int, double> g_mean; // method -> seconds per run

const std::vector<uint32_t>& Source() {
    static const std::vector<uint32_t> px = [] {
        std::vector<uint32_t> v(static_cast<size_t>(kWidth) * kHeight);
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
        return v;
    }();
    return px;
}

void Timed(benchmark::State& state, int method) {
    std::vector<uint32_t> src = Source();
    const int w = method == kStretchUp ? 2 * kWidth : method == kStretchDown ? kWidth / 2 : kWidth;
    const int h = method == kStretchUp ? 2 * kHeight : method == kStretchDown ? kHeight / 2 : kHeight;
    std::vector<uint32_t> dst(static_cast<size_t>(w) * h);
    const PixelView from{src.data(), kWidth, kHeight};
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        switch (method) {
        case kCopy: std::memcpy(dst.data(), src.data(), src.size() * sizeof(uint32_t)); break;
        case kRotate: RotatePixels90(from, {dst.data(), kHeight, kWidth}); break;
        default: ScalePixelsNearest(from, {dst.data(), w, h}); break;
        }
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(s);
        total += s;
    }
    if (state.iterations() > 0) g_mean[method] = total / static_cast<double>(state.iterations());
}

void Ratios(benchmark::State& state) {
    for (auto _ : state) {
    }
    if (g_mean.size() < 4) {
        state.SkipWithError("needs every Transform row");
        return;
    }
    const double copy = g_mean[kCopy];
    state.counters["memcpy_ms"] = copy * 1e3;
    for (int m : {kRotate, kStretchUp, kStretchDown}) {
        state.counters[std::string(kNames[m]) + "_ms"] = g_mean[m] * 1e3;
        state.counters[std::string(kNames[m]) + "_per_memcpy"] = g_mean[m] / copy;
    }
}

const int g_registered = [] {
    for (int m : {kCopy, kRotate, kStretchUp, kStretchDown})
        benchmark::RegisterBenchmark((std::string("Transform/") + kNames[m]).c_str(),
                                     [m](benchmark::State& st) { Timed(st, m); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("TransformRatios", Ratios)->Iterations(1);
    return 0;
}();

} // namespace
