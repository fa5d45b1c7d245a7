#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/mpegdec/mpeg_stream.h"

namespace sound::mpeg::test {

// The reference decoding of an MPEG audio file by libmpg123 (the test oracle): float output
// times 32768, truncated toward zero and clamped to 16 bits, interleaved. An "Info" or
// "Xing" frame is decoded as an ordinary (silent) frame, and no encoder delay is removed.
struct ReferenceDecoding {
    bool available = false;  // false when the suite was built without libmpg123
    std::string error;
    int channels = 0;
    int sampleRate = 0;
    std::vector<int16_t> samples;
};

ReferenceDecoding decodeWithMpg123(const std::string& path);

// Decodes the file at `path` with libmpg123 and expects `ours` (our decoding of the same file)
// to match it: the same format and length, at most 2 LSB apart per sample and an RMS difference
// of at most 0.7. Marks the test skipped (failed under CI) when built without libmpg123.
void expectMatchesMpg123(const std::string& path, const tools::mpegdec::DecodedStream& ours);

}  // namespace sound::mpeg::test
