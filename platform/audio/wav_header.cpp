#include "platform/audio/wav_header.h"

#include <cstring>

namespace platform::audio {

WavHeader makeWavHeader(uint32_t rate, uint16_t channels, uint32_t dataBytes) {
    WavHeader header;
    std::memcpy(header.riff, "RIFF", 4);
    header.riffSize = 36 + dataBytes;
    std::memcpy(header.wave, "WAVE", 4);
    std::memcpy(header.fmt, "fmt ", 4);
    header.fmtSize = 16;
    header.formatTag = 1;
    header.channels = channels;
    header.rate = rate;
    header.blockAlign = static_cast<uint16_t>(channels * 2);
    header.bytesPerSecond = rate * header.blockAlign;
    header.bitsPerSample = 16;
    std::memcpy(header.data, "data", 4);
    header.dataSize = dataBytes;
    return header;
}

}  // namespace platform::audio
