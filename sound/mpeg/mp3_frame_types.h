#pragma once
#include <cstdint>

namespace sound::mpeg {

// Codes kept in Mp3Decoder::lastError.
enum Mp3Error : int32_t {
    kMp3ErrorNone = 0,
    kMp3ErrorSync = 3,   // no frame sync at the given position
    kMp3ErrorField = 4,  // an invalid header field, or a frame that does not fit the stream
    kMp3ErrorData = 5,   // not enough bytes
};

// The fields of a 4-byte frame header.
struct Mp3FrameHeader {
    int32_t version = 0;  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    int32_t layer = 0;    // 1, 2 or 3
    int32_t crc = 0;      // 1 when a 16-bit CRC follows the header
    int32_t bitrateIndex = 0;
    int32_t rateIndex = 0;
    int32_t padding = 0;
    int32_t privateBit = 0;
    int32_t mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t modeExtension = 0;
    int32_t copyright = 0;
    int32_t original = 0;
    int32_t emphasis = 0;
};

inline constexpr int32_t kModeJointStereo = 1;
inline constexpr int32_t kModeSingleChannel = 3;

// A header with what follows from it and from a VBR header ("Xing" or "VBRI") in the frame.
struct Mp3FrameInfo : Mp3FrameHeader {
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
    int32_t sampleRate = 0;
    int32_t bitrate = 0;  // bit/s; 0 when a VBR header was found
    int32_t vbrFrames = 0;
    int32_t frameBytesPadded = 0;  // VBR case only
    int32_t vbrBytes = 0;
    int32_t minFrameBytes = 0;
    int32_t maxFrameBytes = 0;
    int32_t pcmBytesPerFrame = 0;
};

// One frame to decode: `input` holds `inputBytes` bytes starting at the frame's header, and
// `output` has room for `outputBytes` (at least the stream's PCM bytes per frame). On success
// inputBytes becomes the frame's length and outputBytes the PCM bytes written.
struct Mp3FrameRequest : Mp3FrameHeader {
    int32_t bitrate = 0;
    const uint8_t* input = nullptr;
    int32_t inputBytes = 0;
    uint8_t* output = nullptr;
    int32_t outputBytes = 0;
};

}  // namespace sound::mpeg
