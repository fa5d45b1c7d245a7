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
    // One step: a float in [0, 1) from the top 23 bits of the new w.
    float GetFloat();
    // One step: an integer in [min(a, b), max(a, b)], the span formed in 64 bits so that no
    // pair of bounds overflows.
    int32_t GetRange(int32_t a, int32_t b);
};
