// Water surfaces: assembling the meshes of a model, the refusals, and the draw over a copy of
// the scene.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/posteffect/posteffect_fixture.h"
#include "tests/support/golden_image.h"
#include "tools/writers/model_file_writer.h"

namespace tessera::test {
namespace {

using PostEffectWater = PostEffectTest;

// Two quads in clip space, each a mesh numbering its vertices from 0: the left one from x −0.9
// to −0.1, the right one from 0.1 to 0.9, both from y −0.8 to 0.8.
struct TwoQuads {
    float positions[2][4][3] = {
        {{-0.9f, 0.8f, 0.5f}, {-0.1f, 0.8f, 0.5f}, {-0.9f, -0.8f, 0.5f}, {-0.1f, -0.8f, 0.5f}},
        {{0.1f, 0.8f, 0.5f}, {0.9f, 0.8f, 0.5f}, {0.1f, -0.8f, 0.5f}, {0.9f, -0.8f, 0.5f}}};
    uint32_t refs[4][4] = {{0, 9, 0, 0}, {1, 9, 0, 1}, {2, 9, 1, 2}, {3, 9, 1, 3}};
    uint32_t indices[6] = {0, 2, 1, 1, 2, 3};  // clockwise on the screen: front faces
    uint32_t colours[2] = {0xFFFFFFFF, 0xFFC0C0C0};
    float uvs[4][2] = {{0, 0}, {4, 0}, {0, 4}, {4, 4}};

    std::vector<PostEffectWaterPart> parts() const {
        PostEffectWaterPart part;
        part.colours = colours;
        part.colourCount = 2;
        part.uvs = uvs;
        part.uvCount = 4;
        for (const auto& quad : positions) part.meshes.push_back({quad, 4, refs, 4, indices, 6});
        return {part};
    }
};

TEST(PostEffectWaterSurface, EachMeshKeepsItsOwnVertices) {
    TwoQuads quads;
    POSTEFFECT_WATER_SURFACE* surface = postEffectBuildWaterSurface(quads.parts());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->vertexCount, 8u);
    EXPECT_EQ(surface->indexCount, 12u);
    EXPECT_EQ(surface->indices, (std::vector<uint16_t>{0, 2, 1, 1, 2, 3, 4, 6, 5, 5, 6, 7}));
    const POSTEFFECT_VERTEX& v = surface->sourceVertices[7];
    EXPECT_EQ(v.x, 0.9f);
    EXPECT_EQ(v.y, -0.8f);
    EXPECT_EQ(v.colour, 0xFFC0C0C0u);
    for (const auto& pair : v.uv) {
        EXPECT_EQ(pair[0], 4.0f);
        EXPECT_EQ(pair[1], 4.0f);
    }
    EXPECT_EQ(std::memcmp(surface->workingVertices.data(), surface->sourceVertices.data(),
                          8 * sizeof(POSTEFFECT_VERTEX)),
              0);
    PostEffect::freeWater(surface);
}

// The two quads as a written model: one part, one mesh per quad.
mirel::rcptr<L3DObjectData> twoQuadModel() {
    using namespace tools::writers;
    const TwoQuads quads;
    ModelPart part;
    part.colours = {quads.colours[0], quads.colours[1]};
    part.uvs.clear();
    for (const auto& uv : quads.uvs) part.uvs.push_back({uv[0], uv[1]});
    part.meshes.clear();
    for (const auto& quad : quads.positions) {
        ModelMesh mesh;
        mesh.corners.clear();
        for (const auto& ref : quads.refs) mesh.corners.push_back({ref[0], 0, ref[2], ref[3]});
        mesh.positions.clear();
        for (const auto& position : quad)
            mesh.positions.push_back({position[0], position[1], position[2]});
        mesh.indices.assign(std::begin(quads.indices), std::end(quads.indices));
        mesh.primitiveCount = 2;
        part.meshes.push_back(mesh);
    }
    ModelFile model;
    model.version = 1;  // no run-time meshes to write
    model.parts = {part};
    mirel::DFile file;
    attachMemory(file, writeModelFile(model), "water.dgo");
    mirel::rcptr<L3DObjectData> data;
    data.Create();
    data->Load(file);
    return data;
}

TEST_F(PostEffectWater, ModelsByNameBecomeSurfaces) {
    start();
    host_.models_[u"map/water"] = twoQuadModel();
    POSTEFFECT_WATER_SURFACE* surface = effect_->loadWater(u"map/", u"water");
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->vertexCount, 8u);
    EXPECT_EQ(surface->indices, (std::vector<uint16_t>{0, 2, 1, 1, 2, 3, 4, 6, 5, 5, 6, 7}));
    const POSTEFFECT_VERTEX& v = surface->sourceVertices[5];
    EXPECT_EQ(v.x, 0.9f);
    EXPECT_EQ(v.y, 0.8f);
    EXPECT_EQ(v.colour, 0xFFFFFFFFu);
    EXPECT_EQ(v.uv[7][0], 4.0f);
    PostEffect::freeWater(surface);
    EXPECT_EQ(effect_->loadWater(u"map/", u"lake"), nullptr);
}

using PostEffectWaterRefusals = PostEffectTest;

TEST_F(PostEffectWaterRefusals, SurfacesThatCannotBeAddressedAreRefused) {
    TwoQuads quads;
    std::vector<uint32_t[4]> manyRefs(65536);
    for (auto& ref : manyRefs) ref[0] = ref[1] = ref[2] = ref[3] = 0;
    struct Case {
        const char* name;
        std::function<void(std::vector<PostEffectWaterPart>&)> change;
        const char* log;
    };
    const Case cases[] = {
        {"65536 vertices",
         [&](std::vector<PostEffectWaterPart>& parts) {
             parts[0].meshes[1].vertexRefs = manyRefs.data();
             parts[0].meshes[1].vertexCount = 65532;
         },
         "too many vertices for a water surface (65536)"},
        {"position", [](auto& parts) { parts[0].meshes[0].positionCount = 3; },
         "vertex reference out of range"},
        {"colour", [](auto& parts) { parts[0].colourCount = 1; }, "vertex reference out of range"},
        {"uv", [](auto& parts) { parts[0].uvCount = 2; }, "vertex reference out of range"},
        {"index", [](auto& parts) { parts[0].meshes[1].vertexCount = 3; }, "index out of range"},
    };
    for (const Case& c : cases) {
        std::vector<PostEffectWaterPart> parts = quads.parts();
        c.change(parts);
        EXPECT_EQ(postEffectBuildWaterSurface(parts), nullptr) << c.name;
        EXPECT_NE(log_.text().find(c.log), std::string::npos) << c.name;
    }
    // 65535 vertices still fit.
    std::vector<PostEffectWaterPart> parts = quads.parts();
    parts[0].meshes[1].vertexRefs = manyRefs.data();
    parts[0].meshes[1].vertexCount = 65531;
    POSTEFFECT_WATER_SURFACE* surface = postEffectBuildWaterSurface(parts);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->indices.back(), 4 + 3);
    PostEffect::freeWater(surface);
}

POSTEFFECT_WATER_PARAMS waterParams() {
    POSTEFFECT_WATER_PARAMS p{0.02f, 0.01f, -0.015f, 0.02f, 0.01f, -0.02f, 0.55f, 0.9f, {}};
    p.noise[0] = {{u'w', u'a', u'v', u'e', u'0'}, 2.0f, 2.0f, 0.01f, 0.005f};
    p.noise[1] = {{u'w', u'a', u'v', u'e', u'1'}, 3.0f, 3.0f, -0.004f, 0.01f};
    return p;
}

class PostEffectWaterDraw : public PostEffectTest {
protected:
    void startWater() {
        start(160, 120);
        host_.renderer_ = std::make_unique<L3DRenderer>();
        host_.renderer_->viewProjection = LMat::Identity();
        host_.renderer_->viewProjectionT = LMat::Identity();
        addNoise(u"wave0", 16, 16, 21);
        addNoise(u"wave1", 16, 16, 22);
        surface_ = postEffectBuildWaterSurface(quads_.parts());
        ASSERT_NE(surface_, nullptr);
    }
    void TearDown() override {
        PostEffect::freeWater(surface_);
        PostEffectTest::TearDown();
    }
    // The scene, the water, and what reached the back buffer.
    std::vector<uint32_t> drawFrame() {
        effect_->beginFrame();
        drawScene();
        effect_->drawWater(*surface_);
        effect_->render();
        return backBufferPixels();
    }

    TwoQuads quads_;
    POSTEFFECT_WATER_SURFACE* surface_ = nullptr;
};

TEST_F(PostEffectWaterDraw, WithoutSettingsNothingIsDrawn) {
    startWater();
    effect_->beginFrame();
    drawScene();
    const std::vector<uint32_t> scene = backBufferPixels();
    effect_->drawWater(*surface_);
    EXPECT_EQ(backBufferPixels(), scene);
}

TEST_F(PostEffectWaterDraw, BothMeshesDistortTheSceneBehindThem) {
    startWater();
    ASSERT_NE(effect_->setWaterEffect(waterParams()), nullptr);
    effect_->animate();
    effect_->beginFrame();
    drawScene();
    const std::vector<uint32_t> scene = backBufferPixels();
    const std::vector<uint32_t> water = drawFrame();
    EXPECT_TRUE(matchesGolden({160, 120, water}, "render3d/posteffect", "water",
                              GoldenTolerance::within(2)));
    // Between and around the quads the scene is untouched; inside both it changed.
    uint32_t changedLeft = 0, changedRight = 0;
    for (uint32_t y = 20; y < 100; ++y) {
        EXPECT_EQ(water[y * 160 + 80], scene[y * 160 + 80]) << y;
        EXPECT_EQ(water[y * 160 + 2], scene[y * 160 + 2]) << y;
        for (uint32_t x = 12; x < 68; ++x) changedLeft += water[y * 160 + x] != scene[y * 160 + x];
        for (uint32_t x = 92; x < 148; ++x)
            changedRight += water[y * 160 + x] != scene[y * 160 + x];
    }
    EXPECT_GT(changedLeft, 1000u);
    EXPECT_GT(changedRight, 1000u);
}

TEST_F(PostEffectWaterDraw, TheScenesLastBlendDoesNotReachTheWater) {
    startWater();
    ASSERT_NE(effect_->setWaterEffect(waterParams()), nullptr);
    const std::vector<uint32_t> clean = drawFrame();
    effect_->beginFrame();
    drawScene();
    device_->SetStateRender(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetStateRender(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetStateRender(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device_->ApplyStates();
    effect_->drawWater(*surface_);
    effect_->render();
    EXPECT_EQ(backBufferPixels(), clean);
}

TEST_F(PostEffectWaterDraw, TheWaterReadsTheRedirectedScene) {
    startWater();
    ASSERT_NE(effect_->setWaterEffect(waterParams()), nullptr);
    const std::vector<uint32_t> direct = drawFrame();
    // With a request queued the scene goes to texture A; an overlay of alpha 0 changes nothing.
    effect_->addOverlayRequest({1, 1, 1, 0.0f});
    const std::vector<uint32_t> redirected = drawFrame();
    uint32_t differing = 0;
    for (size_t i = 0; i < direct.size(); ++i) {
        const int a = direct[i] & 0xFF, b = redirected[i] & 0xFF;
        differing += std::abs(a - b) > 2;
    }
    EXPECT_EQ(differing, 0u);
}

}  // namespace
}  // namespace tessera::test
