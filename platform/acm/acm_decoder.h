#pragma once
// The decoder behind one ACM stream, and the registry that maps format tags to decoders.
#include <cstdint>
#include <memory>

#include "platform/audio/wave_format.h"

namespace platform::acm {

class AcmDecoder {
public:
    virtual ~AcmDecoder() = default;
    // The most PCM bytes that `sourceBytes` bytes of input decode to.
    virtual uint64_t outputBytes(uint64_t sourceBytes) const = 0;
    // Decodes `input` into `output` as far as both allow; sets `inputUsed` and returns the PCM
    // bytes written. A decoder may keep unused bytes of a partial unit for the next call and
    // count them as used.
    virtual uint32_t convert(const uint8_t* input, uint32_t inputBytes, uint8_t* output,
                             uint32_t outputCapacity, uint32_t& inputUsed) = 0;
};

// Makes a decoder for `format`, whose cbSize extra bytes follow it; null when the format's
// fields do not describe data this decoder reads.
using AcmDecoderFactory = std::unique_ptr<AcmDecoder> (*)(const audio::WaveFormatEx& format);

// Adds or replaces the decoder of a format tag.
void acmRegisterDecoder(uint16_t formatTag, AcmDecoderFactory factory);

// The largest ADPCM block the built-in decoders take. Real files use 256 to 2048 bytes; the
// limit keeps the buffers a source sizes from nBlockAlign (1024 blocks) bounded.
inline constexpr uint32_t kMaxAdpcmBlockBytes = 8192;

// The built-in decoders.
std::unique_ptr<AcmDecoder> makeMsAdpcmDecoder(const audio::WaveFormatEx& format);
std::unique_ptr<AcmDecoder> makeImaAdpcmDecoder(const audio::WaveFormatEx& format);
std::unique_ptr<AcmDecoder> makeALawDecoder(const audio::WaveFormatEx& format);
std::unique_ptr<AcmDecoder> makeMuLawDecoder(const audio::WaveFormatEx& format);

// The extra bytes behind a format record.
inline const uint8_t* formatExtra(const audio::WaveFormatEx& format) {
    return reinterpret_cast<const uint8_t*>(&format) + sizeof(audio::WaveFormatEx);
}

}  // namespace platform::acm
