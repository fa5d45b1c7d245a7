#include "framework/core/random.h"

#include <cstdlib>

#include "framework/core/report.h"
#include "platform/os/clock.h"

namespace {

constexpr uint32_t kWords = 521;
constexpr uint32_t kLag = 489;

uint32_t lcgStep(uint32_t s) { return s * 214013u + 2531011u; }

}  // namespace

PEL_RAND* pelRandCreate(uint32_t seed) {
    auto* generator = pelCheckAlloc(static_cast<PEL_RAND*>(std::malloc(sizeof(PEL_RAND))));
    if (!generator) return nullptr;
    uint32_t s = seed != 0 ? seed : static_cast<uint32_t>(platform::os::clock().calendarSeconds());

    uint32_t w[kWords];
    for (int k = 0; k < 17; ++k) {
        s = lcgStep(s);
        s = lcgStep(s);
        const uint32_t s2 = s;
        s = lcgStep(s);
        w[k] = ((s2 >> 10) & 0x1FFC00u) | ((s >> 21) & 0x3FFu);
    }
    w[16] = (w[16] << 23) ^ (w[0] >> 9) ^ w[15];
    for (uint32_t k = 17; k < kWords; ++k) w[k] = ((w[k - 17] << 23) | (w[k - 16] >> 9)) ^ w[k - 1];

    uint32_t c = 0;
    uint32_t e = kLag;
    for (uint32_t i = 0; i < kWords; ++i) {
        generator->x[i] = w[c];
        for (int step = 0; step < 16; ++step) {
            w[c] ^= w[e];
            c = (c + 1) % kWords;
            e = (e + 1) % kWords;
        }
    }
    generator->i0 = 0;
    generator->i1 = kLag;
    generator->i2 = 0;
    pelRandNext(generator);
    return generator;
}

uint32_t pelRandNext(PEL_RAND* generator) {
    const uint32_t r = generator->x[generator->i0];
    generator->x[generator->i0] = generator->x[generator->i1] ^ generator->x[generator->i2];
    generator->i0 = (generator->i0 + 1) % kWords;
    generator->i1 = (generator->i1 + 1) % kWords;
    generator->i2 = (generator->i2 + 1) % kWords;
    return r;
}
