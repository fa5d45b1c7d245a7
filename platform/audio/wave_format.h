#pragma once
// The 18-byte wave format record that sound buffers, codecs and sound files share, laid out
// as in a RIFF "fmt " chunk.
#include <cstdint>

namespace platform::audio {

#pragma pack(push, 1)
struct WaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;  // bytes of format-specific data that follow the record
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18);

inline constexpr uint16_t kWaveFormatPcm = 1;

}  // namespace platform::audio
