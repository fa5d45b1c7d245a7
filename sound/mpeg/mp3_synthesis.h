#pragma once
#include <cstdint>

namespace sound::mpeg {

inline constexpr int kSynthesisRingSize = 512;
inline constexpr int kSynthesisWindowSize = 264;  // 16 rows of 16 taps, then 8 middle taps

struct Mp3SynthesisState;

// Layers I and II: `count` rows of 64 floats (one channel: subband s at s; two channels:
// subband s of channel c at 2s + c), 32 samples per row and channel.
using Mp3Layer12Synthesis = void (*)(Mp3SynthesisState& state, const float* rows, uint8_t* output,
                                     int count);
// Layer III: 18 rows of 32 floats of one channel's granule (row t, subband s at 32t + s).
using Mp3Layer3Synthesis = void (*)(Mp3SynthesisState& state, const float* hybrid, uint8_t* output,
                                    int channel);

// The polyphase synthesis filterbank: a fast 32-point DCT into a ring of 512 floats per
// channel and a 16-tap window per output sample, in single precision.
struct Mp3SynthesisState {
    float cosines[31];  // 1 / (2 cos(pi (2k + 1) / (4n))) for n = 16, 8, 4, 2, 1
    float window[kSynthesisWindowSize];
    // The window again, arranged per tap so that one tap serves 16 (or 15) samples at once:
    // firstTaps[m][j] = window[j][m]; lastTaps[m][i] = window[15 - i][m] for samples 17 + i.
    float firstTaps[16][16];
    float lastTaps[16][16];
    int32_t synthPos[2];
    // Each ring is kept twice over (entry n also at n + 512), so that a window pass reads
    // contiguous floats without wrapping.
    float synthRing[2][2 * kSynthesisRingSize];
    Mp3Layer12Synthesis layer12Routine;
    Mp3Layer3Synthesis layer3Routine;

    // Builds the cosine and window tables.
    void buildTables();
    // Clears both rings and positions.
    void clear();
    // Chooses the routines for a stream with one or two output channels.
    void chooseRoutines(int channels);
};

// Truncates toward zero and saturates to 16 bits; not-a-number gives 0.
inline int16_t convertSampleToPcm16(float value) {
    float x = value == value ? value : 0.0f;
    x = x < -32768.0f ? -32768.0f : x;
    x = x > 32767.0f ? 32767.0f : x;
    return static_cast<int16_t>(static_cast<int32_t>(x));
}

// The unnormalised DCT-II X[m] = sum over k of S[k] cos((2k + 1) m pi / 64) of 32 samples
// read `stride` floats apart.
void mp3Dct32(const float* samples, int stride, const float* cosines, float* out);

// The synthesis window value D[i] of the standard (i = 0 to 511).
double mp3SynthesisWindowValue(int index);

}  // namespace sound::mpeg
