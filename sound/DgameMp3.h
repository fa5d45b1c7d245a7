#pragma once
#include <cstdint>
#include <memory>

#include "foundation/DFile.h"
#include "foundation/DObject.h"
#include "platform/audio/wave_format.h"
#include "sound/mpeg/mp3_decoder.h"

namespace mirel {

// The MPEG audio member of a sound source: finds the frames in a file, reports the format
// and length from the first frame and decodes one whole frame at a time. The source keeps
// the buffers and reads the file.
class DgameMp3 : public DObject {
public:
    DgameMp3() = default;
    ~DgameMp3() override { Close(); }
    DgameMp3(const DgameMp3&) = delete;
    DgameMp3& operator=(const DgameMp3&) = delete;

    // Makes the decoder and sets start pending; false when one is held.
    bool Open();
    // Opens `view` over the frames of `file`: from the first sync, found in blocks of 1024
    // bytes, to the end or to a trailing ID3v1 block.
    static bool FindAudioData(DFile& file, DFile& view);
    // From the first frame (`header`, at least 156 bytes): the format, the frame sizes and
    // the stream's PCM length (0 without a view).
    bool GetFormat(const uint8_t* header, DFile* view);
    // Decodes the frame at `input` into `output` (pcmBytesPerFrame bytes); the frame's length,
    // or 0 when nothing was decoded.
    uint32_t Decode(uint8_t* output, const uint8_t* input, uint32_t inputBytes);
    bool Close();

    void SetStartPending() { flags_ |= kStartPending; }

    const platform::audio::WaveFormatEx& GetPcmFormat() const { return format_; }
    uint32_t totalBytes() const { return totalBytes_; }
    uint32_t maxFrameBytes() const { return maxFrameBytes_; }
    uint32_t pcmBytesPerFrame() const { return pcmBytesPerFrame_; }

    static constexpr uint32_t kStartPending = 1;

private:
    std::unique_ptr<sound::mpeg::Mp3Decoder> decoder_;
    platform::audio::WaveFormatEx format_;
    uint32_t totalBytes_ = 0;
    uint32_t maxFrameBytes_ = 0;
    uint32_t pcmBytesPerFrame_ = 0;
    uint32_t flags_ = 0;
};

}  // namespace mirel
