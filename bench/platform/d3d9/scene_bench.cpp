// The software device's frame benchmark: the skinned, textured, lit, fogged, depth-tested
// scene of 2,000 triangles with its ps_2_0 post-effect chain, at 640x480 and 1280x960 with 1,
// 2 and 4 tile threads (the median over repetitions is the figure to read); and the
// full-screen textured copy pass alone, as a time and as a ratio to memcpy of the same bytes.
// The render3d post-effect benchmark times a frame of the real bloom chain the same way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/platform/d3d9/bench_device.h"
#include "tools/d3d9shot/skinned_scene.h"

using namespace platform::d3d9;

namespace {

using bench::d3d9::BenchDevice;

void skinnedSceneFrame(benchmark::State& state) {
    const auto width = static_cast<unsigned>(state.range(0));
    const auto height = width * 3 / 4;
    BenchDevice bench(width, height, static_cast<unsigned>(state.range(1)), true);
    if (!bench.device()) {
        state.SkipWithError("no device");
        return;
    }
    d3d9shot::SkinnedScene scene(*bench.device(), width, height);
    if (!scene.ready()) {
        state.SkipWithError("the scene's resources were refused");
        return;
    }
    float seconds = 0.0f;
    for (auto _ : state) {
        if (!scene.render(seconds)) state.SkipWithError("a draw failed");
        seconds += 1.0f / 60.0f;
    }
}

// Seconds one memcpy of a 1280x960 frame takes: the median of several.
double memcpySeconds() {
    std::vector<std::uint32_t> source(1280 * 960, 0xFF336699), destination(1280 * 960);
    std::vector<double> seconds;
    for (int run = 0; run < 31; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(destination.data(), source.data(), source.size() * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(seconds.begin(), seconds.begin() + 15, seconds.end());
    return seconds[15];
}

// The copy pass; its counter memcpy_ratio is the time of one pass over that of memcpy.
void copyPass(benchmark::State& state) {
    BenchDevice bench(1280, 960, static_cast<unsigned>(state.range(0)), true);
    d3d9shot::SkinnedScene scene(*bench.device(), 1280, 960);
    if (!scene.ready()) {
        state.SkipWithError("the scene's resources were refused");
        return;
    }
    bench.device()->BeginScene();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) scene.copyToBackBuffer();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bench.device()->EndScene();
    state.SetBytesProcessed(state.iterations() * 1280 * 960 * 4);
    state.counters["memcpy_ratio"] =
        seconds / static_cast<double>(state.iterations()) / memcpySeconds();
}

void memcpyOfAFrame(benchmark::State& state) {
    std::vector<std::uint32_t> source(1280 * 960, 0xFF336699), destination(1280 * 960);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), source.size() * 4);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 1280 * 960 * 4);
}

}  // namespace

BENCHMARK(skinnedSceneFrame)
    ->ArgNames({"width", "threads"})
    ->ArgsProduct({{640, 1280}, {1, 2, 4}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(copyPass)
    ->ArgNames({"threads"})
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(memcpyOfAFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
