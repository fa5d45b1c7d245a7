#include "platform/acm/block_decoder.h"

#include <cstring>
#include <vector>

namespace platform::acm {

uint32_t BlockDecoder::convert(const uint8_t* input, uint32_t inputBytes, uint8_t* output,
                               uint32_t outputCapacity, uint32_t& inputUsed) {
    std::vector<int16_t> samples(pcmBytesPerBlock_ / 2);
    uint32_t written = 0;
    inputUsed = 0;
    while (inputBytes - inputUsed >= blockBytes_ && outputCapacity - written >= pcmBytesPerBlock_) {
        decodeBlock(input + inputUsed, samples.data());
        std::memcpy(output + written, samples.data(), pcmBytesPerBlock_);
        written += pcmBytesPerBlock_;
        inputUsed += blockBytes_;
    }
    return written;
}

}  // namespace platform::acm
