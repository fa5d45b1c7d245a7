#pragma once
// The renderer's random generator: xorshift128 over four 32-bit words.
#include <cstdint>

struct L3DRandom {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    uint32_t w = 0;

    // The four words from the seed by w(n) = (w(n-1) ^ (w(n-1) >> 30)) * 1812433253 + n, then 32
    // steps dropped.
    static void Seed(uint32_t seed, L3DRandom& state);
    // One xorshift128 step; the new w is the result.
    uint32_t Next();
};
