#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sound::mpeg::test {

// How two decodings of the same stream differ, sample by sample, over their common length.
struct Difference {
    size_t compared = 0;
    int maximum = 0;
    double rms = 0.0;
    size_t firstBeyondTwo = SIZE_MAX;  // first sample index differing by more than 2 LSB
};

Difference compareSamples(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference);

// Signal-to-noise ratio in dB of `decoded` against `source` (both interleaved alike),
// with `decoded` delayed by `delay` sample frames, over the frames both hold after `skip`.
double signalToNoise(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded,
                     int channels, size_t delay, size_t skip);

}  // namespace sound::mpeg::test
