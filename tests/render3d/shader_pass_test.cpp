#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/shader_pass.h"
#include "tests/render3d/renderer_fixture.h"

namespace tessera::test {
namespace {

using Float4 = std::array<float, 4>;

// A renderer with the built shader set on a device with the given number of texture stages,
// and a material whose option and textures the test fills.
class ShaderPass : public RendererTest {
protected:
    L3DRenderer& start(DWORD stages = 4) {
        AdapterProfile profile = softwareAdapterProfile();
        profile.caps.MaxSimultaneousTextures = stages;
        L3DDevice& device = createWindowed(profile);
        L3DRenderer& renderer = createRenderer(device, builtShaderArchive());
        renderer.viewProjection = LMat::Identity();
        LMat::Transpose(renderer.viewProjectionT, renderer.viewProjection);
        renderer.lightDir[0] = 0.0f;
        renderer.lightDir[1] = 0.0f;
        renderer.lightDir[2] = 1.0f;
        renderer.fogParams[0] = -0.5f;
        renderer.fogParams[1] = 2.0f;
        base_ = device.CreateTexture("base", 4, 4);
        ramp_ = device.CreateTexture("ramp", 4, 4);
        band_ = device.CreateTexture("band", 4, 4);
        record_.material = &material_;
        record_.world = LMat::Identity();
        record_.baseTexture = base_.Get();
        return renderer;
    }

    // An option record of the type's own class.
    L3D_RENDERER_SHADEROPT& useType(uint32_t shaderType) {
        switch (shaderType) {
        case L3DShaderHighlight:
            return use<L3D_RENDERER_SHADEROPT_HIGHLIGHT>(shaderType);
        case L3DShaderFurlight:
            return use<L3D_RENDERER_SHADEROPT_FURLIGHT>(shaderType);
        case L3DShaderTexlight:
            return use<L3D_RENDERER_SHADEROPT_TEXLIGHT>(shaderType);
        case L3DShaderTexhighlight:
            return use<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT>(shaderType);
        case L3DShaderTexfurlight:
            return use<L3D_RENDERER_SHADEROPT_TEXFURLIGHT>(shaderType);
        case L3DShaderMap3:
            return use<L3D_RENDERER_SHADEROPT_MAP3>(shaderType);
        default:
            return use<L3D_RENDERER_SHADEROPT_NORMAL>(shaderType);
        }
    }

    template <class Option>
    Option& use(uint32_t shaderType) {
        mirel::rcptr<Option> option;
        option.Create();
        option->shaderType = shaderType;
        Option& o = *option;
        material_.option = option;
        material_.texture2 = ramp_;
        material_.texture3 = band_;
        return o;
    }

    IDirect3DVertexShader9* boundVertexShader() {
        IDirect3DVertexShader9* shader = nullptr;
        device_->device()->GetVertexShader(&shader);
        if (shader) shader->Release();
        return shader;
    }
    IDirect3DPixelShader9* boundPixelShader() {
        IDirect3DPixelShader9* shader = nullptr;
        device_->device()->GetPixelShader(&shader);
        if (shader) shader->Release();
        return shader;
    }
    IDirect3DBaseTexture9* boundTexture(DWORD stage) {
        IDirect3DBaseTexture9* texture = nullptr;
        device_->device()->GetTexture(stage, &texture);
        if (texture) texture->Release();
        return texture;
    }
    std::vector<Float4> constants(uint32_t count) {
        std::vector<Float4> out(count);
        device_->device()->GetVertexShaderConstantF(0, out[0].data(), count);
        return out;
    }
    DWORD renderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0;
        device_->device()->GetRenderState(state, &value);
        return value;
    }

    mirel::rcptr<L3DTexture> base_, ramp_, band_;
    L3D_ANIMINST_MAT material_;
    L3DShaderPassRecord record_;
};

// Each option type draws with the vertex shader of its pass and binds the pass's textures; on
// fewer stages or without three UV sets it falls back.
TEST_F(ShaderPass, PassesBindTheirShadersAndTextures) {
    struct Case {
        uint32_t type;
        DWORD stages;
        bool threeUvSets;
        L3DShaderKind pass;
    };
    const Case cases[] = {
        {L3DShaderNormal, 1, false, L3DShaderNormal},
        {L3DShaderHighlight, 2, false, L3DShaderHighlight},
        {L3DShaderHighlight, 1, false, L3DShaderNormal},
        {L3DShaderFurlight, 2, false, L3DShaderFurlight},
        {L3DShaderTexlight, 2, false, L3DShaderTexlight},
        {L3DShaderTexlight, 1, false, L3DShaderNormal},
        {L3DShaderTexhighlight, 3, false, L3DShaderTexhighlight},
        {L3DShaderTexhighlight, 2, false, L3DShaderTexlight},
        {L3DShaderTexhighlight, 1, false, L3DShaderNormal},
        {L3DShaderTexfurlight, 3, false, L3DShaderTexfurlight},
        {L3DShaderTexfurlight, 2, false, L3DShaderTexlight},
        {L3DShaderMap3, 3, true, L3DShaderMap3},
        {L3DShaderMap3, 3, false, L3DShaderNormal},
        {L3DShaderMap3, 2, true, L3DShaderNormal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "type " << c.type << " stages " << c.stages << " uv3 " << c.threeUvSets);
        L3DRenderer& renderer = start(c.stages);
        useType(c.type);
        record_.flags = c.threeUvSets ? L3DShaderPassRecord::FlagThreeUvSets : 0;
        record_.weightCount = 2;
        ASSERT_TRUE(renderer._SetShaderPass(0, record_, 0));
        device_->ApplyStates();
        EXPECT_EQ(boundVertexShader(), renderer.vertexShader(c.pass, 2)->shader);
        const bool map3 = c.pass == L3DShaderMap3;
        EXPECT_EQ(boundPixelShader() != nullptr, map3);
        EXPECT_EQ(boundTexture(0), base_->texture);
        const bool ramp = c.pass != L3DShaderNormal;
        const bool band = c.pass == L3DShaderTexhighlight || c.pass == L3DShaderTexfurlight || map3;
        EXPECT_EQ(boundTexture(1), ramp ? ramp_->texture : nullptr);
        EXPECT_EQ(boundTexture(2), band ? band_->texture : nullptr);
        renderer_.reset();
        material_ = {};
        base_ = ramp_ = band_ = {};
        device_.reset();
    }
}

// Pass 1 exists for no type: nothing reaches the device or its cache.
TEST_F(ShaderPass, PassOneChangesNothing) {
    L3DRenderer& renderer = start();
    for (uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 10u}) {
        useType(type).blendType = 1;
        recorder().clear();
        EXPECT_FALSE(renderer._SetShaderPass(1, record_, 0)) << type;
        device_->ApplyStates();
        EXPECT_TRUE(calls().empty()) << type << ": " << calls().front();
    }
    useType(7);
    expectFatal([&] { renderer._SetShaderPass(1, record_, 0); },
                "[L3DRenderer::_SetShaderPass] サポートしていない形式");
}

// Fog and blend states, wrap addressing and the kept stage-0 texture.
TEST_F(ShaderPass, StatesOfFogBlendTypeAndAddressing) {
    L3DRenderer& renderer = start();
    auto& option = use<L3D_RENDERER_SHADEROPT_NORMAL>(L3DShaderNormal);
    option.blendType = 7;
    option.addressFlag = 1;
    renderer.fogEnable = 1;
    renderer.fogColor = 0x00123456;
    ASSERT_TRUE(renderer._SetShaderPass(0, record_, 0));
    device_->ApplyStates();
    EXPECT_EQ(renderState(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(renderState(D3DRS_FOGCOLOR), 0x00123456u);
    EXPECT_EQ(renderState(D3DRS_ALPHAREF), 255u);
    EXPECT_EQ(renderState(D3DRS_ZWRITEENABLE), 1u);
    DWORD address = 0;
    device_->device()->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(address, static_cast<DWORD>(D3DTADDRESS_WRAP));

    // Draw flag bit 0 keeps what the caller bound to stage 0; the address stays at its default.
    option.addressFlag = 0;
    option.blendType = 0;
    renderer.fogEnable = 0;
    device_->SetStateTexture(0, ramp_->texture);
    ASSERT_TRUE(renderer._SetShaderPass(0, record_, L3DPassKeepTextures));
    device_->SetStateTexture(0, ramp_->texture);
    device_->ApplyStates();
    EXPECT_EQ(renderState(D3DRS_FOGENABLE), 0u);
    EXPECT_EQ(boundTexture(0), ramp_->texture);
    device_->device()->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(address, static_cast<DWORD>(D3DTADDRESS_CLAMP));
}

// Rigid records get object-space vectors and the world-view-projection; blend types 0, 4, 6, 9
// and 11 zero the colours' fourth component.
TEST_F(ShaderPass, RigidConstantsAreInObjectSpace) {
    L3DRenderer& renderer = start();
    auto& option = use<L3D_RENDERER_SHADEROPT_NORMAL>(L3DShaderNormal);
    option.color1[0] = 0.25f;
    option.color1[3] = 0.5f;
    option.color2[3] = 0.75f;
    // The world turns a quarter about z (x to y) and moves by 3 along x.
    record_.world = LMat::Identity();
    record_.world.m[0][0] = 0.0f;
    record_.world.m[0][1] = 1.0f;
    record_.world.m[1][0] = -1.0f;
    record_.world.m[1][1] = 0.0f;
    record_.world.m[3][0] = 3.0f;
    renderer.lightDir[0] = 0.0f;
    renderer.lightDir[1] = 1.0f;
    renderer.lightDir[2] = 0.0f;
    for (uint32_t blendType : {2u, 9u}) {
        option.blendType = blendType;
        ASSERT_TRUE(renderer._SetShaderPass(0, record_, 0));
        const std::vector<Float4> c = constants(8);
        EXPECT_NEAR(c[0][0], 1.0f, 1e-6f);  // world y is object x
        EXPECT_NEAR(c[0][1], 0.0f, 1e-6f);
        EXPECT_EQ(c[1], (Float4{0.25f, 0.0f, 0.0f, blendType == 9 ? 0.0f : 0.5f}));
        EXPECT_EQ(c[2][3], blendType == 9 ? 0.0f : 0.75f);
        EXPECT_EQ(c[3][0], -0.5f);  // G = (fog1, fog2, 0, -)
        EXPECT_EQ(c[3][1], 2.0f);
        EXPECT_EQ(c[4], (Float4{0.0f, -1.0f, 0.0f, 3.0f}));  // first row of W
    }
}

// Skinned records get world-space vectors, the transposed view-projection and the bones: the
// part's own matrix, then one per bone-list entry.
TEST_F(ShaderPass, SkinnedConstantsAppendTheBonePalette) {
    L3DRenderer& renderer = start();
    auto& option = use<L3D_RENDERER_SHADEROPT_TEXFURLIGHT>(L3DShaderTexfurlight);
    option.factor1 = 0.25f;
    option.factor2 = 0.75f;
    option.furVector[1] = 2.0f;
    for (int i = 0; i < 3; ++i) {
        LMat& bone = renderer.boneMatrices.At(i);
        bone = LMat::Identity();
        bone.m[0][3] = 10.0f * static_cast<float>(i);
    }
    const uint32_t bones[] = {2, 1};
    record_.boneIndices = bones;
    record_.weightCount = 2;
    ASSERT_TRUE(renderer._SetShaderPass(0, record_, 0));
    const std::vector<Float4> c = constants(17);
    EXPECT_EQ(c[0], (Float4{1.0f, -0.5f, 2.0f, 765.01f}));
    EXPECT_EQ(c[1], (Float4{0.0f, 0.0f, 0.5f, 0.5f}));  // (0.5 L, 0.5)
    EXPECT_EQ(c[2], (Float4{0.0f, 1.0f, 0.0f, 0.5f}));  // (0.5 P, 0.5)
    EXPECT_EQ(c[3], (Float4{0.25f, 0.75f, 0.0f, 0.0f}));
    EXPECT_EQ(c[4], (Float4{1.0f, 0.0f, 0.0f, 0.0f}));  // VP transposed
    EXPECT_EQ(c[8][3], 0.0f);                           // entry 0
    EXPECT_EQ(c[11][3], 20.0f);                         // bone list entry 0 -> matrix 2
    EXPECT_EQ(c[14][3], 10.0f);                         // bone list entry 1 -> matrix 1
    EXPECT_EQ(c[15][0], 0.0f);
}

}  // namespace
}  // namespace tessera::test
