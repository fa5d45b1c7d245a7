#pragma once
#include <cstdint>
#include <vector>

#include "foundation/DFile.h"
#include "foundation/DObject.h"
#include "platform/acm/acm.h"
#include "platform/audio/wave_format.h"
#include "sound/DgameMp3.h"
#include "sound/DgameVorbis.h"

namespace mirel {

// One sound file as a sequence of PCM bytes: RIFF WAVE (PCM, or compressed data decoded
// through the ACM layer), the first audio stream of a RIFF AVI file, MPEG audio or Ogg
// Vorbis. Works on its own view of the caller's file.
class DWave : public DObject {
public:
    // Kind bits.
    static constexpr uint32_t kAcm = 1;
    static constexpr uint32_t kAvi = 2;
    static constexpr uint32_t kMpeg = 4;
    static constexpr uint32_t kVorbis = 8;

    DWave() = default;
    ~DWave() override;
    DWave(const DWave&) = delete;
    DWave& operator=(const DWave&) = delete;

    // False when already open or when no kind accepts the file (the wave stays closed).
    bool Open(DFile& file);
    // Prepares reading; false when decoding already or when the ACM stream cannot be set up.
    bool BeginDecode();
    bool EndDecode();
    // Up to n PCM bytes: -1 when not open or not decoding, 0 at the end or for n = 0.
    int32_t Read(void* destination, uint32_t n);
    void Rewind();
    bool Close();

    bool IsOpen() const { return open_; }
    uint32_t GetKind() const { return kind_; }
    const platform::audio::WaveFormatEx& GetPcmFormat() const { return pcmFormat_; }
    uint32_t GetPcmTotal() const { return pcmTotal_; }

    // A format chunk larger than this is refused.
    static constexpr uint32_t kMaxFormatBytes = 0x10000;

private:
    // From the current position: the n-th chunk called `id`, the file left at its data;
    // its size, or -1 when the chunks run out first.
    int64_t _FindChunk(const char* id, int n);
    // The n-th "LIST" chunk from `from` whose list type is `type`; the file is left after the
    // type and the list's content size is returned, or -1.
    int64_t _FindList(int32_t from, const char* type, int* index = nullptr);
    bool _ReadFormat(uint32_t size);
    bool _OpenWave();
    bool _OpenAvi();
    bool _OpenMpeg();
    bool _OpenVorbis();
    bool _SuggestAndSize(platform::acm::HACMSTREAM& stream);
    bool _CheckAcm();
    // The decoding stream with its buffers and prepared header; reports a failure.
    bool _OpenAcmStream();
    void _CloseAcmStream();
    void _ReportAcm();
    int32_t _ReadRaw(uint8_t* destination, uint32_t m);
    int32_t _ReadDecoded(uint8_t* destination, uint32_t m);
    // Refills the MPEG input buffer and decodes one frame into the output buffer; false when
    // no frame came (0 from the read, or -1 in `failure` for a short read).
    bool _DecodeMpegFrame(int32_t& failure);
    void _FreeBuffers();
    const platform::audio::WaveFormatEx* _SourceFormat() const {
        return reinterpret_cast<const platform::audio::WaveFormatEx*>(sourceFormat_.data());
    }

    bool open_ = false;
    bool decoding_ = false;
    DFile file_;
    uint32_t kind_ = 0;
    std::vector<uint8_t> sourceFormat_;
    uint32_t dataStart_ = 0;
    uint32_t pcmLeft_ = 0;
    platform::audio::WaveFormatEx pcmFormat_;
    uint32_t pcmTotal_ = 0;
    uint32_t sourceBytes_ = 0;
    uint32_t sourceLeft_ = 0;
    platform::acm::HACMSTREAM acm_ = nullptr;
    platform::acm::ACMSTREAMHEADER header_;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    uint32_t outputPending_ = 0;
    uint32_t outputOffset_ = 0;
    char aviChunk_[4] = {'0', '0', 'w', 'b'};
    uint32_t nextChunk_ = 0;
    uint32_t chunkLeft_ = 0;
    DgameMp3 mp3_;
    uint32_t inputHeld_ = 0;
    uint32_t inputOffset_ = 0;
    DgameVorbis vorbis_;
};

}  // namespace mirel
