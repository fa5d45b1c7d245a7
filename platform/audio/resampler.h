#pragma once
// Rate conversion of one voice: a 16-tap windowed-sinc polyphase filter in float. The state
// (the last 16 source frames and the fractional position) carries over from one call to the
// next, so a voice mixed period by period sounds as if it were converted in one piece.
#include <array>
#include <cstdint>
#include <vector>

namespace platform::audio {

class Resampler {
public:
    static constexpr int kTaps = 16;
    static constexpr int kPhases = 256;

    // Prepares the filter for source frames at `sourceRate` turned into frames at
    // `outputRate`; the history is kept (call reset() for a new start).
    void setRates(uint32_t sourceRate, uint32_t outputRate);
    void reset();

    // Source frames to push before the next output frame can be computed.
    uint32_t framesWanted() const { return static_cast<uint32_t>(position_ >> 32); }
    void push(float left, float right);
    // The next output frame; then moves on by one output step.
    void next(float& left, float& right, bool stereo);

private:
    float dot(const float* history, const float* taps) const;

    uint32_t sourceRate_ = 0;
    uint32_t outputRate_ = 0;
    uint64_t step_ = 0;         // source frames per output frame, 32.32 fixed point
    uint64_t position_ = 0;     // source frames owed before the next output, 32.32
    std::vector<float> table_;  // kPhases rows of kTaps coefficients
    // Each history is written twice (at n and n + kTaps), so the last kTaps frames are
    // always contiguous.
    std::array<float, 2 * kTaps> left_{};
    std::array<float, 2 * kTaps> right_{};
    int head_ = 0;
};

}  // namespace platform::audio
