// The effects' random draws and matrix helpers.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <set>

#include "effects/effect_matrix.h"
#include "render3d/L3DRandom.h"
#include "render3d/LQuat.h"

namespace {

TEST(EffectRandom, GetRangeCoversBothOrdersOfItsBounds) {
    L3DRandom random;
    L3DRandom::Seed(99, random);
    std::set<int32_t> seen;
    for (int i = 0; i < 200; ++i) {
        const int32_t a = random.GetRange(5, 3);
        const int32_t b = random.GetRange(3, 5);
        ASSERT_GE(std::min(a, b), 3);
        ASSERT_LE(std::max(a, b), 5);
        seen.insert(a);
        seen.insert(b);
        ASSERT_EQ(random.GetRange(7, 7), 7);
    }
    EXPECT_EQ(seen, (std::set<int32_t>{3, 4, 5}));
}

TEST(EffectRandom, GetRangeSpansTheWholeIntegerRangeWithoutOverflow) {
    // The highest draw (every mantissa bit set) over the widest span and a span past 2^24.
    L3DRandom random;
    for (auto [lo, hi] : {std::pair{INT32_MIN, INT32_MAX}, std::pair{0, (1 << 25) - 2}}) {
        random = {0, 0, 0, 0xFFFFFFFFu};  // x = 0: the step keeps w's top bits
        const int32_t value = random.GetRange(hi, lo);
        EXPECT_GE(value, lo);
        EXPECT_LE(value, hi);
        EXPECT_GT(value, lo + (hi / 2 - lo / 2));  // near the top, not wrapped
    }
}

TEST(EffectRandom, GetFloatIsTheTop23BitsOfTheStep) {
    L3DRandom random;
    L3DRandom::Seed(4357, random);
    L3DRandom copy = random;
    for (int i = 0; i < 64; ++i) {
        const uint32_t w = copy.Next();
        const float expected = std::bit_cast<float>((w >> 9) | 0x3F800000u) - 1.0f;
        const float value = random.GetFloat();
        ASSERT_EQ(value, expected);
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
    }
}

TEST(EffectRandom, GeneratorsSeededAlikeAgree) {
    L3DRandom a, b;
    L3DRandom::Seed(20260101, a);
    L3DRandom::Seed(20260101, b);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(a.GetFloat(), b.GetFloat());
        ASSERT_EQ(a.GetRange(-10, 1000), b.GetRange(-10, 1000));
    }
}

TEST(EffectMatrix, RotationAboutAUnitAxisMatchesTheQuaternionMatrix) {
    L3DRandom random;
    L3DRandom::Seed(1, random);
    for (int i = 0; i < 100; ++i) {
        float axis[3] = {random.GetFloat() - 0.5f, random.GetFloat() - 0.5f,
                         random.GetFloat() - 0.5f};
        const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        for (float& a : axis) a /= length;
        const float angle = (random.GetFloat() - 0.5f) * 12.0f;
        LMat byAxis;
        l3dMatrixRotationAxis(byAxis, axis[0], axis[1], axis[2], angle);
        const float s = std::sin(angle / 2.0f);
        LMat byQuaternion;
        LQuat::ToMatrix({axis[0] * s, axis[1] * s, axis[2] * s, std::cos(angle / 2.0f)},
                        byQuaternion);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                ASSERT_NEAR(byAxis.m[r][c], byQuaternion.m[r][c], 2e-6f) << r << c;
    }
}

TEST(EffectMatrix, TranslationIsTheFourthRow) {
    LMat m;
    l3dMatrixTranslation(m, 1.0f, -2.0f, 3.5f);
    const LMat identity = LMat::Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], identity.m[r][c]);
    EXPECT_EQ(m.m[3][0], 1.0f);
    EXPECT_EQ(m.m[3][1], -2.0f);
    EXPECT_EQ(m.m[3][2], 3.5f);
    EXPECT_EQ(m.m[3][3], 1.0f);
}

}  // namespace
