// MS ADPCM (format tag 2): per block and channel a predictor index, a step and two starting
// samples, then 4-bit codes, high nibble first, channels alternating.
#include <algorithm>
#include <vector>

#include "platform/acm/block_decoder.h"

namespace platform::acm {

namespace {

constexpr int kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                 768, 614, 512, 409, 307, 230, 230, 230};

int16_t readI16(const uint8_t* p) { return static_cast<int16_t>(p[0] | (p[1] << 8)); }

class MsAdpcmDecoder final : public BlockDecoder {
public:
    MsAdpcmDecoder(const audio::WaveFormatEx& format, uint32_t framesPerBlock,
                   std::vector<int> coefficients)
        : BlockDecoder(format.nBlockAlign, framesPerBlock, format.nChannels),
          channels_(format.nChannels),
          frames_(framesPerBlock),
          coefficients_(std::move(coefficients)) {}

protected:
    void decodeBlock(const uint8_t* block, int16_t* samples) override {
        struct State {
            int coef1, coef2, step, sample1, sample2;
        } state[2];
        const int count = static_cast<int>(coefficients_.size() / 2);
        for (int c = 0; c < channels_; ++c) {
            // An index beyond the table decodes the block with the first pair.
            int index = block[c];
            if (index >= count) index = 0;
            state[c].coef1 = coefficients_[2 * index];
            state[c].coef2 = coefficients_[2 * index + 1];
            state[c].step = readI16(block + channels_ + 2 * c);
            state[c].sample1 = readI16(block + 3 * channels_ + 2 * c);
            state[c].sample2 = readI16(block + 5 * channels_ + 2 * c);
            samples[c] = static_cast<int16_t>(state[c].sample2);
            samples[channels_ + c] = static_cast<int16_t>(state[c].sample1);
        }
        const uint8_t* codes = block + 7 * channels_;
        const uint32_t total = (frames_ - 2) * channels_;
        for (uint32_t i = 0; i < total; ++i) {
            const int nibble = (i & 1) ? codes[i / 2] & 0x0F : codes[i / 2] >> 4;
            State& s = state[i % channels_];
            const int signedCode = nibble >= 8 ? nibble - 16 : nibble;
            int predicted = (s.sample1 * s.coef1 + s.sample2 * s.coef2) >> 8;
            predicted += signedCode * s.step;
            predicted = std::clamp(predicted, -32768, 32767);
            s.sample2 = s.sample1;
            s.sample1 = predicted;
            s.step = std::max(16, (kAdaptation[nibble] * s.step) >> 8);
            samples[2 * channels_ + i] = static_cast<int16_t>(predicted);
        }
    }

private:
    const int channels_;
    const uint32_t frames_;
    std::vector<int> coefficients_;  // pairs
};

}  // namespace

std::unique_ptr<AcmDecoder> makeMsAdpcmDecoder(const audio::WaveFormatEx& format) {
    const uint32_t channels = format.nChannels;
    if (channels < 1 || channels > 2 || format.wBitsPerSample != 4 || format.cbSize < 4)
        return nullptr;
    const uint8_t* extra = formatExtra(format);
    const uint32_t framesPerBlock = extra[0] | (extra[1] << 8);
    const uint32_t count = extra[2] | (extra[3] << 8);
    if (count < 1 || format.cbSize < 4 + 4 * count) return nullptr;
    const uint32_t headerBytes = 7 * channels;
    if (framesPerBlock < 2 || format.nBlockAlign < headerBytes ||
        format.nBlockAlign > kMaxAdpcmBlockBytes)
        return nullptr;
    if ((framesPerBlock - 2) * channels > 2 * (format.nBlockAlign - headerBytes)) return nullptr;
    std::vector<int> coefficients(2 * count);
    for (uint32_t i = 0; i < 2 * count; ++i) coefficients[i] = readI16(extra + 4 + 2 * i);
    return std::make_unique<MsAdpcmDecoder>(format, framesPerBlock, std::move(coefficients));
}

}  // namespace platform::acm
