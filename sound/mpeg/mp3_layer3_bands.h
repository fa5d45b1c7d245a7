#pragma once
#include <cstdint>

namespace sound::mpeg {

// Scale-factor band starts of layer III for one sampling rate: 22 long bands and 13 short
// bands, each list closed by its end line (576 and 192).
struct Mp3BandStarts {
    int16_t longStart[23];
    int16_t shortStart[14];
};

// The band table of a stream by version (1, 2, 3) and rate index (0 to 2).
const Mp3BandStarts& mp3BandStarts(int version, int rateIndex);

// slen1 and slen2 of MPEG-1 by scalefac_compress.
extern const uint8_t kMpeg1Slen[16][2];
// The standard's pretab, by long band.
extern const uint8_t kPretab[22];
// Number of scale factors per partition of LSF streams: [row][long, short, mixed][partition].
extern const uint8_t kLsfScalefactorCounts[6][3][4];

}  // namespace sound::mpeg
