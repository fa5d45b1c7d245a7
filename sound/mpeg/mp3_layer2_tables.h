#pragma once
#include <cstdint>

namespace sound::mpeg {

// One group of subbands of a layer II allocation table: how many subbands, how many
// allocation bits each has, and the quantisation class each allocation value selects
// (class 0: nothing allocated; classes 1 to 17: 3, 5, 7, 9, 15, 31, ... 65535 levels).
struct Mp3Layer2Group {
    int subbands;
    int allocationBits;
    const uint8_t* classes;  // 2^allocationBits entries; null for an empty group
};

struct Mp3Layer2AllocationTable {
    int subbands;
    Mp3Layer2Group groups[4];
};

inline constexpr int kLayer2ClassCount = 18;
// Levels of each class; classes 1, 2 and 4 are grouped (three samples in one code).
extern const int32_t kLayer2ClassLevels[kLayer2ClassCount];
// Bits of one sample (one code for grouped classes).
extern const int32_t kLayer2ClassBits[kLayer2ClassCount];

// The allocation table of an MPEG-1 stream at rate index `rateIndex` with `mode` and
// `bitrateIndex`, or of the lower rates (version 2 or 3); null where the standard allows no
// table (that bitrate is not allowed for that mode).
const Mp3Layer2AllocationTable* mp3Layer2ChooseTable(int version, int rateIndex, int mode,
                                                     int bitrateIndex);

}  // namespace sound::mpeg
