#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DPartDraw.h"
#include "tests/render3d/renderer_fixture.h"
#include "tests/render3d/support/matrices.h"
#include "tests/render3d/support/part_builder.h"

namespace tessera::test {
namespace {

class RendererDraw : public RendererTest {
protected:
    L3DRenderer& make(AdapterProfile profile = softwareAdapterProfile()) {
        L3DDevice& device = createWindowed(std::move(profile));
        return createRenderer(device, minimalShaderArchive());
    }
    std::vector<std::array<float, 4>> constants(uint32_t count) {
        std::vector<std::array<float, 4>> out(count);
        device_->device()->GetVertexShaderConstantF(0, out[0].data(), count);
        return out;
    }
    uint32_t wantedRenderState(uint32_t state) { return device_->renderStateRow(state).value; }
    // The recorded calls whose method starts with prefix.
    std::vector<std::string> callsOf(const std::string& prefix) {
        std::vector<std::string> out;
        for (const std::string& call : calls())
            if (call.rfind(prefix, 0) == 0) out.push_back(call);
        return out;
    }
};

TEST_F(RendererDraw, CameraLightAndFogAreStored) {
    L3DRenderer& renderer = make();
    renderer.cacheFlags = 7;
    const LMat view = translation(0, 0, 5);
    const LMat projection = perspective43();
    renderer.SetViewProjection(view, projection);
    EXPECT_EQ(renderer.cacheFlags, 0u);
    const LMat product = view * projection;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(renderer.viewProjection.m[r][c], product.m[r][c]);
            EXPECT_EQ(renderer.viewProjectionT.m[c][r], product.m[r][c]);
        }
    EXPECT_EQ(renderer.view.m[3][2], 5.0f);
    EXPECT_EQ(renderer.projection.m[0][0], 0.75f);

    const float light[3] = {0, 3, 4};
    renderer.SetLightDir(light);
    EXPECT_FLOAT_EQ(renderer.lightDir[1], 0.6f);
    EXPECT_FLOAT_EQ(renderer.lightDir[2], 0.8f);
    renderer.SetFogColor(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(renderer.fogColor, 0x00FF8000u);
    renderer.SetFogColor(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(renderer.fogColor, 0u);
}

TEST_F(RendererDraw, BeginObjectSetsFogTheNolightShaderAndItsRegisters) {
    L3DRenderer& renderer = make();
    renderer.fogEnable = 1;
    renderer.fogColor = 0x00102030;
    renderer.fogParams[0] = -0.01f;
    renderer.fogParams[1] = 2.0f;
    const LMat world = translation(1, 2, 3);
    const LMat view = translation(0, 0, 10);
    const LMat projection = perspective43();
    recorder().setEnabled(true);
    renderer.BeginObject(world, view, projection);
    EXPECT_EQ(wantedRenderState(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(wantedRenderState(D3DRS_FOGCOLOR), 0x00102030u);
    EXPECT_EQ(callsOf("SetVertexShader(").size(), 1u);
    const auto c = constants(5);
    EXPECT_EQ(c[0][0], -0.01f);
    EXPECT_EQ(c[0][1], 2.0f);
    LMat wvp = world * view * projection;
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(c[1 + r][col], wvp.m[col][r]);

    renderer.fogEnable = 0;
    renderer.BeginObject(world, view, projection);
    EXPECT_EQ(wantedRenderState(D3DRS_FOGENABLE), 0u);
}

TEST_F(RendererDraw, OutlineRegistersWithAndWithoutWeights) {
    L3DRenderer& renderer = make();
    renderer.SetViewProjection(translation(0, 0, 4), perspective43());
    renderer.fogParams[0] = 0.5f;
    renderer.fogParams[1] = 0.25f;
    const LMat world = translation(1, 0, 0);
    LMat bone = translation(0, 1, 0);
    PartBuilder builder({world, bone});
    PieceSpec rigid = quadPiece(0, 0, 1, 1, 0, 0xFFFFFFFF);
    rigid.edgeWidth = 0.02f;
    PieceSpec skinned = rigid;
    skinned.weightCount = 2;
    skinned.usedBones = {1, 5};  // 5 is past the palette: entry 0
    builder.add(rigid);
    builder.add(skinned);
    L3D_PARTINST_MAT& rigidPiece = builder.piece(0);
    L3D_PARTINST_MAT& skinnedPiece = builder.piece(1);
    builder.option(0).edgeColor[0] = 0.25f;
    builder.option(1).edgeColor[0] = 0.25f;
    renderer._LoadBoneMatrices(builder.part());

    renderer._DrawOutline(builder.part(), rigidPiece);
    EXPECT_EQ(renderer.cacheFlags, L3DCacheInverseProjection | L3DCacheEdgeAspect);
    EXPECT_FLOAT_EQ(renderer.edgeAspect, 0.75f);
    EXPECT_FLOAT_EQ(renderer.edgeAspectInverse, 4.0f / 3.0f);
    EXPECT_EQ(wantedRenderState(D3DRS_CULLMODE), static_cast<uint32_t>(D3DCULL_CCW));
    auto c = constants(7);
    EXPECT_EQ(c[0][0], 0.02f);
    EXPECT_FLOAT_EQ(c[0][1], 0.02f * 4.0f / 3.0f);
    EXPECT_EQ(c[0][3], 0.0f);
    EXPECT_EQ(c[1][0], 0.25f);
    EXPECT_EQ(c[2][0], 0.5f);
    EXPECT_EQ(c[2][1], 0.25f);
    const LMat wvp = world * renderer.viewProjection;
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(c[3 + r][col], wvp.m[col][r]);

    renderer._DrawOutline(builder.part(), skinnedPiece);
    c = constants(16);
    EXPECT_EQ(c[0], (std::array<float, 4>{1.0f, 0.5f, 0.25f, 765.01f}));
    EXPECT_EQ(c[1][0], 0.02f);
    EXPECT_EQ(c[2][0], 0.25f);
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(c[3 + r][col], renderer.viewProjectionT.m[r][col]);
    // Bones: entry 0 (the world), the list's entry 1, then entry 0 for the bad entry 5; each
    // the first three rows of the transposed matrix (the translation in column 3).
    EXPECT_EQ(c[7][3], 1.0f);   // world x
    EXPECT_EQ(c[11][3], 1.0f);  // bone y
    EXPECT_EQ(c[13][3], 1.0f);  // world x again
}

TEST_F(RendererDraw, RecordsDrawFromBuffersOrFromMemory) {
    L3DRenderer& renderer = make();
    L3DDevice& device = *device_;
    PartBuilder builder({LMat::Identity()});
    builder.add(quadPiece(0, 0, 1, 1, 0, 0xFFFFFFFF), &device);
    PieceSpec cpu = quadPiece(0, 0, 1, 1, 0, 0xFFFFFFFF);
    cpu.flags = L3D_PARTINST_MAT::FlagCpuVertices;
    builder.add(cpu, &device);
    PieceSpec three = quadPiece(0, 0, 1, 1, 0, 0xFFFFFFFF);
    three.flags = L3D_PARTINST_MAT::FlagThreeUvSets | L3D_PARTINST_MAT::FlagCpuVertices;
    builder.add(three, &device);

    recorder().setEnabled(true);
    for (uint32_t i = 0; i < 3; ++i) renderer._DrawRecord(builder.piece(i));
    const std::vector<std::string> draws = callsOf("DrawIndexed");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0], "DrawIndexedPrimitive(4, 0, 0, 4, 0, 2)");
    EXPECT_NE(draws[1].find("DrawIndexedPrimitiveUP(4, 0, 4, 2"), std::string::npos) << draws[1];
    EXPECT_NE(draws[1].find(", 56)"), std::string::npos) << draws[1];
    // Three UV sets ignore the CPU flag: drawn from the vertex buffer with stride 72.
    EXPECT_EQ(draws[2], "DrawIndexedPrimitive(4, 0, 0, 4, 0, 2)");
    const std::vector<std::string> streams = callsOf("SetStreamSource");
    ASSERT_FALSE(streams.empty());
    EXPECT_NE(streams.back().find(", 72)"), std::string::npos) << streams.back();
    EXPECT_NE(callsOf("SetFVF(33630)").size(), 0u);  // 0x835E
}

TEST_F(RendererDraw, SoftwareVertexProcessingDrawsFromMemory) {
    AdapterProfile profile = softwareAdapterProfile();
    profile.caps.MaxVertexShaderConst = 4;  // too few for any kind: software processing
    L3DRenderer& renderer = make(profile);
    L3DDevice& device = *device_;
    PartBuilder builder({LMat::Identity()});
    PieceSpec three = quadPiece(0, 0, 1, 1, 0, 0xFFFFFFFF);
    three.flags = L3D_PARTINST_MAT::FlagThreeUvSets;
    builder.add(three, &device);
    renderer._SelectVShader(L3DShaderMap3, 0);
    recorder().setEnabled(true);
    renderer._DrawRecord(builder.piece(0));
    const std::vector<std::string> draws = callsOf("DrawIndexed");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_NE(draws[0].find("DrawIndexedPrimitiveUP(4, 0, 4, 2"), std::string::npos) << draws[0];
    EXPECT_NE(draws[0].find(", 72)"), std::string::npos) << draws[0];
}

void recordFog(L3DRenderer* renderer, const L3D_RENDERER_VERTEX*, uint32_t, const uint16_t*,
               uint32_t, void* user) {
    static_cast<std::vector<uint32_t>*>(user)->push_back(renderer->fogColor);
}

TEST_F(RendererDraw, RegistrationsCarryTheFogAndDrawZsdFreesTheBlendedRecords) {
    L3DRenderer& renderer = make();
    std::vector<uint32_t> seen;
    L3D_RENDERER_VERTEX vertices[3] = {};
    const uint16_t indices[3] = {0, 1, 2};
    const float near[3] = {0, 0, 1};
    const float far[3] = {0, 0, 9};
    renderer.fogColor = 0x11;
    renderer.RegistZsdElementArgs(near, 3, vertices, vertices, indices, 3, recordFog, &seen, 0);
    renderer.fogColor = 0x22;
    renderer.RegistZsdElementArgs(far, 3, vertices, vertices, indices, 3, recordFog, &seen, 2);
    renderer.fogColor = 0x33;
    renderer.alphaRecords.Take();
    renderer.DrawZsd();
    // Same callback and user: one merged run, with the fog of the group it started in.
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x22}));
    EXPECT_EQ(renderer.fogColor, 0x33u);
    EXPECT_EQ(renderer.alphaRecords.used, 0u);
    EXPECT_EQ(renderer.zsd.groupCount, 0u);
}

}  // namespace
}  // namespace tessera::test
