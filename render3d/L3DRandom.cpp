#include "render3d/L3DRandom.h"

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
