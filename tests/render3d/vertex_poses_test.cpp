#include "render3d/vertex_poses.h"

#include <gtest/gtest.h>

#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/pack_fixture.h"
#include "tests/render3d/support/matrices.h"

namespace {

using tessera::test::translation;

class VertexPosesTest : public testing::Test {
protected:
    // Palette: the part at +x 1, slot 1 at +y 10, slot 2 at +z 100; the mesh uses slots 2 and
    // 1 (bone byte 1 is slot 2, byte 2 slot 1); the view doubles everything.
    const LMat matrices[3] = {translation(1, 0, 0), translation(0, 10, 0), translation(0, 0, 100)};
    const uint32_t boneList[2] = {2, 1};
    LMat view = [] {
        LMat m;
        LMat::Scaling(m, 2, 2, 2);
        return m;
    }();
    mirel::DBuffer<LMat, 32> skin;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 256> positions;

    L3D_RENDERER_VERTEX vertex(uint32_t boneBytes) {
        L3D_RENDERER_VERTEX v{};
        v.x = 1;
        v.y = 2;
        v.z = 3;
        v.weights[0] = 0.5f;
        v.weights[1] = 0.25f;
        v.weights[2] = 0.125f;
        v.weights[3] = 0.125f;
        v.boneIndices = boneBytes;
        return v;
    }
    std::array<float, 3> pose(const L3D_RENDERER_VERTEX& v, uint32_t weights,
                              uint32_t matrixCount = 3, const uint32_t* list = nullptr) {
        l3dProcessVertexPoses({&v, 1, weights}, {list ? list : boneList, 2}, matrices, matrixCount,
                              view, skin, positions);
        return {positions[0].x, positions[0].y, positions[0].z};
    }
};

TEST_F(VertexPosesTest, PositionsBlendByTheWeightCount) {
    // Bone bytes b0 = 1, b1 = 2, b2 = 0, b3 = 1. Through slot 0 the vertex lands at (4, 4, 6),
    // through byte 1 at (2, 4, 206), through byte 2 at (2, 24, 6).
    const L3D_RENDERER_VERTEX v = vertex(0x01000201);
    struct Case {
        uint32_t weights;
        std::array<float, 3> expected;
    };
    const Case cases[] = {
        {0, {4, 4, 6}},          // the part's own matrix
        {1, {2, 4, 206}},        // bone b0 alone, its weight unused
        {2, {1.5f, 8, 104.5f}},  // 0.5 b0 + 0.25 b1
        {3, {2, 8.5f, 105.25f}}, {4, {2.25f, 9, 131}},
    };
    for (const Case& c : cases) EXPECT_EQ(pose(v, c.weights), c.expected) << c.weights;
}

TEST_F(VertexPosesTest, PositionsAreDividedByW) {
    view = LMat::Identity();
    view.m[3][3] = 2.0f;
    EXPECT_EQ(pose(vertex(0), 0), (std::array<float, 3>{1, 1, 1.5f}));
    // The skin matrices hold the products with the view.
    EXPECT_EQ(skin[0].m[3][0], 1.0f);
    EXPECT_EQ(skin[1].m[3][2], 100.0f);
}

TEST_F(VertexPosesTest, BadBoneBytesAndListEntriesUseTheFirstEntry) {
    // Byte 7 is past the two list entries; list entry 9 past the three matrices.
    EXPECT_EQ(pose(vertex(0x07), 1), (std::array<float, 3>{4, 4, 6}));
    const uint32_t badList[2] = {9, 1};
    EXPECT_EQ(pose(vertex(0x01), 1, 3, badList), (std::array<float, 3>{4, 4, 6}));
}

TEST_F(VertexPosesTest, NoMatricesOrTooManyWeightsAreFatal) {
    tessera::test::DebugCapture log;
    const L3D_RENDERER_VERTEX v = vertex(0);
    EXPECT_THROW(pose(v, 0, 0), LExceptGame);
    EXPECT_NE(log.text().find(mirel::Sjis("[L3DRenderer::ProcessVertexPoses] matcountが0")),
              std::string::npos);
    EXPECT_THROW(pose(v, 5), LExceptGame);
    EXPECT_NE(log.text().find(
                  mirel::Sjis("[L3DRenderer::ProcessVertexPoses] サポートしていないボーン数(5)")),
              std::string::npos);
}

}  // namespace
