#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DPartDraw.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/render3d/renderer_fixture.h"
#include "tests/render3d/support/matrices.h"
#include "tests/render3d/support/part_builder.h"

namespace tessera::test {
namespace {

const float kWhite[4] = {1, 1, 1, 1};

// Two triangles: the first near the eye (z 1), the second far (z 10), so that sorting them back
// to front swaps them.
PieceSpec nearAndFar(uint32_t blendType) {
    PieceSpec spec = quadPiece(0, 0, 1, 1, 1.0f, 0xFFFFFFFF);
    PieceSpec far = quadPiece(0, 0, 1, 1, 10.0f, 0xFFFFFFFF);
    spec.vertices.insert(spec.vertices.end(), far.vertices.begin(), far.vertices.end());
    spec.indices = {0, 2, 1, 4, 6, 5};
    spec.blendType = blendType;
    return spec;
}

class RendererInstance : public RendererTest {
protected:
    L3DRenderer& make() {
        L3DDevice& device = createWindowed();
        L3DRenderer& renderer = createRenderer(device, minimalShaderArchive());
        renderer.SetViewProjection(LMat::Identity(), LMat::Identity());
        recorder().setEnabled(true);
        return renderer;
    }
    void draw(L3DRenderer& renderer, L3DPartDraw& part, uint32_t flags = 0) {
        L3DPartDraw* parts[] = {&part};
        renderer.DrawObjectInstance(parts, kWhite, kWhite, flags);
    }
    size_t drawCalls() {
        size_t n = 0;
        for (const std::string& call : calls())
            if (call.rfind("DrawIndexedPrimitive", 0) == 0) ++n;
        return n;
    }
    // The indices the depth-sorted pass keeps for the first element of its newest group.
    std::vector<uint16_t> queuedIndices(L3DRenderer& renderer) {
        const _L3D_RENDERER_ZSD_REGISTELEMENT* e = renderer.zsd.head->elements;
        return {e->indices.Items(), e->indices.Items() + e->indexCount};
    }
};

TEST_F(RendererInstance, OpaquePiecesDrawAtOnceAndBlendedOnesAreQueued) {
    struct Case {
        const char* name;
        uint32_t blendType;
        uint32_t drawFlags;
        bool queued;
        std::vector<uint16_t> keptIndices;  // when queued
    };
    const std::vector<Case> cases = {
        {"type 0", 0, 0, false, {}},
        {"type 7 cut-out", 7, 0, false, {}},
        {"type 8", 8, 0, false, {}},
        {"type 12", 12, 0, false, {}},
        {"type 2 keeps its order", 2, 0, true, {0, 2, 1, 4, 6, 5}},
        {"type 13 keeps its order", 13, 0, true, {0, 2, 1, 4, 6, 5}},
        {"type 1 sorts back to front", 1, 0, true, {4, 6, 5, 0, 2, 1}},
        {"type 2 with draw flag 2", 2, 2, false, {}},
    };
    L3DRenderer& renderer = make();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PartBuilder builder({LMat::Identity()});
        builder.add(nearAndFar(c.blendType), device_.get());
        recorder().clear();
        draw(renderer, builder.part(), c.drawFlags);
        EXPECT_EQ(drawCalls(), c.queued ? 0u : 1u);
        ASSERT_EQ(renderer.zsd.groupCount, c.queued ? 1u : 0u);
        if (c.queued) {
            EXPECT_EQ(queuedIndices(renderer), c.keptIndices);
            recorder().clear();
            renderer.DrawZsd();
            EXPECT_EQ(drawCalls(), 1u);
        }
    }
}

TEST_F(RendererInstance, APartWithTypes0And2DrawsOneAndQueuesTheOther) {
    L3DRenderer& renderer = make();
    PartBuilder builder({LMat::Identity()});
    builder.add(nearAndFar(0), device_.get());
    builder.add(nearAndFar(2), device_.get());
    draw(renderer, builder.part());
    EXPECT_EQ(drawCalls(), 1u);
    EXPECT_EQ(renderer.zsd.groupCount, 1u);
    EXPECT_EQ(renderer.alphaRecords.used, 1u);
    const auto* queued =
        static_cast<const _L3D_RENDERER_ALPHASHADER*>(renderer.zsd.head->elements->user);
    EXPECT_EQ(queued->record, &builder.piece(1));
    renderer.DrawZsd();
    EXPECT_EQ(drawCalls(), 2u);

    recorder().clear();
    draw(renderer, builder.part(), L3DDrawAllAtOnce);
    EXPECT_EQ(drawCalls(), 2u);
    EXPECT_EQ(renderer.zsd.groupCount, 0u);
}

TEST_F(RendererInstance, HiddenPartsDrawNothing) {
    L3DRenderer& renderer = make();
    PartBuilder builder({LMat::Identity()});
    builder.add(nearAndFar(0), device_.get());
    builder.add(nearAndFar(2), device_.get());
    builder.part().flags = L3DPartDraw::FlagHidden;
    draw(renderer, builder.part());
    EXPECT_EQ(drawCalls(), 0u);
    EXPECT_EQ(renderer.zsd.groupCount, 0u);
}

TEST_F(RendererInstance, BlendedStripsAndThreeUvPiecesAreFatal) {
    L3DRenderer& renderer = make();
    PieceSpec strip = quadPiece(0, 0, 1, 1, 1, 0xFFFFFFFF);
    strip.indices = {0, 2, 1, 3};
    strip.primitiveType = 5;
    strip.blendType = 2;
    PartBuilder strips({LMat::Identity()});
    strips.add(strip);
    expectFatal([&] { draw(renderer, strips.part()); },
                "[L3DRenderer::_DrawAnimMotionInstance] alphaはこの形式に対応していない");

    PieceSpec three = nearAndFar(2);
    three.flags = L3D_PARTINST_MAT::FlagThreeUvSets;
    PartBuilder threes({LMat::Identity()});
    threes.add(three);
    expectFatal([&] { draw(renderer, threes.part()); },
                "[L3DRenderer::_DrawAnimMotionInstance] UVが3つあるパーツ形式には対応していない");

    // Drawn at once, neither is a problem.
    recorder().clear();
    draw(renderer, strips.part(), L3DDrawAllAtOnce);
    draw(renderer, threes.part(), L3DDrawAllAtOnce);
    EXPECT_EQ(drawCalls(), 2u);
}

TEST_F(RendererInstance, QueuedPiecesGetTheirOutlineAtOnce) {
    L3DRenderer& renderer = make();
    PartBuilder builder({LMat::Identity()});
    PieceSpec spec = nearAndFar(2);
    spec.edgeWidth = 0.01f;
    builder.add(spec, device_.get());
    draw(renderer, builder.part());
    EXPECT_EQ(drawCalls(), 1u);  // the outline
    EXPECT_EQ(renderer.zsd.groupCount, 1u);
    bool culledCcw = false;
    for (const std::string& call : calls()) culledCcw |= call == "SetRenderState(22, 3)";
    EXPECT_TRUE(culledCcw);
}

TEST_F(RendererInstance, The129thBlendedPieceTakesASecondChunkAndTheNextFrameReusesTheFirst) {
    L3DRenderer& renderer = make();
    PartBuilder builder({LMat::Identity()});
    for (int i = 0; i < 129; ++i) builder.add(nearAndFar(2));
    draw(renderer, builder.part());
    EXPECT_EQ(renderer.alphaRecords.chunks.Count(), 2u);
    EXPECT_EQ(renderer.alphaRecords.used, 129u);
    _L3D_RENDERER_ALPHASHADER* first = renderer.alphaRecords.records[0];
    renderer.DrawZsd();
    EXPECT_EQ(renderer.alphaRecords.used, 0u);

    PartBuilder one({LMat::Identity()});
    one.add(nearAndFar(2));
    draw(renderer, one.part());
    EXPECT_EQ(renderer.alphaRecords.chunks.Count(), 2u);
    EXPECT_EQ(renderer.zsd.head->elements->user, first);
}

TEST_F(RendererInstance, TheQueueKeyIsTheCentresSquaredViewDistance) {
    L3DRenderer& renderer = make();
    renderer.SetViewProjection(translation(0, 0, 2), LMat::Identity());
    const float centre[3] = {3, 0, 2};
    PartBuilder builder({LMat::Identity()}, centre);
    builder.add(nearAndFar(2));
    draw(renderer, builder.part());
    EXPECT_EQ(renderer.zsd.head->key, 9.0f + 16.0f);
}

TEST_F(RendererInstance, BadIndicesAndBoneDataAreContained) {
    tessera::test::DebugCapture log;
    L3DRenderer& renderer = make();
    PartBuilder builder({LMat::Identity(), translation(0, 1, 0)});
    PieceSpec badIndex = nearAndFar(0);
    badIndex.indices[4] = 99;
    builder.add(badIndex, device_.get());
    PieceSpec shortIndices = nearAndFar(2);
    builder.add(shortIndices);
    PieceSpec badBones = nearAndFar(2);
    badBones.weightCount = 2;
    badBones.usedBones = {1, 40};                              // 40 is past the two matrices
    for (auto& v : badBones.vertices) v.boneIndices = 0x0902;  // byte 9 past the list
    builder.add(badBones, device_.get());
    builder.piece(1).pieceData->indexByteCount = 4;  // fewer indices than its triangles need

    draw(renderer, builder.part());
    EXPECT_EQ(drawCalls(), 0u);
    EXPECT_EQ(renderer.zsd.groupCount, 1u);  // only the piece with bad bones, made safe
    EXPECT_NE(log.text().find("index 99 of 8 vertices"), std::string::npos) << log.text();
    EXPECT_NE(log.text().find("indices past the index data"), std::string::npos);
    // Byte 9 and entry 40 fall back to entry 0 (the identity): positions unchanged.
    EXPECT_EQ(renderer.skinPositions[4].z, 10.0f);
    renderer.DrawZsd();
    EXPECT_EQ(drawCalls(), 1u);
}

TEST_F(RendererInstance, QueuedPiecesDrawWithTheirOwnPartsBones) {
    L3DRenderer& renderer = make();
    PartBuilder blended({LMat::Identity(), translation(0, 5, 0)});
    PieceSpec spec = nearAndFar(2);
    spec.weightCount = 1;
    spec.usedBones = {1};
    blended.add(spec);
    PartBuilder opaque({translation(7, 0, 0), translation(0, 0, 9)});
    opaque.add(nearAndFar(0));
    draw(renderer, blended.part());
    draw(renderer, opaque.part());
    EXPECT_EQ(renderer.boneMatrices[1].m[2][3], 9.0f);
    renderer.DrawZsd();
    EXPECT_EQ(renderer.boneMatrices[1].m[1][3], 5.0f);
    EXPECT_EQ(renderer.boneMatrices[1].m[2][3], 0.0f);
}

TEST_F(RendererInstance, DrawObjectInstanceSetsTheDefaultColours) {
    L3DRenderer& renderer = make();
    const float a[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    const float b[4] = {0.5f, 0.6f, 0.7f, 0.8f};
    renderer.DrawObjectInstance({}, a, b, 0);
    EXPECT_EQ(renderer.defaultOption.color1[3], 0.4f);
    EXPECT_EQ(renderer.defaultOption.color2[0], 0.5f);
}

}  // namespace
}  // namespace tessera::test
