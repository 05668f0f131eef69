// The undo history's costs against the plain operations they are built on: a snapshot against memcpy, a
// spool write and read against fwrite and fread of the same bytes, and the spool bytes one stroke writes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "document/undo_core.h"

namespace {

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{640, 480}, {2000, 2000}, {4000, 3000}};

std::vector<uint32_t> Picture(const Size& s) {
    std::vector<uint32_t> px(static_cast<size_t>(s.w) * s.h);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<uint32_t>(i * 2654435761u);
    return px;
}

// What PushUndoSnapshot does with the pixels: a fresh buffer through the one allocation helper, then a copy.
void SnapshotCopy(benchmark::State& state) {
    const Size s = kSizes[state.range(0)];
    const std::vector<uint32_t> picture = Picture(s);
    for (auto _ : state) {
        std::vector<uint32_t> level;
        if (!TryAllocatePixels(picture.size(), &level)) state.SkipWithError("no memory");
        std::memcpy(level.data(), picture.data(), picture.size() * 4);
        benchmark::DoNotOptimize(level.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(picture.size() * 4));
}

void PlainMemcpy(benchmark::State& state) {
    const Size s = kSizes[state.range(0)];
    const std::vector<uint32_t> picture = Picture(s);
    for (auto _ : state) {
        // A new destination each time too, so the comparison is with the same page faults.
        std::vector<uint32_t> level(picture.size());
        std::memcpy(level.data(), picture.data(), picture.size() * 4);
        benchmark::DoNotOptimize(level.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(picture.size() * 4));
}

std::string SpoolBenchPath() {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kolvex_undo_bench.tmp";
}

constexpr Size kSpoolSize = {2000, 2000};

LevelContent WholeLevel(const std::vector<uint32_t>& picture) {
    LevelContent c;
    c.width = kSpoolSize.w, c.height = kSpoolSize.h, c.pixels = picture;
    return c;
}

void SpoolWrite(benchmark::State& state) {
    const LevelContent level = WholeLevel(Picture(kSpoolSize));
    const std::string path = SpoolBenchPath();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || !WriteSpoolStream(f, level)) state.SkipWithError("write");
        if (f) std::fclose(f);
    }
    std::remove(path.c_str());
}

void PlainWrite(benchmark::State& state) {
    const std::vector<uint32_t> picture = Picture(kSpoolSize);
    const std::string path = SpoolBenchPath();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(picture.data(), 4, picture.size(), f) != picture.size() || std::fflush(f) != 0)
            state.SkipWithError("write");
        if (f) std::fclose(f);
    }
    std::remove(path.c_str());
}

void SpoolRead(benchmark::State& state) {
    const std::vector<uint32_t> picture = Picture(kSpoolSize);
    const std::string path = SpoolBenchPath();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    LevelContent shape = WholeLevel(picture);
    if (!out || !WriteSpoolStream(out, shape)) state.SkipWithError("setup");
    if (out) std::fclose(out);
    const uint64_t size = SpoolFileBytes(shape);
    const SpoolShape known = ShapeOf(shape);
    LevelContent back;
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f || ReadSpoolStream(f, size, known, &back) != SpoolCheck::Ok) state.SkipWithError("read");
        if (f) std::fclose(f);
        benchmark::DoNotOptimize(back.pixels.data());
    }
    std::remove(path.c_str());
}

void PlainRead(benchmark::State& state) {
    const std::vector<uint32_t> picture = Picture(kSpoolSize);
    const std::string path = SpoolBenchPath();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(picture.data(), 4, picture.size(), out) != picture.size()) state.SkipWithError("setup");
    if (out) std::fclose(out);
    std::vector<uint32_t> back(picture.size());
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f || std::fread(back.data(), 4, back.size(), f) != back.size()) state.SkipWithError("read");
        if (f) std::fclose(f);
        benchmark::DoNotOptimize(back.data());
    }
    std::remove(path.c_str());
}

// The budget loop over 200 strokes on one picture size, counting what it sends to disk.
void SpoolBytesPerStroke(benchmark::State& state) {
    const Size s = kSizes[state.range(0)];
    const uint64_t level = PictureBytes(s.w, s.h);
    constexpr int kStrokes = 200;
    uint64_t written = 0;
    for (auto _ : state) {
        std::vector<LevelCost> stack;
        written = 0;
        for (int i = 0; i < kStrokes; ++i) {
            stack.erase(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(LevelsToTrim(stack.size())));
            const size_t drop = KeepWithinBudget(stack, level, {kUndoMemoryBudget, kSpoolDiskCap}, [&](size_t) {
                written += level + kSpoolHeaderBytes;
                return true;
            });
            stack.erase(stack.begin(), stack.begin() + static_cast<std::ptrdiff_t>(drop));
            stack.push_back({level, 0});
        }
    }
    state.counters["spool_bytes_per_stroke"] = static_cast<double>(written) / kStrokes;
    state.counters["level_bytes"] = static_cast<double>(level);
}

BENCHMARK(SnapshotCopy)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainMemcpy)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpoolWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpoolRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpoolBytesPerStroke)->DenseRange(0, 2)->Iterations(1);

// Keeps every run's time per iteration, so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred && r.iterations > 0) times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

void PrintRatio(const RatioReporter& r, const char* label, const std::string& ours, const std::string& plain) {
    const auto a = r.times.find(ours), b = r.times.find(plain);
    if (a == r.times.end() || b == r.times.end() || b->second <= 0) return;
    std::printf("  %-34s %8.3f  (%s / %s)\n", label, a->second / b->second, ours.c_str(), plain.c_str());
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nUndo history against plain operations (time ratio, 1.0 = no overhead):\n");
    const char* names[] = {"640x480", "2000x2000", "4000x3000"};
    for (int i = 0; i < 3; ++i)
        PrintRatio(reporter, (std::string("snapshot copy ") + names[i]).c_str(), "SnapshotCopy/" + std::to_string(i),
                   "PlainMemcpy/" + std::to_string(i));
    PrintRatio(reporter, "spool write 2000x2000", "SpoolWrite", "PlainWrite");
    PrintRatio(reporter, "spool read 2000x2000", "SpoolRead", "PlainRead");
    benchmark::Shutdown();
    return 0;
}
