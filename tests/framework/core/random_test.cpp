#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/core/random.h"
#include "platform/os/clock.h"

namespace {

struct FreeRand {
    void operator()(PEL_RAND* generator) const { std::free(generator); }
};
using RandPtr = std::unique_ptr<PEL_RAND, FreeRand>;

TEST(Random, SequencesMatchTheReferenceVectors) {
    const struct {
        uint32_t seed;
        std::vector<uint32_t> values;
    } cases[] = {
        {1, {0x8F0EC1F4, 0x36C947F3, 0xA3B2E435, 0xA0B3B1E4, 0x10B325BB}},
        {12345, {0x7E0171B0, 0x133E75A7, 0x89FD6A22, 0x8A5B792D, 0xAA5B6CCE}},
    };
    for (const auto& c : cases) {
        RandPtr generator(pelRandCreate(c.seed));
        EXPECT_EQ(generator->i0, 1u);
        EXPECT_EQ(generator->i1, 490u);
        EXPECT_EQ(generator->i2, 1u);
        for (uint32_t expected : c.values)
            EXPECT_EQ(pelRandNext(generator.get()), expected) << "seed " << c.seed;
    }
}

TEST(Random, The521stValueIsTheWordThatReplacedTheDiscardedOne) {
    for (uint32_t seed : {1u, 12345u, 0xDEADBEEFu}) {
        RandPtr a(pelRandCreate(seed));
        RandPtr b(pelRandCreate(seed));
        // Creation discarded x[0] and replaced it by x[489] ^ x[0]; that word comes back 521
        // draws later.
        const uint32_t replacement = a->x[0];
        uint32_t value = 0;
        for (int i = 0; i < 521; ++i) {
            value = pelRandNext(a.get());
            ASSERT_EQ(value, pelRandNext(b.get()));
        }
        EXPECT_EQ(value, replacement);
    }
}

TEST(Random, SeedOneDiscardsTheFirstSeedWord) {
    // The discarded draw returned x[0] = 0x1208C5 and stored x[489] ^ x[0] in its place.
    RandPtr generator(pelRandCreate(1));
    EXPECT_EQ(generator->x[0] ^ generator->x[489], 0x1208C5u);
}

TEST(Random, SeedZeroTakesTheLowWordOfTheCalendarTime) {
    platform::os::ManualClock clock;
    clock.setCalendarSeconds(0x2'0000'1234);
    platform::os::setClock(&clock);
    RandPtr fromTime(pelRandCreate(0));
    platform::os::setClock(nullptr);
    RandPtr fromSeed(pelRandCreate(0x1234));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pelRandNext(fromTime.get()), pelRandNext(fromSeed.get()));
}

}  // namespace
