// Vertex generation: the built-in shapes in view space, the camera-facing quad, trail ribbons,
// definition models and colour packing.
#include <gtest/gtest.h>

#include <limits>

#include "effects/L3DEffectDraw.h"
#include "tests/effects/effect_draw_fixture.h"
#include "tests/render3d/support/matrices.h"

namespace tessera::test {
namespace {

using tools::writers::EffectDefinition;
using tools::writers::EffectImageDef;

constexpr float kLeft = 0.25f, kTop = 0.5f, kRight = 0.75f, kBottom = 1.0f;

class EffectVertices : public EffectDrawTest {
protected:
    // Image definitions: 0 with pivot (0.5, 0.5), 1 with pivot (0, 0), both on the rectangle
    // (0.25, 0.5) to (0.75, 1); model 0 is a triangle.
    void SetUp() override {
        EffectDrawTest::SetUp();
        EffectDefinition definition;
        definition.imageOptions = {0};
        for (float pivot : {0.5f, 0.0f}) {
            EffectImageDef def;
            def.left = kLeft;
            def.top = kTop;
            def.right = kRight;
            def.bottom = kBottom;
            def.pivotX = def.pivotY = pivot;
            definition.imageDefs.push_back(def);
        }
        tools::writers::EffectModel model;
        model.vertices.resize(3);
        model.vertices[0].position = {1, 0, 0};
        model.vertices[0].colour = {1.0f, 0.5f, 0.0f, 1.0f};
        model.vertices[1].position = {0, 1, 0};
        model.vertices[1].s = 1.0f;
        model.vertices[2].position = {0, 0, 1};
        model.vertices[2].s = 0.5f;
        model.vertices[2].t = 1.0f;
        model.indices = {2, 1, 0};
        definition.models.push_back(model);
        useDevice();
        setPropTextured(definition, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
        renderer_.SetViewProjection(view_, LMat::Identity());
        instance_ = playInstance();
    }

    // Geometry of a part through the batch generator.
    L3DEffectGeometry build(const L3D_EFFECT_WORKPART& work) {
        manager_.batchVertices.SetCount(0);
        L3DEffectGeometry geometry;
        EXPECT_TRUE(manager_._BuildPartVertices(work, geometry));
        return geometry;
    }
    const L3D_RENDERER_VERTEX& vertex(uint32_t n) const { return manager_.batchVertices[n]; }

    // The view moves everything 5 along z; the part doubles and moves by (1, 2, 0), so a point
    // p lands at 2p + (1, 2, 5) (the other order of the two would give z + 10).
    LMat view_ = translation(0, 0, 5);
    LMat world_ = [] {
        LMat m;
        LMat::Scaling(m, 2, 2, 2);
        m.m[3][0] = 1;
        m.m[3][1] = 2;
        return m;
    }();
    L3D_EFFECT_WORKROOT* instance_ = nullptr;
};

struct Corner {
    uint32_t vertex;
    float x, y, z, u, v;
};

struct ShapeCase {
    int32_t model;
    int32_t image;  // 0: pivot (0.5, 0.5), 1: pivot (0, 0)
    uint32_t vertexCount;
    uint32_t indexCount;
    std::vector<Corner> corners;
};

constexpr float kMidU = (kLeft + kRight) / 2, kMidV = (kTop + kBottom) / 2;

TEST_F(EffectVertices, ShapesPlaceTheirCornersInViewSpace) {
    const ShapeCase cases[] = {
        {-1,
         0,
         4,
         6,
         {{0, 0, 3, 5, kLeft, kTop},
          {1, 0, 1, 5, kLeft, kBottom},
          {2, 2, 3, 5, kRight, kTop},
          {3, 2, 1, 5, kRight, kBottom}}},
        {-1,
         1,
         4,
         6,
         {{0, 1, 2, 5, kLeft, kTop},
          {1, 1, 0, 5, kLeft, kBottom},
          {2, 3, 2, 5, kRight, kTop},
          {3, 3, 0, 5, kRight, kBottom}}},
        {-6,
         0,
         4,
         6,
         {{0, 1, 3, 6, kLeft, kTop},
          {1, 1, 1, 6, kLeft, kBottom},
          {2, 1, 3, 4, kRight, kTop},
          {3, 1, 1, 4, kRight, kBottom}}},
        {-6,
         1,
         4,
         6,
         {{0, 1, 2, 5, kLeft, kTop},
          {1, 1, 0, 5, kLeft, kBottom},
          {2, 1, 2, 3, kRight, kTop},
          {3, 1, 0, 3, kRight, kBottom}}},
        {-7,
         0,
         4,
         6,
         {{0, 0, 2, 4, kLeft, kTop},
          {1, 0, 2, 6, kLeft, kBottom},
          {2, 2, 2, 4, kRight, kTop},
          {3, 2, 2, 6, kRight, kBottom}}},
        {-7,
         1,
         4,
         6,
         {{0, 1, 2, 5, kLeft, kTop},
          {1, 1, 2, 7, kLeft, kBottom},
          {2, 3, 2, 5, kRight, kTop},
          {3, 3, 2, 7, kRight, kBottom}}},
        {-2,
         0,
         12,
         24,
         {{0, 0, 3, 5, kLeft, kTop},
          {2, 1, 3, 5, kMidU, kTop},
          {5, 2, 1, 5, kRight, kBottom},
          {6, 1, 3, 4, kLeft, kTop},
          {11, 1, 1, 6, kRight, kBottom}}},
        {-2,
         1,
         12,
         24,
         {{0, 1, 2, 5, kLeft, kTop},
          {5, 3, 0, 5, kRight, kBottom},
          {11, 1, 0, 7, kRight, kBottom}}},
        {-3,
         0,
         27,
         72,
         {{0, 0, 3, 5, kLeft, kTop},
          {3, 1, 2, 5, kMidU, kMidV},
          {8, 2, 1, 5, kRight, kBottom},
          {17, 1, 1, 6, kRight, kBottom},
          {26, 0, 2, 6, kRight, kBottom}}},
        {-3,
         1,
         27,
         72,
         {{8, 3, 0, 5, kRight, kBottom},
          {17, 1, 0, 7, kRight, kBottom},
          {26, -1, 2, 7, kRight, kBottom}}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << " image " << c.image);
        L3D_EFFECT_WORKPART* work = addPart(instance_, c.image, c.model, world_);
        const L3DEffectGeometry g = build(*work);
        EXPECT_EQ(g.vertexBase, 0u);
        EXPECT_EQ(g.vertexCount, c.vertexCount);
        EXPECT_EQ(g.indexCount, c.indexCount);
        for (const Corner& corner : c.corners) {
            SCOPED_TRACE(testing::Message() << "vertex " << corner.vertex);
            const L3D_RENDERER_VERTEX& v = vertex(corner.vertex);
            EXPECT_NEAR(v.x, corner.x, 1e-5f);
            EXPECT_NEAR(v.y, corner.y, 1e-5f);
            EXPECT_NEAR(v.z, corner.z, 1e-5f);
            EXPECT_FLOAT_EQ(v.u, corner.u);
            EXPECT_FLOAT_EQ(v.v, corner.v);
            EXPECT_EQ(v.color, 0xFFFFFFFFu);
            EXPECT_EQ(v.boneIndices, 0u);
            EXPECT_EQ(v.weights[0], 0.0f);
            EXPECT_EQ(v.nz, 0.0f);
        }
        manager_._FreePart(work);
    }
}

TEST_F(EffectVertices, IndexTablesJoinQuadsAsTwoTriangles) {
    struct Case {
        int32_t model;
        std::vector<uint16_t> start;  // the first two quads
        uint16_t last;
    };
    const Case cases[] = {
        {-1, {0, 1, 2, 2, 1, 3}, 3},
        {-2, {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5}, 11},
        {-3, {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5}, 26},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        L3D_EFFECT_WORKPART* work = addPart(instance_, 0, c.model);
        const L3DEffectGeometry g = build(*work);
        const std::vector<uint16_t> start(g.indices, g.indices + c.start.size());
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(g.indices[g.indexCount - 1], c.last);
        manager_._FreePart(work);
    }
    // The third grid's lower quads: (b+1, b+6, b+3, b+7) and (b+3, b+7, b+5, b+8), b = 18.
    L3D_EFFECT_WORKPART* grid = addPart(instance_, 0, -3);
    const L3DEffectGeometry g = build(*grid);
    const std::vector<uint16_t> tail(g.indices + 60, g.indices + 72);
    EXPECT_EQ(tail, (std::vector<uint16_t>{19, 24, 21, 21, 24, 25, 21, 25, 23, 23, 25, 26}));
}

TEST_F(EffectVertices, FacingQuadStaysFacingTheCameraUnderInstanceRotation) {
    // A turned view and an instance turned every which way; the quad's corners keep one depth
    // and sit around the part's origin by the scales alone.
    renderer_.SetViewProjection(placement(1, 15, -30, 0.5f, -1, 8), LMat::Identity());
    instance_->scale = LMat::Identity();
    LMat::Scaling(instance_->scale, 2, 2, 2);
    for (float turn : {0.0f, 40.0f, 135.0f}) {
        for (float partTurn : {0.0f, 90.0f}) {
            SCOPED_TRACE(testing::Message() << "instance " << turn << " part " << partTurn);
            L3D_EFFECT_WORKPART* work =
                addPart(instance_, 0, -4, placement(3, turn, turn * 0.5f, 1, 2, 3));
            work->scale[0] = 1.5f;
            work->rotationMatrix = rotation(2, partTurn);
            const L3DEffectGeometry g = build(*work);
            ASSERT_EQ(g.vertexCount, 4u);
            LVec centre;
            LMat viewWorld;
            LMat::Multiply(work->world, renderer_.view, viewWorld);
            LMat::TransformCoord({0, 0, 0}, viewWorld, centre);
            // Corner k of the unit quad, scaled by (3, 2) and turned within the screen.
            const LMat turnInScreen = rotation(2, partTurn);
            const float cornerX[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
            const float cornerY[4] = {0.5f, -0.5f, 0.5f, -0.5f};
            for (uint32_t k = 0; k < 4; ++k) {
                LVec offset;
                LMat::TransformCoord({3 * cornerX[k], 2 * cornerY[k], 0}, turnInScreen, offset);
                EXPECT_NEAR(vertex(k).x, centre.x + offset.x, 1e-4f) << k;
                EXPECT_NEAR(vertex(k).y, centre.y + offset.y, 1e-4f) << k;
                EXPECT_NEAR(vertex(k).z, centre.z, 1e-4f) << k;
            }
            manager_._FreePart(work);
        }
    }
}

TEST_F(EffectVertices, TrailOfOneCommittedAndOneProvisionalSampleIsOneQuad) {
    L3D_EFFECT_WORKPART* work = addPart(instance_, 0, -5, world_);
    L3DEffectGeometry geometry;
    // No tracker, then a single sample: nothing to draw.
    EXPECT_FALSE(manager_._BuildPartVertices(*work, geometry));
    L3D_EFFECT_TRACKER tracker;
    tracker.life = 10.0f;
    tracker.inverseLife = 0.1f;
    tracker.sampleCount = 1;
    tracker.samples[0] = {4.0f, {0, 0, 0}, {0, 1, 0}};
    tracker.samples[1] = {10.0f, {2, 0, 0}, {2, 1, 0}};
    work->trail = &tracker;
    EXPECT_FALSE(manager_._BuildPartVertices(*work, geometry));

    tracker.provisionalCount = 1;
    const L3DEffectGeometry g = build(*work);
    EXPECT_EQ(g.vertexCount, 4u);
    ASSERT_EQ(g.indexCount, 6u);
    EXPECT_EQ(std::vector<uint16_t>(g.indices, g.indices + 6),
              (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));
    // Samples are world positions: the part's matrix does not apply, the view does.
    EXPECT_FLOAT_EQ(vertex(0).z, 5.0f);
    EXPECT_FLOAT_EQ(vertex(3).x, 2.0f);
    EXPECT_FLOAT_EQ(vertex(3).y, 1.0f);
    // The newest sample at the right edge, the older one moved left by its age.
    EXPECT_FLOAT_EQ(vertex(2).u, kRight);
    EXPECT_FLOAT_EQ(vertex(3).u, kRight);
    EXPECT_FLOAT_EQ(vertex(0).u, kLeft + 0.4f * (kRight - kLeft));
    EXPECT_FLOAT_EQ(vertex(0).v, kTop);
    EXPECT_FLOAT_EQ(vertex(1).v, kBottom);
    work->trail = nullptr;
}

TEST_F(EffectVertices, ColourChannelsPackRoundedAndClamped) {
    struct Case {
        float channel;
        uint32_t byte;
    };
    const Case cases[] = {{1.0f, 255},   {0.5f, 128},
                          {-0.25f, 0},   {0.0f, 0},
                          {2.0f, 255},   {1.0f / 255.0f, 1},
                          {0.498f, 127}, {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channel);
        const float colour[4] = {c.channel, c.channel, c.channel, c.channel};
        EXPECT_EQ(l3dEffectPackColour(colour), c.byte * 0x01010101u);
    }
    // Channels land as A, R, G, B from high to low.
    const float mixed[4] = {1.0f, 0.5f, 0.0f, 0.2f};
    EXPECT_EQ(l3dEffectPackColour(mixed), 0x33FF8000u);
}

TEST_F(EffectVertices, DefinitionModelsUseTheirVerticesColoursAndIndices) {
    L3D_EFFECT_WORKPART* work = addPart(instance_, 0, 0, world_);
    work->finalColour[0] = 0.5f;
    const L3DEffectGeometry g = build(*work);
    ASSERT_EQ(g.vertexCount, 3u);
    ASSERT_EQ(g.indexCount, 3u);
    EXPECT_EQ(std::vector<uint16_t>(g.indices, g.indices + 3), (std::vector<uint16_t>{2, 1, 0}));
    // (1, 0, 0) doubled and moved; its colour factor (1, 0.5, 0, 1) times (0.5, 1, 1, 1).
    EXPECT_FLOAT_EQ(vertex(0).x, 3.0f);
    EXPECT_FLOAT_EQ(vertex(0).z, 5.0f);
    EXPECT_EQ(vertex(0).color, 0xFF808000u);
    EXPECT_FLOAT_EQ(vertex(2).z, 7.0f);
    // Texture coordinates across the rectangle.
    EXPECT_FLOAT_EQ(vertex(0).u, kLeft);
    EXPECT_FLOAT_EQ(vertex(1).u, kRight);
    EXPECT_FLOAT_EQ(vertex(2).u, kMidU);
    EXPECT_FLOAT_EQ(vertex(2).v, kBottom);
}

TEST_F(EffectVertices, ModelNumbersOutsideTheShapesAndTableAreFatal) {
    for (int32_t model : {-8, 1}) {
        L3D_EFFECT_WORKPART* work = addPart(instance_, 0, model);
        L3DEffectGeometry geometry;
        expectFatal([&] { manager_._BuildPartVertices(*work, geometry); },
                    "[L3DEffectManager::Draw] 未対応のモデル(" + std::to_string(model) + ")");
        manager_._FreePart(work);
    }
}

}  // namespace
}  // namespace tessera::test
