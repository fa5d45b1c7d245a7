#include "foundation/DMathTrig.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace mirel {
namespace {

// Long double has 11 more bits than double and the C library reduces its arguments exactly,
// so its results rounded to float are the correctly rounded ones (but for ties far rarer than
// these tests could meet).
float SinOracle(float x) { return static_cast<float>(sinl(static_cast<long double>(x))); }
float CosOracle(float x) { return static_cast<float>(cosl(static_cast<long double>(x))); }
float AcosOracle(float x) { return static_cast<float>(acosl(static_cast<long double>(x))); }

// Floats in order as integers, so that neighbours differ by one (+0 and -0 both 0).
int64_t Ordered(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    const int64_t magnitude = bits & 0x7FFFFFFF;
    return (bits & 0x80000000u) ? -magnitude : magnitude;
}

int64_t UlpDistance(float a, float b) {
    const int64_t d = Ordered(a) - Ordered(b);
    return d < 0 ? -d : d;
}

float FromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

struct Function {
    const char* name;
    float (*ours)(float);
    float (*oracle)(float);
};

const Function kSin{"sin", DMathSin, SinOracle};
const Function kCos{"cos", DMathCos, CosOracle};
const Function kAcos{"acos", DMathAcos, AcosOracle};

// Runs `count` arguments from `next` through one function; fails on the first result more
// than one unit from the correctly rounded value and reports how many were not exact.
template <class Next>
void ExpectWithinOneUlp(const Function& f, int count, Next next) {
    int inexact = 0;
    for (int i = 0; i < count; ++i) {
        const float x = next();
        const float ours = f.ours(x), want = f.oracle(x);
        const int64_t ulps = UlpDistance(ours, want);
        if (ulps > 1) {
            ADD_FAILURE() << f.name << "(" << x << " = " << std::hexfloat << x << ") = " << ours
                          << ", want " << want;
            return;
        }
        inexact += ulps != 0;
    }
    testing::Test::RecordProperty(std::string(f.name) + "_inexact", inexact);
}

constexpr int kArguments = 1000000;

TEST(DMathTrig, SineAndCosineWithinOneUlpOverSeededArguments) {
    for (const Function* f : {&kSin, &kCos}) {
        std::mt19937 random(20261211);
        // A third anywhere among the finite floats (mostly huge), a third in [-1000, 1000], a
        // third a few units from a multiple of pi/2, where the reduction cancels most.
        std::uniform_int_distribution<uint32_t> bits;
        std::uniform_real_distribution<float> moderate(-1000.0f, 1000.0f);
        std::uniform_int_distribution<int> quarter(-(1 << 22), 1 << 22);
        std::uniform_int_distribution<int> nudge(-4, 4);
        int which = 0;
        ExpectWithinOneUlp(*f, kArguments, [&] {
            switch (which++ % 3) {
            case 0: {
                uint32_t b;
                do b = bits(random);
                while ((b & 0x7F800000u) == 0x7F800000u);
                return FromBits(b);
            }
            case 1:
                return moderate(random);
            default: {
                float x = static_cast<float>(quarter(random) * 1.5707963267948966);
                for (int steps = nudge(random); steps != 0; steps += steps < 0 ? 1 : -1)
                    x = std::nextafter(x, steps < 0 ? -FLT_MAX : FLT_MAX);
                return x;
            }
            }
        });
    }
}

TEST(DMathTrig, ArcCosineWithinOneUlpOverSeededArguments) {
    std::mt19937 random(20261211);
    // Half uniform in [-1, 1], half with uniform bits below 1 in magnitude (small arguments
    // and those just under 1 get their share).
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::uniform_int_distribution<uint32_t> bits(0, 0x3F800000u);
    std::bernoulli_distribution negative;
    int which = 0;
    ExpectWithinOneUlp(kAcos, kArguments, [&] {
        if (which++ % 2 == 0) return uniform(random);
        const float x = FromBits(bits(random));
        return negative(random) ? -x : x;
    });
}

TEST(DMathTrig, EdgeArguments) {
    const float pi = 3.14159265358979f, halfPi = 1.57079632679490f;
    // Zeros, quarter and half turns, the smallest and largest floats, both sides of 2^28
    // (where the reduction changes method), and the floats in [1, 2^28) and in [1, 2^31) closest
    // to a multiple of pi/2 relative to their size.
    const float finite[] = {0.0f,        -0.0f,       halfPi,          -halfPi,        pi,
                            -pi,         2 * pi,      1e-30f,          FLT_MIN,        1e-45f,
                            268435440.f, 268435456.f, 1e10f,           1e30f,          -1e30f,
                            FLT_MAX,     -FLT_MAX,    0x1.4665d2p+25f, 0x1.27a94ap+29f};
    for (const float x : finite) {
        EXPECT_LE(UlpDistance(DMathSin(x), SinOracle(x)), 1) << "sin " << x;
        EXPECT_LE(UlpDistance(DMathCos(x), CosOracle(x)), 1) << "cos " << x;
    }
    EXPECT_TRUE(std::signbit(DMathSin(-0.0f)));
    EXPECT_EQ(DMathCos(0.0f), 1.0f);
    EXPECT_EQ(DMathSin(halfPi), 1.0f);

    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float x : {nan, -nan, inf, -inf}) {
        EXPECT_TRUE(std::isnan(DMathSin(x))) << x;
        EXPECT_TRUE(std::isnan(DMathCos(x))) << x;
        EXPECT_TRUE(std::isnan(DMathAcos(x))) << x;
    }

    struct Case {
        float x, want;
    };
    const Case acos[] = {{1.0f, 0.0f},
                         {-1.0f, pi},
                         {0.0f, halfPi},
                         {-0.0f, halfPi},
                         {0.5f, 1.04719755f},
                         {-0.5f, 2.09439510f},
                         {0.99999994f, 3.4526698e-4f}};
    for (const Case& c : acos) EXPECT_LE(UlpDistance(DMathAcos(c.x), c.want), 1) << c.x;
    for (const float x : {1.0000001f, -1.0000001f, 2.0f, FLT_MAX})
        EXPECT_TRUE(std::isnan(DMathAcos(x))) << x;
}

}  // namespace
}  // namespace mirel
