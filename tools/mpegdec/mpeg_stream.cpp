#include "tools/mpegdec/mpeg_stream.h"

#include <algorithm>
#include <cstring>

#include "sound/mpeg/mp3_decoder.h"

namespace tools::mpegdec {

using sound::mpeg::Mp3Decoder;
using sound::mpeg::Mp3FrameInfo;
using sound::mpeg::Mp3FrameRequest;

AudioSpan findAudioFrames(const uint8_t* data, size_t size) {
    size_t begin = 0;
    size_t end = size;
    if (end >= 128 && std::memcmp(data + end - 128, "TAG", 3) == 0) end -= 128;
    // ID3v2: "ID3", version, flags, then a 28-bit size in four 7-bit bytes; a footer adds 10.
    if (end >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        const size_t tagSize = (size_t{data[6]} & 0x7F) << 21 | (size_t{data[7]} & 0x7F) << 14 |
                               (size_t{data[8]} & 0x7F) << 7 | (size_t{data[9]} & 0x7F);
        const size_t footer = (data[5] & 0x10) ? 10 : 0;
        begin = tagSize + 10 + footer < end ? tagSize + 10 + footer : end;
    }
    for (size_t p = begin; p + 1 < end; ++p) {
        if (data[p] == 0xFF && (data[p + 1] & 0xE0) == 0xE0) return {p, end - p};
    }
    return {end, 0};
}

DecodedStream decodeMpegStream(const uint8_t* data, size_t size) {
    DecodedStream result;
    const AudioSpan span = findAudioFrames(data, size);
    const uint8_t* input = data + span.offset;
    size_t left = span.size;
    if (left < static_cast<size_t>(sound::mpeg::kMp3StartBytes)) {
        result.error = "no MPEG audio frames";
        return result;
    }
    auto decoder = Mp3Decoder::Create();
    Mp3FrameInfo info;
    const int32_t available = left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(left);
    if (!decoder->GetFrameInfo(info, input, available, 0)) {
        result.error = "first frame rejected, error " + std::to_string(decoder->lastError);
        return result;
    }
    decoder->maxOutputRate = info.sampleRate;
    if (!decoder->Start(input, available)) {
        result.error = "cannot start decoding, error " + std::to_string(decoder->lastError);
        return result;
    }
    result.channels = info.channels;
    result.sampleRate = info.sampleRate;
    result.vbrFrames = info.vbrFrames;
    std::vector<uint8_t> pcm(static_cast<size_t>(decoder->pcmBytesPerFrame));
    // Room for the frames the data can hold (a VBR header's count, when the data can hold that
    // many), so that the samples are not copied again.
    const size_t mostFrames = left / static_cast<size_t>(std::max(info.minFrameBytes, 1)) + 1;
    const size_t vbrFrames = static_cast<size_t>(std::max(info.vbrFrames, 0)) + 1;
    result.samples.reserve((info.vbrFrames > 0 ? std::min(vbrFrames, mostFrames) : mostFrames) *
                           pcm.size() / 2);
    while (left > 4) {
        Mp3FrameRequest request;
        request.input = input;
        request.inputBytes = left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(left);
        request.output = pcm.data();
        request.outputBytes = static_cast<int32_t>(pcm.size());
        if (!decoder->DecodeFrame(request)) break;
        const int16_t* samples = reinterpret_cast<const int16_t*>(pcm.data());
        result.samples.insert(result.samples.end(), samples, samples + request.outputBytes / 2);
        ++result.frames;
        input += request.inputBytes;
        left -= static_cast<size_t>(request.inputBytes);
    }
    return result;
}

}  // namespace tools::mpegdec
