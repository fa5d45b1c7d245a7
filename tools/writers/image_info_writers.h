#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools::writers {

// An "APIB" image info file: 32 bytes, big-endian.
struct ApibSpec {
    uint32_t version = 0;
    uint32_t flags = 0;
    int32_t firstValue = -1;
    int32_t secondValue = -1;
    uint32_t gammaMode = 0;  // 0 or 1 default, 2 gamma 1.0, 3 the gamma below
    float gamma = 2.2f;
    uint32_t alphaMode = 3;
};
std::string buildApib(const ApibSpec& spec);

// A "CPIB" raw image container: the 40-byte header, the level-offset table (the base first,
// then each stored compressed kind from 5 to 9), then the base PNG stream and the block data
// of each stored kind, every level at the offset the table gives.
struct CpibSpec {
    uint32_t version = 0;
    uint32_t width = 1;
    uint32_t height = 1;
    uint32_t levelsMinusOne = 0;
    int32_t firstValue = -1;
    int32_t secondValue = -1;
    float gamma = 2.2f;
    uint32_t alphaMode = 3;
    std::vector<std::string> baseLevels;  // PNG streams, one per level
    // Block data per level of kinds 5 to 9; a kind with no levels is not stored.
    std::vector<std::string> compressedLevels[5];
    // Set: written as the flags word as it stands; otherwise 0x10000 when only the base is
    // stored, else the bit of each stored compressed kind.
    bool explicitFlags = false;
    uint32_t flags = 0;
};
std::string buildCpib(const CpibSpec& spec);

}  // namespace tools::writers
