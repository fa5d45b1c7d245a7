#include "sound/DgameMp3.h"

#include <cstring>

namespace mirel {

using sound::mpeg::Mp3Decoder;
using sound::mpeg::Mp3FrameInfo;
using sound::mpeg::Mp3FrameRequest;

bool DgameMp3::Open() {
    if (decoder_) return false;
    decoder_ = Mp3Decoder::Create();
    flags_ |= kStartPending;
    return true;
}

bool DgameMp3::FindAudioData(DFile& file, DFile& view) {
    const int32_t size = file.Size();
    if (size < 0) return false;
    int32_t cut = 0;
    if (size >= 128) {
        char tag[3];
        if (!file.Seek(size - 128, DDataOverride::SeekBegin) || file.Read(tag, 3) != 3)
            return false;
        if (std::memcmp(tag, "TAG", 3) == 0) cut = 128;
    }
    if (!file.Seek(0, DDataOverride::SeekBegin)) return false;
    uint8_t block[1024];
    for (int32_t offset = 0;; offset += 1024) {
        const int32_t n = file.Read(block, sizeof block);
        if (n <= 0) return false;
        // A sync in the last three bytes of a block is not looked at.
        for (int32_t p = 0; p <= n - 4; ++p) {
            if (block[p] == 0xFF && (block[p + 1] >> 4) >= 0xE) {
                const int32_t start = offset + p;
                return view.OpenView(start, size - start - cut, file);
            }
        }
    }
}

bool DgameMp3::GetFormat(const uint8_t* header, DFile* view) {
    if (!decoder_) return false;
    Mp3FrameInfo info;
    if (!decoder_->GetFrameInfo(info, header, sound::mpeg::kMp3StartBytes, 0)) return false;
    format_ = platform::audio::WaveFormatEx{};
    format_.wFormatTag = platform::audio::kWaveFormatPcm;
    format_.nChannels = static_cast<uint16_t>(info.channels);
    format_.nSamplesPerSec = static_cast<uint32_t>(info.sampleRate);
    format_.wBitsPerSample = 16;
    format_.nBlockAlign = static_cast<uint16_t>(2 * info.channels);
    format_.nAvgBytesPerSec = format_.nBlockAlign * format_.nSamplesPerSec;
    format_.cbSize = 18;
    maxFrameBytes_ = static_cast<uint32_t>(info.maxFrameBytes);
    pcmBytesPerFrame_ = static_cast<uint32_t>(info.pcmBytesPerFrame);
    uint64_t frames = 0;
    if (view) {
        if (info.bitrate == 0) {
            frames = static_cast<uint32_t>(info.vbrFrames);
        } else {
            const int32_t size = view->Size();
            if (size == -1 || info.minFrameBytes <= 0) return false;
            frames = static_cast<uint32_t>(size) / static_cast<uint32_t>(info.minFrameBytes);
        }
    }
    // A length beyond 32 bits comes from a damaged or foreign header: refuse the stream.
    const uint64_t total = frames * pcmBytesPerFrame_;
    if (total > 0xFFFFFFFFu) return false;
    totalBytes_ = static_cast<uint32_t>(total);
    decoder_->maxOutputRate = info.sampleRate;
    return true;
}

uint32_t DgameMp3::Decode(uint8_t* output, const uint8_t* input, uint32_t inputBytes) {
    if (!decoder_) return 0;
    const int32_t bytes = static_cast<int32_t>(inputBytes > 0x7FFFFFFF ? 0x7FFFFFFF : inputBytes);
    if (flags_ & kStartPending) {
        if (!decoder_->Start(input, bytes)) return 0;
        flags_ &= ~kStartPending;
    }
    Mp3FrameRequest request;
    request.input = input;
    request.inputBytes = bytes;
    request.output = output;
    request.outputBytes = static_cast<int32_t>(pcmBytesPerFrame_);
    if (!decoder_->DecodeFrame(request)) return 0;
    return static_cast<uint32_t>(request.inputBytes);
}

bool DgameMp3::Close() {
    if (!decoder_) return false;
    format_ = platform::audio::WaveFormatEx{};
    totalBytes_ = maxFrameBytes_ = pcmBytesPerFrame_ = flags_ = 0;
    decoder_.reset();
    return true;
}

}  // namespace mirel
