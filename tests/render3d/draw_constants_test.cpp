#include "render3d/draw_constants.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/render3d/support/matrices.h"

namespace {

using tessera::test::translation;

LMat numbered(float base) {
    LMat m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.m[r][c] = base + static_cast<float>(4 * r + c);
    return m;
}

TEST(DrawConstants, FogColourPacksRoundedChannels) {
    struct Case {
        float r, g, b;
        uint32_t expected;
    };
    const Case cases[] = {
        {1.0f, 0.5f, 0.0f, 0x00FF8000},  // 127.5 rounds to even 128
        {0.0f, 0.0f, 0.0f, 0x00000000},
        {0.0f, 0.0f, 0.5f / 255.0f * 3.0f, 0x00000002},  // 1.5 rounds to 2
        {2.0f, -1.0f / 255.0f, 1.0f, 0x00FEFFFF},        // 510 and -1 keep their low 8 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(l3dFogColor(c.r, c.g, c.b), c.expected) << c.r << " " << c.g << " " << c.b;
}

TEST(DrawConstants, LightDirectionIsNormalisedAndZeroStaysZero) {
    const float in[3] = {0.0f, 3.0f, 4.0f};
    float out[3];
    l3dNormalizeLight(in, out);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[1], 0.6f);
    EXPECT_FLOAT_EQ(out[2], 0.8f);
    const float zero[3] = {0.0f, 0.0f, 0.0f};
    l3dNormalizeLight(zero, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_FALSE(std::isnan(out[2]));
}

TEST(DrawConstants, EdgeAspectComesFromTheInverseProjection) {
    // A projection that scales x by 0.75 and y by 1 (4:3): its inverse takes (1, 1) to
    // (4/3, 1), so aspect 0.75 and inverse 4/3.
    LMat projection = LMat::Identity();
    projection.m[0][0] = 0.75f;
    LMat inverse;
    LMat::Inverse(projection, inverse);
    const L3DEdgeAspect a = l3dEdgeAspect(inverse);
    EXPECT_FLOAT_EQ(a.aspect, 0.75f);
    EXPECT_FLOAT_EQ(a.aspectInverse, 4.0f / 3.0f);

    // The division by w: a w of 2 leaves the ratio unchanged.
    LMat scaledW = inverse;
    scaledW.m[3][3] = 2.0f;
    EXPECT_FLOAT_EQ(l3dEdgeAspect(scaledW).aspect, 0.75f);
}

TEST(DrawConstants, OutlineRegistersWithAndWithoutWeights) {
    L3DOutlineInputs in{};
    in.edgeWidth = 0.5f;
    in.edgeAspectInverse = 2.0f;
    in.edgeColour = {0.1f, 0.2f, 0.3f, 1.0f};
    in.fog1 = -0.25f;
    in.fog2 = 1.5f;
    in.transform = numbered(100.0f);
    const L3DVec4 e = {0.5f, 1.0f, 0.0f, 0.0f};

    const std::vector<L3DVec4> skinned = l3dOutlineConstants(true, in);
    ASSERT_EQ(skinned.size(), 7u);
    EXPECT_EQ(skinned[0], (L3DVec4{1.0f, -0.25f, 1.5f, 765.01f}));
    EXPECT_EQ(skinned[1], e);
    EXPECT_EQ(skinned[2], in.edgeColour);
    EXPECT_EQ(skinned[3], (L3DVec4{100, 101, 102, 103}));
    EXPECT_EQ(skinned[6], (L3DVec4{112, 113, 114, 115}));

    const std::vector<L3DVec4> rigid = l3dOutlineConstants(false, in);
    ASSERT_EQ(rigid.size(), 7u);
    EXPECT_EQ(rigid[0], e);
    EXPECT_EQ(rigid[1], in.edgeColour);
    EXPECT_EQ(rigid[2], (L3DVec4{-0.25f, 1.5f, 0.0f, 0.0f}));
    EXPECT_EQ(rigid[3], (L3DVec4{100, 101, 102, 103}));
}

TEST(DrawConstants, BoneRegistersFollowTheListAndBadEntriesUseEntryZero) {
    const LMat bones[3] = {numbered(0.0f), numbered(100.0f), numbered(200.0f)};
    const uint32_t list[] = {2, 1, 7};  // 7 is past the three matrices
    std::vector<L3DVec4> out;
    l3dAppendBoneRegisters(out, bones, 3, list, 3);
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(out[0], (L3DVec4{0, 1, 2, 3}));
    EXPECT_EQ(out[2], (L3DVec4{8, 9, 10, 11}));
    EXPECT_EQ(out[3], (L3DVec4{200, 201, 202, 203}));
    EXPECT_EQ(out[6], (L3DVec4{100, 101, 102, 103}));
    EXPECT_EQ(out[9], (L3DVec4{0, 1, 2, 3}));
}

TEST(DrawConstants, PlainObjectRegistersHoldFogAndTheTransposedProduct) {
    const LMat world = translation(1.0f, 2.0f, 3.0f);
    const LMat view = translation(10.0f, 0.0f, 0.0f);
    LMat projection = LMat::Identity();
    projection.m[1][1] = 2.0f;
    const std::vector<L3DVec4> c = l3dObjectConstants(world, view, projection, 0.5f, 0.25f);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0], (L3DVec4{0.5f, 0.25f, 0.0f, 0.0f}));
    // Transposed: the translation (11, 4, 3) stands in the fourth column.
    EXPECT_EQ(c[1], (L3DVec4{1, 0, 0, 11}));
    EXPECT_EQ(c[2], (L3DVec4{0, 2, 0, 4}));
    EXPECT_EQ(c[3], (L3DVec4{0, 0, 1, 3}));
    EXPECT_EQ(c[4], (L3DVec4{0, 0, 0, 1}));
}

}  // namespace
