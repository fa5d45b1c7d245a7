#pragma once
#include <cstdint>

// The game's random generator: a lagged-XOR sequence over 521 words. The sequence for a seed
// is part of replays and network play, so it must stay bit for bit as it is.
struct PEL_RAND {
    uint32_t x[521];
    uint32_t i0, i1, i2;
};

// A new generator on the heap (free it with std::free). Seed 0 takes the current time.
PEL_RAND* pelRandCreate(uint32_t seed);
uint32_t pelRandNext(PEL_RAND* generator);
