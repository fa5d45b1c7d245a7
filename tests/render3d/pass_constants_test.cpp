#include <gtest/gtest.h>

#include "render3d/pass_constants.h"
#include "render3d/shader_table.h"

namespace tessera::test {
namespace {

L3DPassInputs sampleInputs() {
    L3DPassInputs in{};
    in.light[0] = 0.1f, in.light[1] = 0.2f, in.light[2] = 0.3f;
    in.eye[0] = 1.1f, in.eye[1] = 1.2f, in.eye[2] = 1.3f;
    in.fur[0] = 2.0f, in.fur[1] = 4.0f, in.fur[2] = 6.0f;
    in.colour1 = {0.5f, 0.6f, 0.7f, 0.8f};
    in.colour2 = {0.01f, 0.02f, 0.03f, 0.04f};
    in.power = 16.0f;
    in.factor1 = 0.25f;
    in.factor2 = 0.75f;
    in.fog1 = -0.01f;
    in.fog2 = 1.5f;
    float value = 100.0f;
    for (auto& row : in.transform.m)
        for (float& cell : row) cell = value++;
    return in;
}

TEST(PassConstants, RegistersPerPassRigidAndSkinned) {
    const L3DPassInputs in = sampleInputs();
    const L3DVec4 F = {1.0f, -0.01f, 1.5f, 765.01f}, G = {-0.01f, 1.5f, 0.0f, 0.0f};
    const L3DVec4 L = {0.1f, 0.2f, 0.3f, 0.0f}, Lh = {0.1f, 0.2f, 0.3f, 16.0f};
    const L3DVec4 halfL = {0.05f, 0.1f, 0.15f, 0.5f}, halfP = {1.0f, 2.0f, 3.0f, 0.5f};
    const L3DVec4 E = {1.1f, 1.2f, 1.3f, 0.5f};
    const L3DVec4 A = in.colour1, B = in.colour2;
    const L3DVec4 LK1 = {0.1f, 0.2f, 0.3f, 0.25f}, EK2 = {1.1f, 1.2f, 1.3f, 0.75f};
    const struct {
        L3DShaderKind pass;
        bool skinned;
        std::vector<L3DVec4> head;  // the registers before the matrix
    } cases[] = {
        {L3DShaderNormal, true, {F, L, A, B}},
        {L3DShaderNormal, false, {L, A, B, G}},
        {L3DShaderMap3, true, {F, L, A, B}},
        {L3DShaderMap3, false, {L, A, B, G}},
        {L3DShaderHighlight, true, {F, Lh, A, B, E}},
        {L3DShaderHighlight, false, {Lh, A, B, E, G}},
        {L3DShaderFurlight, true, {F, Lh, A, B, halfP}},
        {L3DShaderFurlight, false, {Lh, A, B, halfP, G}},
        {L3DShaderTexlight, true, {F, halfL, {0.25f, 0, 0, 0}}},
        {L3DShaderTexlight, false, {halfL, {0.25f, -0.01f, 1.5f, 0}}},
        {L3DShaderTexhighlight, true, {F, LK1, halfL, EK2}},
        {L3DShaderTexhighlight, false, {LK1, halfL, EK2, G}},
        {L3DShaderTexfurlight, true, {F, halfL, halfP, {0.25f, 0.75f, 0, 0}}},
        {L3DShaderTexfurlight, false, {halfL, halfP, {0.25f, 0.75f, -0.01f, 1.5f}}},
    };
    for (const auto& c : cases) {
        std::vector<L3DVec4> expected = c.head;
        for (const auto& row : in.transform.m) expected.push_back({row[0], row[1], row[2], row[3]});
        const std::vector<L3DVec4> actual = l3dPassConstants(c.pass, c.skinned, in);
        ASSERT_EQ(actual.size(), expected.size()) << "pass " << c.pass << " skinned " << c.skinned;
        for (size_t r = 0; r < actual.size(); ++r)
            for (int i = 0; i < 4; ++i)
                EXPECT_FLOAT_EQ(actual[r][i], expected[r][i])
                    << "pass " << c.pass << " skinned " << c.skinned << " c" << r << "." << i;
        // Bones follow at the register the shader table counts for the kind.
        if (c.skinned) {
            EXPECT_EQ(static_cast<int32_t>(actual.size()), kL3DShaderTable[c.pass].baseConstants)
                << "pass " << c.pass;
        }
    }
}

}  // namespace
}  // namespace tessera::test
