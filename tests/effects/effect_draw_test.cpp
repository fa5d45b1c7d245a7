// Effect drawing: immediate batches by texture and blend mode with their 16-bit splits, the
// sorted pass's groups, and the render states of the twelve blend modes as the device saw them.
#include <gtest/gtest.h>

#include <map>

#include "platform/d3d9/d3d9_enums.h"
#include "tests/effects/effect_draw_fixture.h"

namespace tessera::test {
namespace {

using tools::writers::EffectDefinition;
using tools::writers::EffectImageDef;
using Draws = std::vector<std::pair<uint32_t, uint32_t>>;

// Images 0 and 1; definitions: 0 and 1 on image 0 with blend 1 (different rectangles), 2 on
// image 0 with blend 8, 3 on image 1 with blend 1. Model 0: 40000 vertices whose one triangle
// uses the last three; model 1: one triangle listed 22000 times (66000 indices).
EffectDefinition batchDefinition() {
    EffectDefinition definition;
    definition.imageOptions = {0, 0};
    const std::pair<uint32_t, uint32_t> defs[] = {{0, 1}, {0, 1}, {0, 8}, {1, 1}};
    for (const auto& [image, blend] : defs) {
        EffectImageDef def;
        def.image = image;
        def.blend = blend;
        def.left = static_cast<float>(definition.imageDefs.size()) * 0.25f;
        definition.imageDefs.push_back(def);
    }
    tools::writers::EffectModel big;
    big.vertices.resize(40000);
    big.indices = {39997, 39998, 39999};
    definition.models.push_back(big);
    tools::writers::EffectModel repeated;
    repeated.vertices.resize(3);
    for (int i = 0; i < 22000; ++i) repeated.indices.insert(repeated.indices.end(), {0, 1, 2});
    definition.models.push_back(repeated);
    return definition;
}

class EffectDraw : public EffectDrawTest {
protected:
    void SetUp() override {
        EffectDrawTest::SetUp();
        LMat view = LMat::Identity();
        view.m[3][2] = 5.0f;
        createRenderer(view, LMat::Identity());
        setPropTextured(batchDefinition(), 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
        recorder().setEnabled(true);
    }

    Draws draw(uint32_t flags) {
        recorder().clear();
        manager_.Draw(flags);
        if (flags & L3DEffectManager::DrawSorted) renderer_.DrawZsd();
        return recordedDraws();
    }
};

TEST_F(EffectDraw, PartsOfOneImageAndBlendShareABatch) {
    L3D_EFFECT_WORKROOT* instance = playInstance();
    addPart(instance, 0, -1);
    addPart(instance, 1, -2);  // another rectangle of the same image and blend
    addPart(instance, 2, -1);  // same image, another blend
    addPart(instance, 0, -1);
    addPart(instance, 3, -1);  // another image, same blend
    EXPECT_EQ(draw(0), (Draws{{16, 10}, {4, 2}, {4, 2}, {4, 2}}));
}

TEST_F(EffectDraw, PartsWithoutGeometryNeitherDrawNorSplit) {
    EXPECT_EQ(draw(0), Draws{});
    L3D_EFFECT_WORKROOT* instance = playInstance();
    addPart(instance, 0, -5);  // a trail without samples
    EXPECT_EQ(draw(0), Draws{});
    addPart(instance, 0, -1);
    addPart(instance, 0, -5);
    addPart(instance, 1, -1);
    EXPECT_EQ(draw(0), (Draws{{8, 4}}));
    // Hidden instances are left out of both passes.
    instance->holdFlags = L3DEffectHoldHidden;
    EXPECT_EQ(draw(0), Draws{});
    EXPECT_EQ(draw(L3DEffectManager::DrawSorted), Draws{});
}

TEST_F(EffectDraw, BatchSplitsBeforeThePartThatWouldPass65535Indices) {
    // 10922 quads give 65532 indices; the next one would make 65538.
    for (int i = 0; i < 4; ++i) {
        L3D_EFFECT_WORKROOT* instance = playInstance();
        for (int q = 0; q < (i < 2 ? 2731 : 2730); ++q) addPart(instance, 0, -1);
    }
    L3D_EFFECT_WORKROOT* last = playInstance();
    L3D_EFFECT_WORKPART* split = addPart(last, 0, -1);
    split->world.m[3][0] = 7.0f;
    // The newest instance draws first: move it to the end of the active list.
    manager_.active = last->next;
    manager_.active->previous = nullptr;
    L3D_EFFECT_WORKROOT* tail = manager_.active;
    while (tail->next) tail = tail->next;
    tail->next = last;
    last->previous = tail;
    last->next = nullptr;

    EXPECT_EQ(draw(0), (Draws{{43688, 21844}, {4, 2}}));
    // The part that split starts the second batch at vertex 0.
    EXPECT_EQ(manager_.batchVertices.Count(), 4);
    EXPECT_FLOAT_EQ(manager_.batchVertices[0].x, 6.5f);
    ASSERT_EQ(manager_.batchIndices.Count(), 6);
    EXPECT_EQ(manager_.batchIndices[5], 3);
}

TEST_F(EffectDraw, BatchSplitsBeforeVerticesThat16BitIndicesCannotName) {
    // Two parts of 40000 vertices and 3 indices each: the second one's indices would reach
    // 79999, so it starts a batch of its own although the index count is small.
    L3D_EFFECT_WORKROOT* instance = playInstance();
    addPart(instance, 0, 0);
    addPart(instance, 0, 0);
    EXPECT_EQ(draw(0), (Draws{{40000, 1}, {40000, 1}}));
    ASSERT_EQ(manager_.batchIndices.Count(), 3);
    EXPECT_EQ(manager_.batchIndices[0], 39997);
}

TEST_F(EffectDraw, PartWithMoreIndicesThanABatchHoldsIsDrawnAlone) {
    // Nothing is pending before the first part, so it starts no empty batch; the parts around
    // it go into batches of their own.
    L3D_EFFECT_WORKROOT* instance = playInstance();
    addPart(instance, 0, 1);
    addPart(instance, 0, -1);
    addPart(instance, 0, 1);
    addPart(instance, 0, -1);
    EXPECT_EQ(draw(0), (Draws{{3, 22000}, {4, 2}, {3, 22000}, {4, 2}}));
}

TEST_F(EffectDraw, SortedPassRegistersOneGroupPerInstanceWithGeometry) {
    L3D_EFFECT_WORKROOT* empty = playInstance();
    addPart(empty, 0, -5);
    LMat world = LMat::Identity();
    world.m[3][0] = 3.0f;
    world.m[3][1] = 4.0f;
    L3D_EFFECT_WORKROOT* instance = playInstance(world);
    addPart(instance, 0, -1);
    addPart(instance, 0, -5);
    addPart(instance, 1, -1);
    addPart(instance, 2, -1);

    manager_.Draw(L3DEffectManager::DrawSorted);
    ASSERT_EQ(renderer_.zsd.groupCount, 1u);
    // The root part's origin in view space: (3, 4, 5).
    EXPECT_FLOAT_EQ(renderer_.zsd.head->key, 50.0f);
    uint32_t elements = 0;
    for (auto* e = renderer_.zsd.head->elements; e; e = e->next) ++elements;
    EXPECT_EQ(elements, 3u);
    // The two elements of one key merge into one draw.
    recorder().clear();
    renderer_.DrawZsd();
    EXPECT_EQ(recordedDraws(), (Draws{{8, 4}, {4, 2}}));
}

TEST_F(EffectDraw, SortedElementsKeepTriangleOrderOnlyForOrderIndependentBlends) {
    // Blend 1 keeps the given order; blend 0 sorts the triangles far to near.
    for (uint32_t blend : {1u, 0u}) {
        SCOPED_TRACE(blend);
        L3D_EFFECT_WORKROOT* instance = playInstance();
        addPart(instance, 0, -7);  // the XZ quad: its depth varies
        manager_.imageDefs[0].blend = blend;
        manager_.Draw(L3DEffectManager::DrawSorted);
        ASSERT_EQ(renderer_.zsd.groupCount, 1u);
        const auto* element = renderer_.zsd.head->elements;
        const std::vector<uint16_t> order(element->indices.Items(), element->indices.Items() + 6);
        // The quad's far edge lies at depth 5.5: triangle (2, 1, 3), with two corners there,
        // is the farther one and goes first when sorted.
        if (blend == 1)
            EXPECT_EQ(order, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));
        else
            EXPECT_EQ(order, (std::vector<uint16_t>{2, 1, 3, 0, 1, 2}));
        renderer_.DrawZsd();
        manager_._FreeRoot(instance);
    }
}

// The device state after a draw: the defaults overwritten by the recorded SetRenderState calls.
using namespace platform::d3d9;

struct ModeCase {
    uint32_t mode;
    uint32_t src, dest, srcAlpha, destAlpha;
    uint32_t alphaFunc;  // D3DCMP_ALWAYS: no test
    uint32_t alphaRef;
    uint32_t zWrite;
};

TEST_F(EffectDraw, BlendModesSetTheirRenderStates) {
    constexpr uint32_t Z = D3DBLEND_ZERO, O = D3DBLEND_ONE, SA = D3DBLEND_SRCALPHA,
                       ISA = D3DBLEND_INVSRCALPHA, DC = D3DBLEND_DESTCOLOR,
                       IDC = D3DBLEND_INVDESTCOLOR, G = D3DCMP_GREATER, GE = D3DCMP_GREATEREQUAL,
                       NONE = D3DCMP_ALWAYS;
    const ModeCase cases[] = {
        {0, SA, ISA, Z, ISA, G, 0, 0},   {1, SA, O, Z, O, G, 0, 0},
        {2, O, ISA, Z, O, NONE, 0, 0},   {3, DC, Z, Z, O, NONE, 0, 0},
        {4, IDC, ISA, Z, O, NONE, 0, 0}, {5, DC, O, Z, O, NONE, 0, 0},
        {6, O, Z, Z, Z, GE, 255, 1},     {7, SA, ISA, Z, ISA, G, 0, 1},
        {8, O, O, Z, O, NONE, 0, 0},     {9, DC, SA, Z, O, NONE, 0, 0},
        {10, IDC, Z, Z, O, NONE, 0, 0},  {11, O, O, O, O, NONE, 0, 0},
    };
    L3D_RENDERER_VERTEX vertices[3] = {};
    const uint16_t indices[3] = {0, 1, 2};
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.mode);
        // Start from the device defaults, then record one batch of this mode.
        device_->ResetStates();
        device_->ApplyStates();
        recorder().clear();
        L3D_EFFECT_IMAGEKEY key{c.mode, nullptr};
        L3DEffectManager::_DrawBatch(&renderer_, vertices, 3, indices, 3, &key);
        std::map<uint32_t, uint32_t> state = {{D3DRS_SRCBLEND, O},
                                              {D3DRS_DESTBLEND, Z},
                                              {D3DRS_SRCBLENDALPHA, O},
                                              {D3DRS_DESTBLENDALPHA, Z},
                                              {D3DRS_ALPHATESTENABLE, 0},
                                              {D3DRS_ALPHAFUNC, NONE},
                                              {D3DRS_ALPHAREF, 0},
                                              {D3DRS_ZWRITEENABLE, 1},
                                              {D3DRS_CULLMODE, D3DCULL_CCW},
                                              {D3DRS_ALPHABLENDENABLE, 0},
                                              {D3DRS_SEPARATEALPHABLENDENABLE, 0}};
        std::string draw;
        for (const RecordedCall& call : recorder().calls()) {
            unsigned s = 0, v = 0;
            if (call.method == "SetRenderState" &&
                std::sscanf(call.arguments.c_str(), "%u, %u", &s, &v) == 2)
                state[s] = v;
            if (call.method == "DrawIndexedPrimitiveUP") draw = call.arguments;
        }
        EXPECT_EQ(state[D3DRS_SRCBLEND], c.src);
        EXPECT_EQ(state[D3DRS_DESTBLEND], c.dest);
        EXPECT_EQ(state[D3DRS_SRCBLENDALPHA], c.srcAlpha);
        EXPECT_EQ(state[D3DRS_DESTBLENDALPHA], c.destAlpha);
        EXPECT_EQ(state[D3DRS_ALPHATESTENABLE], c.alphaFunc != NONE ? 1u : 0u);
        EXPECT_EQ(state[D3DRS_ALPHAFUNC], c.alphaFunc);
        EXPECT_EQ(state[D3DRS_ALPHAREF], c.alphaRef);
        EXPECT_EQ(state[D3DRS_ZWRITEENABLE], c.zWrite);
        EXPECT_EQ(state[D3DRS_CULLMODE], static_cast<uint32_t>(D3DCULL_NONE));
        EXPECT_EQ(state[D3DRS_ALPHABLENDENABLE], 1u);
        EXPECT_EQ(state[D3DRS_SEPARATEALPHABLENDENABLE], 1u);
        // Triangle list from index 0, 3 vertices, 1 triangle, 16-bit indices, 56-byte stride.
        EXPECT_EQ(draw, "4, 0, 3, 1, ptr, 101, ptr, 56");
    }
    L3D_EFFECT_IMAGEKEY unknown{12, nullptr};
    expectFatal(
        [&] { L3DEffectManager::_DrawBatch(&renderer_, vertices, 3, indices, 3, &unknown); },
        "[L3DEffectManager::Draw] 未対応のblend(12)");
}

}  // namespace
}  // namespace tessera::test
