#include "sound/mpeg/mp3_synthesis.h"

#include <cmath>
#include <cstring>

namespace sound::mpeg {
namespace {

constexpr int kRingMask = kSynthesisRingSize - 1;
constexpr int kMiddleRow = 16 * 16;

// One stage of the recursive DCT: N/2 sums and N/2 scaled differences, each half transformed
// by the next stage, then the even outputs from the sums and each odd output from two
// neighbouring outputs of the differences.
template <int N>
struct Dct {
    static void run(const float* in, int stride, const float* cosines, float* out) {
        constexpr int half = N / 2;
        float sums[half];
        float differences[half];
        for (int k = 0; k < half; ++k) {
            float low = in[k * stride];
            float high = in[(N - 1 - k) * stride];
            sums[k] = low + high;
            differences[k] = (low - high) * cosines[k];
        }
        float even[half];
        float odd[half];
        Dct<half>::run(sums, 1, cosines + half, even);
        Dct<half>::run(differences, 1, cosines + half, odd);
        for (int m = 0; m < half - 1; ++m) {
            out[2 * m] = even[m];
            out[2 * m + 1] = odd[m] + odd[m + 1];
        }
        out[N - 2] = even[half - 1];
        out[N - 1] = odd[half - 1];
    }
};

template <>
struct Dct<1> {
    static void run(const float* in, int, const float*, float* out) { out[0] = in[0]; }
};

// Transforms one row of one channel into the ring at `position` and writes its 32 samples
// `outputStride` samples apart. Each sample's sum runs over k = 0 to 7 in order; the loops
// over samples inside are independent, so they may run side by side.
void synthesizeRow(const Mp3SynthesisState& state, float* ring, int position, const float* samples,
                   int inputStride, int16_t* out, int outputStride) {
    float transformed[32];
    mp3Dct32(samples, inputStride, state.cosines, transformed);
    for (int m = 0; m < 32; ++m) {
        ring[position + m] = transformed[m];
        ring[position + m + kSynthesisRingSize] = transformed[m];
    }
    float first[16] = {};
    float last[15] = {};
    float middle = 0.0f;
    for (int k = 0; k < 8; ++k) {
        const float* forward = ring + position + 16 + 64 * k;   // sample j reads forward[j]
        const float* backward = ring + position + 48 + 64 * k;  // sample j reads backward[-j]
        const float* even = state.firstTaps[2 * k];
        const float* odd = state.firstTaps[2 * k + 1];
        for (int j = 0; j < 16; ++j) {
            first[j] += forward[j] * even[j];
            first[j] -= backward[-j] * odd[j];
        }
        middle += ring[position + 32 + 64 * k] * state.window[kMiddleRow + k];
        const float* down = ring + position + 31 + 64 * k;  // sample 17 + i reads down[-i]
        const float* up = ring + position + 33 + 64 * k;    // ... and up[i]
        const float* downTaps = state.lastTaps[15 - 2 * k];
        const float* upTaps = state.lastTaps[14 - 2 * k];
        for (int i = 0; i < 15; ++i) {
            last[i] += down[-i] * downTaps[i];
            last[i] += up[i] * upTaps[i];
        }
    }
    for (int j = 0; j < 16; ++j) out[j * outputStride] = convertSampleToPcm16(first[j]);
    out[16 * outputStride] = convertSampleToPcm16(middle);
    for (int i = 0; i < 15; ++i) out[(17 + i) * outputStride] = convertSampleToPcm16(last[i]);
}

int advance(int position) { return (position - 32) & kRingMask; }

int16_t* samplesAt(uint8_t* output) { return reinterpret_cast<int16_t*>(output); }

void layer12Mono(Mp3SynthesisState& state, const float* rows, uint8_t* output, int count) {
    int16_t* out = samplesAt(output);
    for (int row = 0; row < count; ++row) {
        synthesizeRow(state, state.synthRing[0], state.synthPos[0], rows + 64 * row, 1,
                      out + 32 * row, 1);
        state.synthPos[0] = advance(state.synthPos[0]);
    }
}

void layer12Stereo(Mp3SynthesisState& state, const float* rows, uint8_t* output, int count) {
    int16_t* out = samplesAt(output);
    for (int row = 0; row < count; ++row) {
        for (int channel = 0; channel < 2; ++channel) {
            synthesizeRow(state, state.synthRing[channel], state.synthPos[0],
                          rows + 64 * row + channel, 2, out + 64 * row + channel, 2);
        }
        state.synthPos[0] = advance(state.synthPos[0]);
    }
}

void layer3Mono(Mp3SynthesisState& state, const float* hybrid, uint8_t* output, int) {
    int16_t* out = samplesAt(output);
    for (int row = 0; row < 18; ++row) {
        synthesizeRow(state, state.synthRing[0], state.synthPos[0], hybrid + 32 * row, 1,
                      out + 32 * row, 1);
        state.synthPos[0] = advance(state.synthPos[0]);
    }
}

void layer3Stereo(Mp3SynthesisState& state, const float* hybrid, uint8_t* output, int channel) {
    int16_t* out = samplesAt(output) + channel;
    for (int row = 0; row < 18; ++row) {
        synthesizeRow(state, state.synthRing[channel], state.synthPos[channel], hybrid + 32 * row,
                      1, out + 64 * row, 2);
        state.synthPos[channel] = advance(state.synthPos[channel]);
    }
}

}  // namespace

void mp3Dct32(const float* samples, int stride, const float* cosines, float* out) {
    Dct<32>::run(samples, stride, cosines, out);
}

void Mp3SynthesisState::buildTables() {
    int index = 0;
    for (int n = 16; n >= 1; n /= 2) {
        for (int k = 0; k < n; ++k) {
            long double angle = 3.14159265358979323846264338327950288L * (2 * k + 1) / (4 * n);
            cosines[index++] = static_cast<float>(1.0L / (2.0L * std::cos(angle)));
        }
    }
    // The ring holds the transform X itself, so the window taps carry the standard's sign
    // for the samples it sums: w[j][m] = D[32m + j] and the middle taps -D[64k + 48].
    for (int j = 0; j < 16; ++j) {
        for (int m = 0; m < 16; ++m)
            window[16 * j + m] = static_cast<float>(mp3SynthesisWindowValue(32 * m + j));
    }
    for (int k = 0; k < 8; ++k)
        window[kMiddleRow + k] = static_cast<float>(-mp3SynthesisWindowValue(64 * k + 48));
    for (int m = 0; m < 16; ++m) {
        for (int j = 0; j < 16; ++j) {
            firstTaps[m][j] = window[16 * j + m];
            lastTaps[m][j] = j < 15 ? window[16 * (15 - j) + m] : 0.0f;
        }
    }
}

void Mp3SynthesisState::clear() {
    std::memset(synthRing, 0, sizeof(synthRing));
    synthPos[0] = 0;
    synthPos[1] = 0;
}

void Mp3SynthesisState::chooseRoutines(int channels) {
    layer12Routine = channels == 1 ? layer12Mono : layer12Stereo;
    layer3Routine = channels == 1 ? layer3Mono : layer3Stereo;
}

}  // namespace sound::mpeg
