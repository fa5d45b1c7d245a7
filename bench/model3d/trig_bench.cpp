// The foundation's deterministic sine, cosine and arc cosine against the C library's float
// functions on the same arguments (angles in [-pi, pi], cosines in [-1, 1]); reports the
// ratio of their times.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "foundation/DMathTrig.h"

namespace {

constexpr int kArguments = 4096;

std::vector<float> Arguments(float low, float high) {
    std::mt19937 random(39);
    std::uniform_real_distribution<float> uniform(low, high);
    std::vector<float> arguments(kArguments);
    for (float& x : arguments) x = uniform(random);
    return arguments;
}

template <class F>
double TimeOver(const std::vector<float>& arguments, F f) {
    const auto start = std::chrono::steady_clock::now();
    float sum = 0.0f;
    for (const float x : arguments) sum += f(x);
    benchmark::DoNotOptimize(sum);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <class Ours, class Theirs>
void Compare(benchmark::State& state, const std::vector<float>& arguments, Ours ours,
             Theirs theirs) {
    double oursTime = 0.0, theirTime = 0.0;
    for (auto _ : state) {
        oursTime += TimeOver(arguments, ours);
        theirTime += TimeOver(arguments, theirs);
    }
    const double calls = static_cast<double>(state.iterations()) * kArguments;
    state.counters["ours_ns"] = 1e9 * oursTime / calls;
    state.counters["libc_ns"] = 1e9 * theirTime / calls;
    state.counters["time_ratio_ours_to_libc"] = oursTime / theirTime;
}

void BM_TrigSin(benchmark::State& state) {
    Compare(state, Arguments(-3.1415926f, 3.1415926f), mirel::DMathSin,
            [](float x) { return std::sin(x); });
}
void BM_TrigCos(benchmark::State& state) {
    Compare(state, Arguments(-3.1415926f, 3.1415926f), mirel::DMathCos,
            [](float x) { return std::cos(x); });
}
void BM_TrigAcos(benchmark::State& state) {
    Compare(state, Arguments(-1.0f, 1.0f), mirel::DMathAcos, [](float x) { return std::acos(x); });
}
BENCHMARK(BM_TrigSin)->MinTime(0.5);
BENCHMARK(BM_TrigCos)->MinTime(0.5);
BENCHMARK(BM_TrigAcos)->MinTime(0.5);

}  // namespace
