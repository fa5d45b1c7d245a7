// IMA ADPCM (format tag 0x11): per block and channel a 4-byte header (first sample, step
// index), then words of 8 codes per channel in turn, low nibble first.
#include <algorithm>

#include "platform/acm/block_decoder.h"

namespace platform::acm {

namespace {

constexpr int kIndexChange[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

class ImaAdpcmDecoder final : public BlockDecoder {
public:
    ImaAdpcmDecoder(const audio::WaveFormatEx& format, uint32_t framesPerBlock)
        : BlockDecoder(format.nBlockAlign, framesPerBlock, format.nChannels),
          channels_(format.nChannels),
          frames_(framesPerBlock) {}

protected:
    void decodeBlock(const uint8_t* block, int16_t* samples) override {
        for (int c = 0; c < channels_; ++c) {
            const uint8_t* header = block + 4 * c;
            int predicted = static_cast<int16_t>(header[0] | (header[1] << 8));
            int index = std::min<int>(header[2], 88);
            samples[c] = static_cast<int16_t>(predicted);
            const uint8_t* data = block + 4 * channels_;
            for (uint32_t n = 0; n + 1 < frames_; ++n) {
                // Word w of channel c holds codes 8w to 8w + 7; words go channel by channel.
                const uint32_t word = n / 8, inWord = n % 8;
                const uint8_t byte = data[(word * channels_ + c) * 4 + inWord / 2];
                const int code = (inWord & 1) ? byte >> 4 : byte & 0x0F;
                const int step = kSteps[index];
                int difference = step >> 3;
                if (code & 1) difference += step >> 2;
                if (code & 2) difference += step >> 1;
                if (code & 4) difference += step;
                predicted += (code & 8) ? -difference : difference;
                predicted = std::clamp(predicted, -32768, 32767);
                index = std::clamp(index + kIndexChange[code], 0, 88);
                samples[(n + 1) * channels_ + c] = static_cast<int16_t>(predicted);
            }
        }
    }

private:
    const int channels_;
    const uint32_t frames_;
};

}  // namespace

std::unique_ptr<AcmDecoder> makeImaAdpcmDecoder(const audio::WaveFormatEx& format) {
    const uint32_t channels = format.nChannels;
    if (channels < 1 || channels > 2 || format.wBitsPerSample != 4) return nullptr;
    const uint32_t headerBytes = 4 * channels;
    if (format.nBlockAlign <= headerBytes || format.nBlockAlign > kMaxAdpcmBlockBytes ||
        (format.nBlockAlign - headerBytes) % headerBytes != 0)
        return nullptr;
    const uint32_t framesPerBlock = (format.nBlockAlign - headerBytes) * 2 / channels + 1;
    return std::make_unique<ImaAdpcmDecoder>(format, framesPerBlock);
}

}  // namespace platform::acm
