#pragma once
#include <cstdint>
#include <cstring>

namespace mirel {

// Sines of a circle in 4096 steps; the 1024 entries past 4095 repeat the first quarter turn,
// so a cosine is the entry 1024 further on.
constexpr int DMathSinTableSize = 5120;
extern float DMathSinTable[DMathSinTableSize];

// The 23 mantissa bits of square roots: entries 0 to 32767 of numbers from 2 to 4, entries
// 32768 to 65535 of numbers from 1 to 2, each step 1/32768 of the range's lower end.
constexpr int DMathSqrtTableSize = 65536;
extern uint32_t DMathSqrtTable[DMathSqrtTableSize];

// Builds both tables once at start-up, before any reader runs; always true.
bool DMathInitTables();
void DMathInitSqrtTable();

// Sine and cosine of an angle in 4096ths of a turn; any integer angle wraps.
inline void DMathSinCos(int32_t angle, float& sine, float& cosine) {
    const uint32_t i = static_cast<uint32_t>(angle) & 4095u;
    sine = DMathSinTable[i];
    cosine = DMathSinTable[i + 1024];
}

// Square root from the table: halves the exponent and looks up the upper 15 mantissa bits
// with the exponent's lowest bit. For positive, finite, normal inputs; 0 gives 0.
inline float DMathFastSqrt(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    if (bits == 0) return 0.0f;
    const uint32_t exponent = (((bits - 0x3F800000u) >> 1) + 0x3F800000u) & 0x7F800000u;
    const uint32_t root = exponent | DMathSqrtTable[(bits >> 8) & 0xFFFFu];
    float result;
    std::memcpy(&result, &root, sizeof result);
    return result;
}

}  // namespace mirel
