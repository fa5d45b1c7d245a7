#include "tests/sound/mpeg/stream_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sound::mpeg::test {

Difference compareSamples(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference) {
    Difference result;
    result.compared = std::min(ours.size(), reference.size());
    double sum = 0.0;
    for (size_t i = 0; i < result.compared; ++i) {
        const int difference = std::abs(ours[i] - reference[i]);
        result.maximum = std::max(result.maximum, difference);
        if (difference > 2 && result.firstBeyondTwo == SIZE_MAX) result.firstBeyondTwo = i;
        sum += static_cast<double>(difference) * difference;
    }
    if (result.compared) result.rms = std::sqrt(sum / static_cast<double>(result.compared));
    return result;
}

double signalToNoise(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded,
                     int channels, size_t delay, size_t skip) {
    const size_t sourceFrames = source.size() / channels;
    const size_t decodedFrames = decoded.size() / channels;
    double signal = 0.0, noise = 0.0;
    for (size_t frame = skip; frame < sourceFrames && frame + delay < decodedFrames; ++frame) {
        for (int c = 0; c < channels; ++c) {
            const double s = source[frame * channels + c];
            const double d = decoded[(frame + delay) * channels + c];
            signal += s * s;
            noise += (s - d) * (s - d);
        }
    }
    if (noise == 0.0) return 200.0;
    return 10.0 * std::log10(signal / noise);
}

}  // namespace sound::mpeg::test
