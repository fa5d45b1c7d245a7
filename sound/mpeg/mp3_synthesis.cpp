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
// `outputStride` samples apart.
void synthesizeRow(const Mp3SynthesisState& state, float* ring, int position, const float* samples,
                   int inputStride, int16_t* out, int outputStride) {
    mp3Dct32(samples, inputStride, state.cosines, ring + position);
    const float* w = state.window;
    for (int j = 0; j < 16; ++j) {
        const float* taps = w + 16 * j;
        float sum = 0.0f;
        for (int k = 0; k < 8; ++k) {
            sum += ring[(position + 16 + j + 64 * k) & kRingMask] * taps[2 * k];
            sum -= ring[(position + 48 - j + 64 * k) & kRingMask] * taps[2 * k + 1];
        }
        out[j * outputStride] = convertSampleToPcm16(sum);
    }
    float middle = 0.0f;
    for (int k = 0; k < 8; ++k) middle += ring[(position + 32 + 64 * k) & kRingMask] * w[kMiddleRow + k];
    out[16 * outputStride] = convertSampleToPcm16(middle);
    for (int i = 0; i < 15; ++i) {
        const float* taps = w + 16 * (15 - i);
        float sum = 0.0f;
        for (int k = 0; k < 8; ++k) {
            sum += ring[(position + 31 - i + 64 * k) & kRingMask] * taps[15 - 2 * k];
            sum += ring[(position + 33 + i + 64 * k) & kRingMask] * taps[14 - 2 * k];
        }
        out[(17 + i) * outputStride] = convertSampleToPcm16(sum);
    }
}

int advance(int position) { return (position - 32) & kRingMask; }

int16_t* samplesAt(uint8_t* output) { return reinterpret_cast<int16_t*>(output); }

void layer12Mono(Mp3SynthesisState& state, const float* rows, uint8_t* output, int count) {
    int16_t* out = samplesAt(output);
    for (int row = 0; row < count; ++row) {
        synthesizeRow(state, state.ring[0], state.position[0], rows + 64 * row, 1, out + 32 * row, 1);
        state.position[0] = advance(state.position[0]);
    }
}

void layer12Stereo(Mp3SynthesisState& state, const float* rows, uint8_t* output, int count) {
    int16_t* out = samplesAt(output);
    for (int row = 0; row < count; ++row) {
        for (int channel = 0; channel < 2; ++channel) {
            synthesizeRow(state, state.ring[channel], state.position[0], rows + 64 * row + channel, 2,
                          out + 64 * row + channel, 2);
        }
        state.position[0] = advance(state.position[0]);
    }
}

void layer3Mono(Mp3SynthesisState& state, const float* hybrid, uint8_t* output, int) {
    int16_t* out = samplesAt(output);
    for (int row = 0; row < 18; ++row) {
        synthesizeRow(state, state.ring[0], state.position[0], hybrid + 32 * row, 1, out + 32 * row, 1);
        state.position[0] = advance(state.position[0]);
    }
}

void layer3Stereo(Mp3SynthesisState& state, const float* hybrid, uint8_t* output, int channel) {
    int16_t* out = samplesAt(output) + channel;
    for (int row = 0; row < 18; ++row) {
        synthesizeRow(state, state.ring[channel], state.position[channel], hybrid + 32 * row, 1,
                      out + 64 * row, 2);
        state.position[channel] = advance(state.position[channel]);
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
        for (int m = 0; m < 16; ++m) window[16 * j + m] = static_cast<float>(mp3SynthesisWindowValue(32 * m + j));
    }
    for (int k = 0; k < 8; ++k) window[kMiddleRow + k] = static_cast<float>(-mp3SynthesisWindowValue(64 * k + 48));
}

void Mp3SynthesisState::clear() {
    std::memset(ring, 0, sizeof(ring));
    position[0] = 0;
    position[1] = 0;
}

void Mp3SynthesisState::chooseRoutines(int channels) {
    layer12Routine = channels == 1 ? layer12Mono : layer12Stereo;
    layer3Routine = channels == 1 ? layer3Mono : layer3Stereo;
}

}  // namespace sound::mpeg
