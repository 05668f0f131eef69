// The snip's two whole-screen passes against memcpy of the same bytes: the dimmed copy of a 7,680 x 2,160 frame
// (two 4K monitors) and the clipboard block of a 3,840 x 2,160 capture. Run with --benchmark_filter=Snip; the
// SnipRatios rows compare them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "capture/snip_core.h"

namespace {

struct Work {
    const char* name;
    int width, height;
};
constexpr Work kWorks[] = {{"dim", 7680, 2160}, {"pack", 3840, 2160}};
std::map<std::pair<int, int>, double> g_mean; // (work, method 0 ours, 1 memcpy) -> seconds

const std::vector<uint32_t>& Frame(const Work& w) {
    static std::map<const Work*, std::vector<uint32_t>> frames;
    std::vector<uint32_t>& f = frames[&w];
    if (f.empty()) {
        f.resize(static_cast<size_t>(w.width) * static_cast<size_t>(w.height));
        for (size_t i = 0; i < f.size(); ++i)
            f[i] = static_cast<uint32_t>(i * 2654435761u); // every channel busy
    }
    return f;
}

void Timed(benchmark::State& state, int work, int method) {
    const Work& w = kWorks[work];
    const std::vector<uint32_t>& src = Frame(w);
    const size_t srcBytes = src.size() * 4;
    const size_t outBytes = work == 0 ? srcBytes : static_cast<size_t>(CaptureDibBytes(w.width, w.height));
    std::vector<uint8_t> out(method == 1 ? srcBytes : outBytes);
    std::vector<uint32_t> dimmed(work == 0 ? src.size() : 0);
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (method == 1)
            std::memcpy(out.data(), src.data(), srcBytes);
        else if (work == 0)
            DimPixels(src.data(), dimmed.data(), src.size());
        else
            PackCaptureDib(src.data(), w.width, w.height, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::DoNotOptimize(dimmed.data());
        benchmark::ClobberMemory();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(s);
        total += s;
    }
    if (state.iterations() > 0) g_mean[{work, method}] = total / static_cast<double>(state.iterations());
}

void Ratios(benchmark::State& state, int work) {
    for (auto _ : state) {
    }
    const auto ours = g_mean.find({work, 0}), copy = g_mean.find({work, 1});
    if (ours == g_mean.end() || copy == g_mean.end()) {
        state.SkipWithError("needs the Snip rows of this work");
        return;
    }
    state.counters["snip_ms"] = ours->second * 1e3;
    state.counters["memcpy_ms"] = copy->second * 1e3;
    state.counters["snip_per_memcpy"] = ours->second / copy->second;
}

const int g_registered = [] {
    for (int work : {0, 1}) {
        const std::string size = std::to_string(kWorks[work].width) + "x" + std::to_string(kWorks[work].height);
        for (int method : {0, 1})
            benchmark::RegisterBenchmark(
                ("Snip/" + std::string(kWorks[work].name) + (method == 0 ? "/ours/" : "/memcpy/") + size).c_str(),
                [work, method](benchmark::State& st) { Timed(st, work, method); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("SnipRatios/" + std::string(kWorks[work].name)).c_str(),
                                     [work](benchmark::State& st) { Ratios(st, work); })
            ->Iterations(1);
    }
    return 0;
}();

} // namespace
