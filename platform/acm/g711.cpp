// A-law (format tag 6) and mu-law (format tag 7): one byte per sample, expanded to 16 bits.
#include "platform/acm/block_decoder.h"

namespace platform::acm {

namespace {

int16_t expandALaw(uint8_t code) {
    code ^= 0x55;
    const int exponent = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    int magnitude =
        exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
    return static_cast<int16_t>((code & 0x80) ? magnitude : -magnitude);
}

int16_t expandMuLaw(uint8_t code) {
    code = static_cast<uint8_t>(~code);
    const int exponent = (code >> 4) & 7;
    const int mantissa = code & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((code & 0x80) ? -magnitude : magnitude);
}

class G711Decoder final : public BlockDecoder {
public:
    G711Decoder(const audio::WaveFormatEx& format, int16_t (*expand)(uint8_t))
        : BlockDecoder(format.nBlockAlign, 1, format.nChannels),
          channels_(format.nChannels),
          expand_(expand) {}

protected:
    void decodeBlock(const uint8_t* block, int16_t* samples) override {
        for (int c = 0; c < channels_; ++c) samples[c] = expand_(block[c]);
    }

private:
    const int channels_;
    int16_t (*const expand_)(uint8_t);
};

bool validG711(const audio::WaveFormatEx& format) {
    return format.nChannels >= 1 && format.nChannels <= 2 && format.wBitsPerSample == 8 &&
           format.nBlockAlign == format.nChannels;
}

}  // namespace

std::unique_ptr<AcmDecoder> makeALawDecoder(const audio::WaveFormatEx& format) {
    if (!validG711(format)) return nullptr;
    return std::make_unique<G711Decoder>(format, expandALaw);
}

std::unique_ptr<AcmDecoder> makeMuLawDecoder(const audio::WaveFormatEx& format) {
    if (!validG711(format)) return nullptr;
    return std::make_unique<G711Decoder>(format, expandMuLaw);
}

}  // namespace platform::acm
