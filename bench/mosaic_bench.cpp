// The mosaic on a 4,000 x 3,000 picture with blocks of 2, 8 and 64, without a mask and with a free-form mask that
// covers the whole picture, against one read-and-write pass over the same 48 MB (each pixel XORed once). Run with
// --benchmark_filter=Mosaic; the MosaicRatios row carries the comparison.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "filters/mosaic_core.h"

namespace {

using bench::kHeight;
using bench::kWidth;

std::vector<uint32_t>& Picture() {
    static std::vector<uint32_t> px = [] {
        std::vector<uint32_t> v(static_cast<size_t>(kWidth) * kHeight);
        std::mt19937 rng(11u);
        for (uint32_t& p : v)
            p = 0xFF000000u | (rng() & 0xFFFFFFu);
        return v;
    }();
    return px;
}

const std::vector<uint8_t>& WholeMask() {
    static const std::vector<uint8_t> mask(static_cast<size_t>(kWidth) * kHeight, 1);
    return mask;
}

constexpr int kBlocks[] = {2, 8, 64};
constexpr int kXor = 0; // the key of the plain pass in g_meanSeconds

// Mean seconds per pass: {block, masked}; the plain pass under {kXor, false}.
std::map<std::pair<int, bool>, double> g_meanSeconds;

// Each pass works on the picture as the previous one left it: the mosaic does the same work on any pixels.
void Timed(benchmark::State& state, int block, bool masked) {
    std::vector<uint32_t>& px = Picture();
    const PixelView v{px.data(), kWidth, kHeight};
    const MosaicArea area{0, 0, kWidth, kHeight, masked ? WholeMask().data() : nullptr};
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (block == kXor) {
            for (uint32_t& p : px)
                p ^= 0x00FFFFFFu;
        } else {
            MosaicPixels(v, area, block);
        }
        benchmark::DoNotOptimize(px.data());
        benchmark::ClobberMemory();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (state.iterations() > 0) g_meanSeconds[{block, masked}] = total / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(px.size() * 4));
}

std::string RowName(int block, bool masked) { return std::to_string(block) + (masked ? "_masked" : ""); }

void Ratios(benchmark::State& state) {
    for (auto _ : state) {
    }
    const auto plain = g_meanSeconds.find({kXor, false});
    if (plain == g_meanSeconds.end() || plain->second <= 0) {
        state.SkipWithError("needs the Mosaic/xor row");
        return;
    }
    state.counters["xor_ms"] = plain->second * 1e3;
    for (int block : kBlocks)
        for (bool masked : {false, true}) {
            const auto found = g_meanSeconds.find({block, masked});
            if (found == g_meanSeconds.end()) {
                state.SkipWithError(("needs the Mosaic/" + RowName(block, masked) + " row").c_str());
                return;
            }
            state.counters["n" + RowName(block, masked) + "_ms"] = found->second * 1e3;
            state.counters["n" + RowName(block, masked) + "_per_xor"] = found->second / plain->second;
        }
}

const int g_registered = [] {
    benchmark::RegisterBenchmark("Mosaic/xor", [](benchmark::State& st) { Timed(st, kXor, false); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    for (int block : kBlocks)
        for (bool masked : {false, true})
            benchmark::RegisterBenchmark(("Mosaic/" + RowName(block, masked)).c_str(),
                                         [block, masked](benchmark::State& st) { Timed(st, block, masked); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("MosaicRatios", Ratios)->Iterations(1);
    return 0;
}();

} // namespace
