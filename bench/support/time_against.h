#pragma once
// Benchmarks that measure one way of doing a job against a plain reference way.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace tessera::bench {

// Runs `measured` and then `reference` once per iteration, each timed on its own; the
// iteration's time is the measured one's (register the benchmark with UseManualTime). Then
// sets the counter `referenceCounter` to the reference's mean microseconds and "ratio" to the
// measured total over the reference total.
template <typename Measured, typename Reference>
void timeAgainst(benchmark::State& state, Measured&& measured, Reference&& reference,
                 const std::string& referenceCounter) {
    using Clock = std::chrono::steady_clock;
    double measuredSeconds = 0.0;
    double referenceSeconds = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        measured();
        const auto t1 = Clock::now();
        reference();
        const auto t2 = Clock::now();
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        measuredSeconds += seconds;
        referenceSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(seconds);
    }
    state.counters[referenceCounter] =
        benchmark::Counter(referenceSeconds * 1e6 / static_cast<double>(state.iterations()));
    state.counters["ratio"] = benchmark::Counter(measuredSeconds / referenceSeconds);
}

}  // namespace tessera::bench
