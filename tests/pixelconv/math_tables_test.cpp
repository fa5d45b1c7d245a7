// The start-up sine and square-root tables and their look-ups.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "pixelconv/math_tables.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

float FromBits(uint32_t b) {
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
}

TEST(DMathTables, SineSamples) {
    float s, c;
    DMathSinCos(0, s, c);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(c, 1.0f);
    DMathSinCos(1024, s, c);
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(c, DMathSinTable[2048]);
    EXPECT_FLOAT_EQ(DMathSinTable[2048], 1.2246469e-16f);
    EXPECT_FLOAT_EQ(DMathSinTable[4096], -2.4492937e-16f);
    EXPECT_EQ(DMathSinTable[3072], -1.0f);
    DMathSinCos(4096, s, c);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(c, 1.0f);
    DMathSinCos(-1, s, c);
    EXPECT_EQ(s, DMathSinTable[4095]);
    EXPECT_EQ(c, DMathSinTable[5119]);
    EXPECT_FLOAT_EQ(c, 0.9999988f);
    for (int i = 4097; i < 5120; ++i) ASSERT_EQ(DMathSinTable[i], DMathSinTable[i - 4096]) << i;
}

TEST(DMathTables, SquareRootSamples) {
    EXPECT_EQ(DMathSqrtTable[0], 0x3504F3u);
    EXPECT_EQ(DMathSqrtTable[32767], 0x7FFF80u);
    EXPECT_EQ(DMathSqrtTable[32768], 0u);
    EXPECT_EQ(DMathSqrtTable[65535], 0x350499u);
    EXPECT_EQ(Bits(DMathFastSqrt(2.0f)), 0x3FB504F3u);
    EXPECT_EQ(Bits(DMathFastSqrt(3.0f)), 0x3FDDB3D7u);
    EXPECT_EQ(DMathFastSqrt(0.5f), 0.7071067690849304f);
    EXPECT_EQ(DMathFastSqrt(FromBits(0x3F800001)), 1.0f);
    EXPECT_FLOAT_EQ(DMathFastSqrt(1e-30f), 9.9999545e-16f);
    EXPECT_EQ(DMathFastSqrt(0.0f), 0.0f);
    for (float exact : {1.0f, 4.0f, 9.0f, 0.25f, 100.0f}) {
        EXPECT_EQ(DMathFastSqrt(exact), std::sqrt(exact)) << exact;
    }
}

TEST(DMathTables, FastSquareRootStaysJustBelowTheRoot) {
    std::mt19937 rng(41);
    std::uniform_real_distribution<float> exponent(-60.0f, 60.0f);
    for (int i = 0; i < 200000; ++i) {
        const float x = std::exp2(exponent(rng));
        const double exact = std::sqrt(double(x));
        const double fast = DMathFastSqrt(x);
        ASSERT_LE((exact - fast) / exact, 1.53e-5) << x;
        ASSERT_LE(fast, double(std::sqrt(x))) << x;
    }
}

}  // namespace
}  // namespace pixeltest
