#include "pixelconv/math_tables.h"

#include <cmath>

namespace mirel {

float DMathSinTable[DMathSinTableSize];
uint32_t DMathSqrtTable[DMathSqrtTableSize];

namespace {

uint32_t RootMantissa(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    const float root = std::sqrt(value);
    uint32_t rootBits;
    std::memcpy(&rootBits, &root, sizeof rootBits);
    return rootBits & 0x7FFFFFu;
}

}  // namespace

bool DMathInitTables() {
    // The angle and its sine in double precision, the sine then rounded to single precision.
    const double step = 0.0015339807878856412;  // 2 pi / 4096
    for (int i = 0; i < DMathSinTableSize; ++i) {
        DMathSinTable[i] = static_cast<float>(std::sin(i * step));
    }
    DMathInitSqrtTable();
    return true;
}

void DMathInitSqrtTable() {
    for (uint32_t i = 0; i < 32768; ++i) {
        DMathSqrtTable[32768 + i] = RootMantissa(0x3F800000u | (i << 8));
        DMathSqrtTable[i] = RootMantissa(0x40000000u | (i << 8));
    }
}

}  // namespace mirel
