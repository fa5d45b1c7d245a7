#include "sound/mpeg_acm_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/acm/acm.h"
#include "platform/acm/acm_decoder.h"
#include "sound/mpeg/mp3_decoder.h"

namespace mirel {

namespace {

using platform::acm::AcmDecoder;
using sound::mpeg::Mp3Decoder;

// MPEG frames arrive in pieces of any size (a WAVE file's block align is 1): the decoder
// keeps the bytes of a partial frame until the next call completes it.
class MpegAcmDecoder final : public AcmDecoder {
public:
    explicit MpegAcmDecoder(const platform::audio::WaveFormatEx& format)
        : channels_(format.nChannels),
          rate_(format.nSamplesPerSec),
          decoder_(Mp3Decoder::Create()) {
        decoder_->maxOutputRate = static_cast<int32_t>(rate_);
    }

    // An upper bound: the bytes at the lowest bitrate of the rate's MPEG version, plus the
    // frames a partial frame held back may complete.
    uint64_t outputBytes(uint64_t sourceBytes) const override {
        const uint64_t lowestBitrate = rate_ >= 32000 ? 32000 : 8000;
        const uint64_t frameBytes = uint64_t{channels_} * 2;
        const uint64_t frames = (sourceBytes * 8 * rate_ + lowestBitrate - 1) / lowestBitrate;
        return (frames + 2 * 1152) * frameBytes;
    }

    uint32_t convert(const uint8_t* input, uint32_t inputBytes, uint8_t* output,
                     uint32_t outputCapacity, uint32_t& inputUsed) override {
        held_.insert(held_.end(), input, input + inputBytes);
        inputUsed = inputBytes;
        uint32_t written = 0;
        size_t at = 0;
        for (;;) {
            const size_t left = held_.size() - at;
            if (!started_) {
                if (left < static_cast<size_t>(sound::mpeg::kMp3StartBytes)) break;
                if (!syncAt(at)) {
                    ++at;
                    continue;
                }
                if (!decoder_->Start(held_.data() + at, clampBytes(left))) {
                    ++at;
                    continue;
                }
                started_ = true;
            }
            if (left < 4) break;
            if (!syncAt(at)) {
                ++at;
                continue;
            }
            const uint32_t frameBytes = static_cast<uint32_t>(decoder_->pcmBytesPerFrame);
            if (outputCapacity - written < frameBytes) break;
            sound::mpeg::Mp3FrameRequest request;
            request.input = held_.data() + at;
            request.inputBytes = clampBytes(left);
            request.output = output + written;
            request.outputBytes = static_cast<int32_t>(outputCapacity - written);
            if (!decoder_->DecodeFrame(request)) {
                if (decoder_->lastError == sound::mpeg::kMp3ErrorData) break;  // wait for more
                ++at;
                continue;
            }
            written += static_cast<uint32_t>(request.outputBytes);
            at += static_cast<size_t>(request.inputBytes);
        }
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(at));
        return written;
    }

private:
    bool syncAt(size_t at) const { return held_[at] == 0xFF && (held_[at + 1] & 0xE0) == 0xE0; }
    static int32_t clampBytes(size_t bytes) {
        return static_cast<int32_t>(std::min<size_t>(bytes, 0x7FFFFFFF));
    }

    const uint32_t channels_;
    const uint32_t rate_;
    std::unique_ptr<Mp3Decoder> decoder_;
    std::vector<uint8_t> held_;
    bool started_ = false;
};

constexpr uint32_t kMaxBlockBytes = 4096;

std::unique_ptr<AcmDecoder> makeMpegDecoder(const platform::audio::WaveFormatEx& format) {
    // A block is at most one frame (layer I and II formats) or 1 byte (layer III); no frame
    // is longer than 2881 bytes, and the block size sizes a source's buffers.
    if (format.nChannels < 1 || format.nChannels > 2 || format.nBlockAlign > kMaxBlockBytes)
        return nullptr;
    static constexpr uint32_t kRates[] = {8000,  11025, 12000, 16000, 22050,
                                          24000, 32000, 44100, 48000};
    if (std::find(std::begin(kRates), std::end(kRates), format.nSamplesPerSec) == std::end(kRates))
        return nullptr;
    return std::make_unique<MpegAcmDecoder>(format);
}

}  // namespace

void registerMpegAcmDecoder() {
    platform::acm::acmRegisterDecoder(platform::acm::WAVE_FORMAT_MPEG, makeMpegDecoder);
    platform::acm::acmRegisterDecoder(platform::acm::WAVE_FORMAT_MPEGLAYER3, makeMpegDecoder);
}

}  // namespace mirel
