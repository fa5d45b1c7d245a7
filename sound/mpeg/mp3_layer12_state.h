#pragma once
#include <cstdint>

namespace sound::mpeg {

struct Mp3Layer2AllocationTable;

// Constant tables of layers I and II, built once.
struct Mp3Layer12Tables {
    float layer1Factors[17];  // 2 / (2^nb - 1) at index nb = 2 to 16
    float layer2Factors[18];  // 2 / L for quantisation class 1 to 17
    float scaleFactors[64];   // 65536 * 2^(-n/3)
    int8_t group3[32][3];     // grouped codes of the 3-level class
    int8_t group5[128][3];    // ... of the 5-level class
    int16_t group9[1024][3];  // ... of the 9-level class
};

inline constexpr int kLayer1Rows = 12;
inline constexpr int kLayer2Rows = 36;
inline constexpr int kLayer12RowFloats = 64;

// Per-stream set-up and per-frame working data of layers I and II.
struct Mp3Layer12State {
    int32_t channels;
    int32_t subbands;      // subbands covered by the allocation (layer I: 32)
    int32_t subbandLimit;  // subbands decoded; samples of those above are read and dropped
    const Mp3Layer2AllocationTable* table;  // layer II only
    uint8_t allocation[32][2];  // layer I: allocation value; layer II: quantisation class
    uint8_t scaleSelection[32][2];
    float multipliers[32][2][3];  // scale factor times requantisation factor, per part
    float rows[kLayer2Rows * kLayer12RowFloats];
};

}  // namespace sound::mpeg
