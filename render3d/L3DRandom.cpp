#include "render3d/L3DRandom.h"

#include <algorithm>
#include <bit>

void L3DRandom::Seed(uint32_t seed, L3DRandom& state) {
    uint32_t words[4];
    uint32_t previous = seed;
    for (uint32_t n = 1; n <= 4; ++n) {
        previous = (previous ^ (previous >> 30)) * 1812433253u + n;
        words[n - 1] = previous;
    }
    state.x = words[0];
    state.y = words[1];
    state.z = words[2];
    state.w = words[3];
    for (int i = 0; i < 32; ++i) state.Next();
}

uint32_t L3DRandom::Next() {
    const uint32_t t = x ^ (x << 11);
    x = y;
    y = z;
    z = w;
    w = w ^ (w >> 19) ^ t ^ (t >> 8);
    return w;
}

float L3DRandom::GetFloat() {
    const uint32_t bits = (Next() >> 9) | 0x3F800000u;
    return std::bit_cast<float>(bits) - 1.0f;
}

int32_t L3DRandom::GetRange(int32_t a, int32_t b) {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    // The lowest mantissa bit is cleared, as the generator always did.
    const uint32_t bits = ((Next() >> 9) & 0x7FFFFEu) | 0x3F800000u;
    const float f = std::bit_cast<float>(bits) - 1.0f;
    const int64_t span = int64_t{hi} - lo + 1;
    // A wide span rounds its float product up to the span itself at worst: stay at hi.
    const int64_t step =
        std::min<int64_t>(static_cast<int64_t>(static_cast<float>(span) * f), span - 1);
    return static_cast<int32_t>(lo + step);
}
