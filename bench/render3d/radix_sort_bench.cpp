// The float radix sort against std::stable_sort of the same keys. Each run times both on the
// same key set and reports the speed-up as a counter (target: 2x or more at 100,000 keys).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "render3d/radix_sort.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<float> randomKeys(size_t n) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> distance(0.0f, 10000.0f);
    std::vector<float> keys(n);
    for (float& k : keys) k = distance(rng);
    return keys;
}

void RadixSortAgainstStableSort(benchmark::State& state) {
    const std::vector<float> keys = randomKeys(static_cast<size_t>(state.range(0)));
    std::vector<float> copy(keys.size());
    double radixSeconds = 0.0;
    double stableSeconds = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const uint32_t* order = l3dRadixSortFloat(keys.data(), static_cast<uint32_t>(keys.size()));
        benchmark::DoNotOptimize(order);
        const auto t1 = Clock::now();
        std::copy(keys.begin(), keys.end(), copy.begin());
        const auto t2 = Clock::now();
        std::stable_sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.data());
        const auto t3 = Clock::now();
        const double radix = std::chrono::duration<double>(t1 - t0).count();
        radixSeconds += radix;
        stableSeconds += std::chrono::duration<double>(t3 - t2).count();
        state.SetIterationTime(radix);
    }
    state.counters["stable_sort_us"] =
        benchmark::Counter(stableSeconds * 1e6 / static_cast<double>(state.iterations()));
    state.counters["speedup"] = benchmark::Counter(stableSeconds / radixSeconds);
}
BENCHMARK(RadixSortAgainstStableSort)
    ->Arg(1000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
