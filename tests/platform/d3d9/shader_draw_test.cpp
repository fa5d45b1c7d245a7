// Draws through the vertex and pixel shader interpreters: skinning through a0 with bone
// indices from a D3DCOLOR, a pixel-shader blur against a reference computed here, and a
// pixel shader against the fixed-function stage that computes the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/platform/d3d9/device_fixture.h"
#include "tools/d3d9shot/skinning_shader.h"
#include "tools/shasm/shader_assembler.h"

namespace tessera::test {
namespace {

std::vector<DWORD> assemble(const char* text) {
    const tools::shasm::AssembleResult result = tools::shasm::assembleShader(text);
    EXPECT_TRUE(result.error.empty()) << result.error;
    return std::vector<DWORD>(result.tokens.begin(), result.tokens.end());
}

class ShaderDraws : public DeviceTest {
protected:
    void SetUp() override { createDevice(64, 64); }
};

// The renderer's four-bone skinning shader with all weight on one bone, no light and a red
// ambient colour: moving that bone moves the triangle. Bone 255's rows sit at c773, past the
// 256 registers of hardware processing: software vertex processing reaches them.
TEST_F(ShaderDraws, BoneMatricesMoveASkinnedTriangle) {
    const std::vector<DWORD> tokens = assemble(d3d9shot::kSkinningShader);
    IDirect3DVertexShader9* shader = nullptr;
    ASSERT_EQ(device_->CreateVertexShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader),
              D3D_OK);
    ASSERT_EQ(device_->SetVertexShader(shader), D3D_OK);
    ASSERT_EQ(device_->SetFVF(d3d9shot::kSkinnedFvf), D3D_OK);
    const float constants[4][4] = {{1, 0, 0, 765.01f}, {0, 0, 0, 0}, {1, 0, 0, 1}, {0, 0, 0, 0}};
    device_->SetVertexShaderConstantF(0, &constants[0][0], 4);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    device_->SetVertexShaderConstantF(4, identity, 4);
    device_->SetVertexShaderConstantF(8, identity, 3);  // bone 0: weight 0 only
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    for (const UINT boneIndex : {2u, 255u}) {
        SCOPED_TRACE(boneIndex);
        device_->SetSoftwareVertexProcessing(8 + 3 * boneIndex >= 256 ? TRUE : FALSE);
        // The bone index is the D3DCOLOR's lowest (blue) byte.
        const auto corner = [&](float x, float y) {
            return d3d9shot::SkinnedVertex{x, y, 0.5f, {1, 0, 0, 0}, boneIndex, 0, 0, 1, 0, 0, 0};
        };
        const d3d9shot::SkinnedVertex triangle[3] = {corner(-0.5f, 0.5f), corner(0.0f, 0.5f),
                                                     corner(-0.5f, -0.25f)};
        auto drawWithBone = [&](float dx, float dy) {
            const float bone[12] = {1, 0, 0, dx, 0, 1, 0, dy, 0, 0, 1, 0};
            EXPECT_EQ(device_->SetVertexShaderConstantF(8 + 3 * boneIndex, bone, 3), D3D_OK);
            device_->BeginScene();
            device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle,
                                               sizeof(d3d9shot::SkinnedVertex)),
                      D3D_OK);
            device_->EndScene();
            return readTarget();
        };
        const std::vector<std::uint32_t> still = drawWithBone(0, 0);
        const std::vector<std::uint32_t> moved =
            drawWithBone(0.5f, -0.25f);  // 16 pixels right, 8 down
        std::size_t covered = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const std::uint32_t before = still[static_cast<std::size_t>(y) * 64 + x];
                covered += before == 0xFFFF0000u;
                EXPECT_TRUE(before == 0xFFFF0000u || before == 0xFF000000u);
                if (x + 16 < 64 && y + 8 < 64) {
                    EXPECT_EQ(moved[static_cast<std::size_t>(y + 8) * 64 + x + 16], before)
                        << x << "," << y;
                }
            }
        }
        EXPECT_GT(covered, 100u);
    }
    device_->SetVertexShader(nullptr);
    shader->Release();
}

// A three-tap horizontal blur (weights 1/4, 1/2, 1/4) of a 16x16 texture, one pixel a texel.
constexpr const char* kBlur = R"(ps_2_0
dcl t0.xy
dcl_2d s0
def c0, 0.0625, 0, 0, 0
def c1, 0.25, 0.5, 0.25, 0
add r0, t0, -c0
texld r0, r0, s0
texld r1, t0, s0
add r2, t0, c0
texld r2, r2, s0
mul r0, r0, c1.x
mad r0, r1, c1.y, r0
mad r0, r2, c1.z, r0
mov oC0, r0
)";

TEST_F(ShaderDraws, PixelShaderBlurMatchesAReference) {
    std::vector<std::uint32_t> texels(16 * 16);
    std::uint32_t seed = 77;
    for (auto& t : texels) t = seed = seed * 1664525u + 1013904223u;
    IDirect3DTexture9* texture = makeTexture(16, 16, texels);
    const std::vector<DWORD> tokens = assemble(kBlur);
    IDirect3DPixelShader9* shader = nullptr;
    ASSERT_EQ(device_->CreatePixelShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader),
              D3D_OK);
    device_->SetPixelShader(shader);
    device_->SetTexture(0, texture);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(-0.5f, -0.5f, 15.5f, 15.5f, 0xFFFFFFFF);
    device_->EndScene();
    const std::vector<std::uint32_t> frame = readTarget();

    auto channel = [&](int x, int y, int shift) {
        x = std::clamp(x, 0, 15);
        return static_cast<float>((texels[static_cast<std::size_t>(y) * 16 + x] >> shift) & 0xFF) *
               (1.0f / 255.0f);
    };
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            std::uint32_t expected = 0;
            for (int shift : {0, 8, 16, 24}) {
                float v = channel(x - 1, y, shift) * 0.25f;
                v = channel(x, y, shift) * 0.5f + v;
                v = channel(x + 1, y, shift) * 0.25f + v;
                expected |= static_cast<std::uint32_t>(
                                std::floor(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f))
                            << shift;
            }
            EXPECT_EQ(frame[static_cast<std::size_t>(y) * 64 + x], expected) << x << "," << y;
        }
    }
    device_->SetPixelShader(nullptr);
    device_->SetTexture(0, nullptr);
    shader->Release();
    texture->Release();
}

// The fixed-function sprite stage (texture times diffuse) with the texture read through the
// second coordinate set.
constexpr const char* kModulateSecondSet = R"(ps_2_0
dcl v0
dcl t1.xy
dcl_2d s0
texld r0, t1, s0
mul r0, r0, v0
mov oC0, r0
)";

TEST_F(ShaderDraws, PixelShaderInputsMatchTheFixedFunctionStage) {
    std::vector<std::uint32_t> texels(16 * 16);
    std::uint32_t seed = 5;
    for (auto& t : texels) t = seed = seed * 1664525u + 1013904223u;
    IDirect3DTexture9* texture = makeTexture(16, 16, texels);
    const std::vector<DWORD> tokens = assemble(kModulateSecondSet);
    IDirect3DPixelShader9* shader = nullptr;
    ASSERT_EQ(device_->CreatePixelShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader),
              D3D_OK);
    // Colours vary per vertex, and the two coordinate sets differ, so each pixel's inputs
    // show in its result.
    const SpriteVertex triangle[3] = {{2.0f, 3.0f, 0, 1, 0xFF20C0E0, 0.9f, 0.1f, 0.1f, 0.2f},
                                      {57.0f, 9.0f, 0, 1, 0x80FF4010, 0.2f, 0.7f, 1.3f, 0.4f},
                                      {11.0f, 60.0f, 0, 1, 0xC0608000, 0.5f, 0.5f, 0.3f, 1.1f}};
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    device_->SetFVF(kSpriteFvf);
    std::vector<std::uint32_t> frames[2];
    for (int withShader = 0; withShader < 2; ++withShader) {
        device_->SetPixelShader(withShader ? shader : nullptr);
        device_->BeginScene();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(SpriteVertex)),
                  D3D_OK);
        device_->EndScene();
        frames[withShader] = readTarget();
    }
    EXPECT_EQ(frames[1], frames[0]);
    std::sort(frames[1].begin(), frames[1].end());
    EXPECT_GT(std::unique(frames[1].begin(), frames[1].end()) - frames[1].begin(), 500);
    device_->SetPixelShader(nullptr);
    device_->SetTexture(0, nullptr);
    shader->Release();
    texture->Release();
}

}  // namespace
}  // namespace tessera::test
