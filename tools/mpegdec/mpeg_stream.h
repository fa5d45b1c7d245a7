#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tools::mpegdec {

// A whole MPEG audio stream decoded to interleaved 16-bit PCM.
struct DecodedStream {
    int channels = 0;
    int sampleRate = 0;
    int frames = 0;         // frames decoded
    int32_t vbrFrames = 0;  // frame count of a "Xing" or "VBRI" header, else 0
    std::vector<int16_t> samples;
    std::string error;  // empty on success
};

// The bytes of the audio frames of a file: a leading ID3v2 tag and a trailing 128-byte
// ID3v1 block are left out, and the frames start at the first frame sync.
struct AudioSpan {
    size_t offset = 0;
    size_t size = 0;
};
AudioSpan findAudioFrames(const uint8_t* data, size_t size);

// Decodes frame after frame until the data ends or a frame fails (a damaged header, or
// bytes that are not a frame where the previous frame ended).
DecodedStream decodeMpegStream(const uint8_t* data, size_t size);

}  // namespace tools::mpegdec
