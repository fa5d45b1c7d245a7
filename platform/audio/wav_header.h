#pragma once
// The 44-byte header of a 16-bit PCM WAV file (RIFF, "fmt " of 16 bytes, "data").
#include <cstdint>

namespace platform::audio {

#pragma pack(push, 1)
struct WavHeader {
    char riff[4];
    uint32_t riffSize;
    char wave[4];
    char fmt[4];
    uint32_t fmtSize;
    uint16_t formatTag;
    uint16_t channels;
    uint32_t rate;
    uint32_t bytesPerSecond;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    char data[4];
    uint32_t dataSize;
};
#pragma pack(pop)
static_assert(sizeof(WavHeader) == 44);

// The header of `dataBytes` bytes of 16-bit samples (the host is little-endian).
WavHeader makeWavHeader(uint32_t rate, uint16_t channels, uint32_t dataBytes);

}  // namespace platform::audio
