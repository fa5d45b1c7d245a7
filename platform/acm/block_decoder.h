#pragma once
// The common frame of block codecs: input in blocks of nBlockAlign bytes, each decoding to a
// fixed number of frames; a trailing partial block is left unused.
#include <cstdint>

#include "platform/acm/acm_decoder.h"

namespace platform::acm {

class BlockDecoder : public AcmDecoder {
public:
    BlockDecoder(uint32_t blockBytes, uint32_t framesPerBlock, uint32_t channels)
        : blockBytes_(blockBytes), pcmBytesPerBlock_(framesPerBlock * channels * 2) {}

    uint64_t outputBytes(uint64_t sourceBytes) const override {
        return sourceBytes / blockBytes_ * pcmBytesPerBlock_;
    }
    uint32_t convert(const uint8_t* input, uint32_t inputBytes, uint8_t* output,
                     uint32_t outputCapacity, uint32_t& inputUsed) override;

protected:
    // Decodes one whole block into pcmBytesPerBlock_ bytes of interleaved samples.
    virtual void decodeBlock(const uint8_t* block, int16_t* samples) = 0;

private:
    const uint32_t blockBytes_;
    const uint32_t pcmBytesPerBlock_;
};

}  // namespace platform::acm
