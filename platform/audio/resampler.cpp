#include "platform/audio/resampler.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Blackman window over |x| <= half, and the normalised sinc.
double window(double x, double half) {
    if (std::fabs(x) >= half) return 0.0;
    const double t = kPi * x / half;
    return 0.42 + 0.5 * std::cos(t) + 0.08 * std::cos(2.0 * t);
}

double sinc(double x) { return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x); }

}  // namespace

void Resampler::setRates(uint32_t sourceRate, uint32_t outputRate) {
    if (sourceRate == sourceRate_ && outputRate == outputRate_) return;
    sourceRate_ = sourceRate;
    outputRate_ = outputRate;
    step_ = (static_cast<uint64_t>(sourceRate) << 32) / outputRate;
    // Lowering the rate moves the cut-off below the output's Nyquist frequency.
    const double cutoff = 0.92 * std::min(1.0, static_cast<double>(outputRate) / sourceRate);
    table_.assign(kPhases * kTaps, 0.0f);
    const double half = kTaps / 2.0;
    for (int phase = 0; phase < kPhases; ++phase) {
        const double fraction = static_cast<double>(phase) / kPhases;
        double sum = 0.0;
        double taps[kTaps];
        for (int k = 0; k < kTaps; ++k) {
            // Tap k weighs the frame k places after the oldest one held; the output point
            // lies `fraction` after the frame at index kTaps / 2 - 1.
            const double distance = k - (kTaps / 2 - 1) - fraction;
            taps[k] = cutoff * sinc(cutoff * distance) * window(distance, half);
            sum += taps[k];
        }
        for (int k = 0; k < kTaps; ++k)
            table_[phase * kTaps + k] = static_cast<float>(taps[k] / sum);
    }
}

void Resampler::reset() {
    left_.fill(0.0f);
    right_.fill(0.0f);
    head_ = 0;
    position_ = uint64_t{1} << 32;  // the first output waits for the first source frame
}

void Resampler::push(float left, float right) {
    left_[head_] = left_[head_ + kTaps] = left;
    right_[head_] = right_[head_ + kTaps] = right;
    head_ = (head_ + 1) % kTaps;
    position_ -= uint64_t{1} << 32;
}

float Resampler::dot(const float* history, const float* taps) const {
    // Four partial sums, one per lane of a 4-wide vector, so the additions do not wait on
    // each other; the order is fixed, so the result is the same on every machine.
    float lanes[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int k = 0; k < kTaps; k += 4)
        for (int j = 0; j < 4; ++j) lanes[j] += history[k + j] * taps[k + j];
    return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

void Resampler::next(float& left, float& right, bool stereo) {
    const uint32_t fraction = static_cast<uint32_t>(position_);
    const float* taps = &table_[(fraction >> 24) * kTaps];
    left = dot(&left_[head_], taps);
    right = stereo ? dot(&right_[head_], taps) : left;
    position_ += step_;
}

}  // namespace platform::audio
