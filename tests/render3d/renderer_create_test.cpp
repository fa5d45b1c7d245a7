#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "effects/L3DEffectManager.h"
#include "foundation/pack/DMFile.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/L3DAnimInstMat.h"
#include "sound/DsndManager.h"
#include "sound/LSeManager.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/renderer_fixture.h"
#include "tools/writers/texture_pack_writer.h"

namespace tessera::test {
namespace {

using Renderer = RendererTest;

std::vector<uint32_t> draws(L3DRandom state, int count) {
    std::vector<uint32_t> out;
    for (int i = 0; i < count; ++i) out.push_back(state.Next());
    return out;
}

std::vector<uint32_t> seeded(uint32_t seed, int count) {
    L3DRandom state;
    L3DRandom::Seed(seed, state);
    return draws(state, count);
}

// The build's shader set: 56 members, every one a shader the device accepts.
TEST_F(Renderer, CreateLoadsTheShaderSetAndRegistersOnlySystem) {
    L3DDevice& device = createWindowed();
    mirel::DFile file;
    tessera::test::attachMemory(file, builtShaderArchive(), "renderer.csa");
    mirel::DMFile archive;
    ASSERT_TRUE(archive.Open(file));
    EXPECT_EQ(archive.Count(), 56u);
    L3DRenderer& renderer = createRenderer(device, builtShaderArchive());
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind) {
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant)
            EXPECT_TRUE(renderer.vertexShader(kind, variant) &&
                        renderer.vertexShader(kind, variant)->shader)
                << kind << " " << variant;
        EXPECT_EQ(bool(renderer.pixelShaders[kind]), kind == L3DShaderMap3) << kind;
        EXPECT_EQ(renderer.vsBaseConstants[kind], kL3DShaderTable[kind].baseConstants);
        EXPECT_EQ(renderer.vsConstantsPerWeight[kind], 3);
    }
    EXPECT_EQ(renderer.frameRate, 60);
    EXPECT_EQ(renderer.device.Get(), &device);
    EXPECT_FALSE(renderer.seManager);
    EXPECT_EQ(renderer.names.nnidCount(), 1u);
    ASSERT_NE(renderer.systemNnid, nullptr);
    EXPECT_EQ(renderer.names.FindNnid("SYSTEM"), renderer.systemNnid);
    EXPECT_EQ(renderer.defaultOption.shaderType, 0u);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(renderer.spareMatrix.m[r][c], r == c ? 1.0f : 0.0f);
}

// A missing vertex-shader member names its kind, not the member.
TEST_F(Renderer, MissingMembersAreFatal) {
    struct Case {
        std::string archive;
        std::string message;
    };
    const std::vector<Case> cases = {
        {minimalShaderArchive("edge_b4"),
         "[L3DRenderer::Create] レンダリングシェーダファイル\"edge\"が開けない"},
        {minimalShaderArchive("normal_b0"),
         "[L3DRenderer::Create] レンダリングシェーダファイル\"normal\"が開けない"},
        {minimalShaderArchive("map3_psh"),
         "[L3DRenderer::Create] ピクセルシェーダファイル\"map3_psh\"が開けない"},
        {"not an archive", "[L3DRenderer::Create] レンダリングシェーダファイルが開けない"},
    };
    L3DDevice& device = createWindowed();
    for (const Case& c : cases) {
        expectFatal([&] { createRenderer(device, c.archive); }, c.message);
    }
}

TEST_F(Renderer, RandomStateIsSeededByTheClockOnCreate) {
    L3DRenderer constructed;
    EXPECT_EQ(draws(constructed.random, 8), seeded(4357, 8));

    L3DDevice& device = createWindowed();
    L3DRenderer& first = createRenderer(device, minimalShaderArchive());
    EXPECT_EQ(draws(first.random, 8), seeded(kFixedRendererTime, 8));
    L3DRenderer::timeSource = [] { return kFixedRendererTime + 1; };
    L3DRenderer& second = createRenderer(device, minimalShaderArchive());
    EXPECT_NE(draws(second.random, 8), seeded(kFixedRendererTime, 8));
}

// Hardware vertex processing needs the kind's base registers plus three per blend weight.
TEST_F(Renderer, SelectVShaderFallsBackToSoftwareWithoutEnoughConstants) {
    struct Case {
        DWORD maxConstants;
        bool software;
    };
    const Case cases[] = {{20, true}, {21, false}};
    for (const Case& c : cases) {
        AdapterProfile profile = softwareAdapterProfile();
        profile.caps.MaxVertexShaderConst = c.maxConstants;
        L3DDevice& device = createWindowed(profile);
        L3DRenderer& renderer = createRenderer(device, minimalShaderArchive());
        renderer._SelectVShader(L3DShaderHighlight, 4);
        EXPECT_EQ(device.device()->GetSoftwareVertexProcessing(), c.software ? TRUE : FALSE)
            << c.maxConstants;
        IDirect3DVertexShader9* bound = nullptr;
        ASSERT_EQ(device.device()->GetVertexShader(&bound), D3D_OK);
        EXPECT_EQ(bound, renderer.vertexShader(L3DShaderHighlight, 4)->shader);
        if (bound) bound->Release();
        renderer_.reset();
        device_.reset();
    }
}

// A texture is loaded once under "<pack>/<name>" and found under that key afterwards.
TEST_F(Renderer, GetTextureLoadsOnceUnderThePackKey) {
    L3DDevice& device = createWindowed();
    L3DRenderer& renderer = createRenderer(device, minimalShaderArchive());
    const uint32_t pack = lfmRegistPack("");
    std::string compress;
    for (int i = 0; i < 16; ++i) compress += tools::writers::dxt1Block(0xF800);
    dir_.write("face.dgt", tools::writers::writeTexturePack({false, 16, compress, "unused"}));
    const uint32_t before = device.textureCount();
    mirel::rcptr<L3DTexture> first = renderer.GetTexture(pack, "face", false);
    ASSERT_TRUE(first);
    EXPECT_EQ(std::string(first->name), std::to_string(pack) + "/face");
    EXPECT_EQ(renderer.GetTexture(pack, "face", false).Get(), first.Get());
    EXPECT_EQ(device.textureCount(), before + 1);
}

TEST_F(Renderer, DefaultMaterialBindsTheOwnOptionWithoutTextures) {
    L3DDevice& device = createWindowed();
    L3DRenderer& renderer = createRenderer(device, minimalShaderArchive());
    L3D_ANIMINST_MAT material;
    material.option.Create();
    material.texture2 = device.CreateTexture("ramp", 4, 4);
    renderer.BindDefaultMaterial(material);
    EXPECT_EQ(material.option.Get(), &renderer.defaultOption);
    EXPECT_EQ(material.option.UseCount(), 0);  // not owned
    EXPECT_FALSE(material.texture1 || material.texture2 || material.texture3);
}

// With a sound device the renderer makes its sound-effect manager, with no voices playing.
TEST_F(Renderer, SoundDeviceGivesASoundEffectManager) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<mirel::DsndManager> sound;
    sound.Create();
    std::filesystem::create_directories(dir_.file("sys"));
    dir_.write("sys/renderer.csa", minimalShaderArchive());
    mirel::DFile file;
    ASSERT_TRUE(file.Open(dir_.file("sys/renderer.csa").c_str(), mirel::DFile::OpenRead));
    renderer_ = std::make_unique<L3DRenderer>();
    renderer_->Create(mirel::rcptr<L3DDevice>::NonOwning(&device), sound, file);
    ASSERT_TRUE(renderer_->seManager);
    EXPECT_EQ(renderer_->seManager->_GetTypeCount(), 0u);
    EXPECT_EQ(renderer_->seManager->_GetPlayingHead(), nullptr);
    EXPECT_EQ(sound.UseCount(), 2);
    renderer_->StopAll();
    renderer_->Release();
    EXPECT_FALSE(renderer_->seManager);
    EXPECT_EQ(sound.UseCount(), 1);
}

// Create makes the renderer's own effect manager, bound to the renderer without owning it;
// StopAll frees every playing effect instance and Release drops the manager.
TEST_F(Renderer, CreateBindsAnEffectManagerThatStopAllEmpties) {
    L3DDevice& device = createWindowed();
    L3DRenderer& renderer = createRenderer(device, minimalShaderArchive());
    ASSERT_TRUE(renderer.effectManager);
    L3DEffectManager& effects = *renderer.effectManager;
    EXPECT_EQ(effects.renderer.Get(), &renderer);
    EXPECT_EQ(effects.renderer.UseCount(), 0);
    EXPECT_EQ(effects.flags, 0u);
    EXPECT_EQ(effects.pack, lfmRegistPack(""));
    L3D_EFFECT_DATA data;
    L3D_EFFECT_ROOT root;
    data.rootCount = 1;
    data.roots = mirel::rcptr<L3D_EFFECT_ROOT>::NonOwning(&root);
    const float zero[3] = {}, turn[4] = {0, 0, 0, 1}, unit[3] = {1, 1, 1};
    int key = 0;
    for (int i = 0; i < 3; ++i) effects.PlayAt(nullptr, &key, &data, 0, 10, zero, turn, unit);
    const uint32_t user[2] = {};
    effects.Play(&data, 0, 0, 10, zero, turn, unit, user, &key, nullptr, zero, nullptr);
    EXPECT_EQ(effects.keyCount, 1u);
    ASSERT_NE(effects.active, nullptr);
    renderer.StopAll();
    EXPECT_EQ(effects.active, nullptr);
    EXPECT_EQ(effects.keyCount, 0u);
    renderer.Release();
    EXPECT_FALSE(renderer.effectManager);
}

// Release drops the shaders, the names and both handles; the buffers can grow again.
TEST_F(Renderer, ReleaseDropsWhatCreateMade) {
    L3DDevice& device = createWindowed();
    L3DRenderer& renderer = createRenderer(device, minimalShaderArchive());
    mirel::rcptr<L3DVShader> held = renderer.vertexShader(L3DShaderEdge, 2);
    renderer.boneMatrices.At(40);
    renderer.Release();
    EXPECT_EQ(held.UseCount(), 1);
    EXPECT_FALSE(renderer.device || renderer.pixelShaders[L3DShaderMap3]);
    for (const auto& shader : renderer.vertexShaders) EXPECT_FALSE(shader);
    EXPECT_EQ(renderer.names.nnidCount(), 0u);
    EXPECT_EQ(renderer.names.FindNnid("system"), nullptr);
    EXPECT_EQ(renderer.boneMatrices.Capacity(), 0);
    renderer.boneMatrices.At(1);
    EXPECT_EQ(renderer.boneMatrices.Capacity(), 32);
}

}  // namespace
}  // namespace tessera::test
