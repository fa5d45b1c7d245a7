// Damaged MPEG audio streams: any bytes are parsed as a stream of frames and decoded, and the
// first 156 bytes also go through the frame information and a direct frame request. Nothing
// may read outside the input or the decoder, and nothing may hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/mpeg/mp3_decoder.h"
#include "tools/mpegdec/mpeg_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tools::mpegdec::decodeMpegStream(data, size);

    auto decoder = sound::mpeg::Mp3Decoder::Create();
    sound::mpeg::Mp3FrameInfo info;
    const int32_t length = size > 4096 ? 4096 : static_cast<int32_t>(size);
    decoder->GetFrameInfo(info, data, length, 0);
    if (decoder->Start(data, length)) {
        std::vector<uint8_t> pcm(sound::mpeg::kMp3MaxPcmBytesPerFrame);
        sound::mpeg::Mp3FrameRequest request;
        request.input = data;
        request.inputBytes = length;
        request.output = pcm.data();
        request.outputBytes = static_cast<int32_t>(pcm.size());
        decoder->DecodeFrame(request);
    }
    return 0;
}
