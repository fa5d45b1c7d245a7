// The fast paths for copies, additive copies and sprites against the general pipeline. A
// second stage that selects the current colour changes no pixel but keeps a draw off the fast
// paths, so each case is drawn both ways and the frames must match bit for bit. Copies and
// adds of rectangles whose texels line up with rows and columns go as row spans: their cases
// cover offsets, sizes, stepping, clipping, addressing, formats and the split into triangles.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

std::vector<std::uint32_t> randomTexels(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint32_t> texels(count);
    for (auto& t : texels) t = seed = seed * 1664525u + 1013904223u;
    return texels;
}

enum class Pass { copy, add, modulate };

// Which diagonal the quad's two triangles share.
enum class Diagonal { rising, falling };

struct Case {
    const char* name;
    Pass pass;
    D3DFORMAT textureFormat;
    D3DFORMAT targetFormat;
    DWORD address;
    DWORD filter;
    float x0, y0, x1, y1;  // the quad on screen
    float u0, v0, u1, v1;
    Diagonal diagonal = Diagonal::rising;
    D3DVIEWPORT9 viewport = {0, 0, 80, 60, 0, 1};
};

class FastPaths : public DeviceTest, public ::testing::WithParamInterface<Case> {
protected:
    std::vector<std::uint32_t> render(const Case& c, bool general) {
        IDirect3DTexture9* targetTexture = nullptr;
        EXPECT_EQ(device_->CreateTexture(80, 60, 1, D3DUSAGE_RENDERTARGET, c.targetFormat,
                                         D3DPOOL_DEFAULT, &targetTexture, nullptr),
                  D3D_OK);
        IDirect3DSurface9* target = nullptr;
        targetTexture->GetSurfaceLevel(0, &target);
        device_->SetRenderTarget(0, target);
        IDirect3DTexture9* background = makeTexture(80, 60, randomTexels(80 * 60, 99));
        IDirect3DTexture9* texture = makeTexture(13, 7, randomTexels(13 * 7, 5), c.textureFormat);

        device_->BeginScene();
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device_->SetTexture(0, background);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        drawRect(-0.5f, -0.5f, 79.5f, 59.5f, 0xFFFFFFFF);

        device_->SetTexture(0, texture);
        device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.address);
        device_->SetSamplerState(0, D3DSAMP_ADDRESSV, c.address);
        device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x80C04020);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, c.filter);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, c.filter);
        const DWORD op = c.pass == Pass::modulate ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
        device_->SetTextureStageState(0, D3DTSS_COLOROP, op);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, op);
        device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        if (c.pass != Pass::copy) {
            device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
            device_->SetRenderState(D3DRS_SRCBLEND,
                                    c.pass == Pass::add ? D3DBLEND_ONE : D3DBLEND_SRCALPHA);
            device_->SetRenderState(D3DRS_DESTBLEND,
                                    c.pass == Pass::add ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
        }
        if (general) {
            device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
            device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
            device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            device_->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        }
        device_->SetViewport(&c.viewport);
        drawQuad(c);
        device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        device_->EndScene();

        std::vector<std::uint32_t> frame = readTarget(target);
        device_->SetTexture(0, nullptr);
        texture->Release();
        background->Release();
        device_->SetRenderTarget(0, backBuffer_);
        target->Release();
        targetTexture->Release();
        return frame;
    }

    void TearDown() override {
        if (backBuffer_) backBuffer_->Release();
    }

    void drawQuad(const Case& c) {
        if (c.diagonal == Diagonal::rising) {
            drawRect(c.x0, c.y0, c.x1, c.y1, 0xC080FF40, c.u0, c.v0, c.u1, c.v1);
            return;
        }
        const SpriteVertex v[4] = {{c.x0, c.y0, 0, 1, 0xC080FF40, c.u0, c.v0, c.u0, c.v0},
                                   {c.x1, c.y0, 0, 1, 0xC080FF40, c.u1, c.v0, c.u1, c.v0},
                                   {c.x0, c.y1, 0, 1, 0xC080FF40, c.u0, c.v1, c.u0, c.v1},
                                   {c.x1, c.y1, 0, 1, 0xC080FF40, c.u1, c.v1, c.u1, c.v1}};
        const std::uint16_t indices[6] = {0, 1, 3, 0, 3, 2};
        EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices,
                                                  D3DFMT_INDEX16, v, sizeof(SpriteVertex)),
                  D3D_OK);
    }

    IDirect3DSurface9* backBuffer_ = nullptr;
};

TEST_P(FastPaths, MatchTheGeneralPipeline) {
    // Render-target textures of both 32-bit formats.
    AdapterProfile profile = softwareAdapterProfile();
    profile.formats.push_back({D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET});
    createDevice(80, 60, {profile});
    device_->GetRenderTarget(0, &backBuffer_);
    const Case& c = GetParam();
    const std::vector<std::uint32_t> fast = render(c, false);
    const std::vector<std::uint32_t> general = render(c, true);
    ASSERT_EQ(fast.size(), general.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < fast.size(); ++i) differing += fast[i] != general[i];
    EXPECT_EQ(differing, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FastPaths,
    ::testing::Values(
        Case{"AlignedCopy", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_CLAMP,
             D3DTEXF_POINT, -0.5f, -0.5f, 12.5f, 6.5f, 0, 0, 1, 1},
        Case{"StretchedWrappedCopy", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_WRAP,
             D3DTEXF_POINT, 3.3f, 2.7f, 71.1f, 55.2f, -1.3f, -0.7f, 2.6f, 3.1f},
        Case{"BorderCopyOfAnOpaqueTexture", Pass::copy, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_BORDER, D3DTEXF_POINT, 1, 1, 70, 50, -0.5f, -0.5f, 1.5f, 1.5f},
        Case{"CopyOntoAnOpaqueTarget", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
             D3DTADDRESS_CLAMP, D3DTEXF_POINT, 5, 5, 60, 40, -0.2f, -0.2f, 1.2f, 1.2f},
        Case{"AddedCopy", Pass::add, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_WRAP,
             D3DTEXF_POINT, -0.5f, -0.5f, 79.5f, 59.5f, 0, 0, 6, 8},
        Case{"AddedCopyOntoAnOpaqueTarget", Pass::add, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
             D3DTADDRESS_BORDER, D3DTEXF_POINT, 2, 3, 77, 58, -0.3f, -0.3f, 1.3f, 1.3f},
        // Row spans: 13 x 7 texels one to one, wherever the rectangle lands.
        Case{"SpanAtAnIntegerOffset", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_WRAP, D3DTEXF_POINT, 20.5f, 9.5f, 33.5f, 16.5f, 0, 0, 1, 1},
        Case{"SpanAtAFractionalOffset", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_WRAP, D3DTEXF_POINT, 20.3f, 9.8f, 33.3f, 16.8f, 0, 0, 1, 1},
        Case{"SpanOfOnePixel", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_WRAP,
             D3DTEXF_POINT, 4.5f, 4.5f, 5.5f, 5.5f, 3.0f / 13, 2.0f / 7, 4.0f / 13, 3.0f / 7},
        Case{"SpanRepeatedAcrossTheTarget", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_WRAP, D3DTEXF_POINT, -0.5f, -0.5f, 79.5f, 59.5f, -0.2f, 0.3f,
             80.0f / 13 - 0.2f, 60.0f / 7 + 0.3f},
        Case{"SpanHalvedAndDoubled", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_WRAP,
             D3DTEXF_POINT, -0.5f, -0.5f, 51.5f, 27.5f, 0.01f, 0.01f, 2.01f, 0.51f},
        Case{"SpanMirrored", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_CLAMP,
             D3DTEXF_POINT, 10.5f, 10.5f, 36.5f, 24.5f, 1, 1, -1, -1},
        Case{"SpanPartlyOffTheTarget", Pass::copy, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_CLAMP, D3DTEXF_POINT, -30.5f, 50.5f, 95.5f, 90.5f, 0, 0, 126.0f / 13,
             40.0f / 7},
        Case{"SpanClippedByTheViewport",
             Pass::copy,
             D3DFMT_A8R8G8B8,
             D3DFMT_X8R8G8B8,
             D3DTADDRESS_BORDER,
             D3DTEXF_POINT,
             2.5f,
             3.5f,
             72.5f,
             55.5f,
             -0.25f,
             -0.25f,
             1.25f,
             1.25f,
             Diagonal::rising,
             {7, 5, 41, 33, 0, 1}},
        Case{"SpanOnTheOtherDiagonal", Pass::add, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_WRAP, D3DTEXF_POINT, 0.5f, 1.5f, 78.5f, 57.5f, 0.1f, 0.2f,
             78.0f / 13 + 0.1f, 56.0f / 7 + 0.2f, Diagonal::falling},
        Case{"SpanAddedOntoAnOpaqueTargetInAViewport",
             Pass::add,
             D3DFMT_A8R8G8B8,
             D3DFMT_X8R8G8B8,
             D3DTADDRESS_BORDER,
             D3DTEXF_POINT,
             -0.5f,
             -0.5f,
             79.5f,
             59.5f,
             -1,
             -1,
             2,
             2,
             Diagonal::falling,
             {31, 0, 49, 60, 0, 1}},
        // Texel edges on pixel centres: interpolation decides, and the spans must give way.
        Case{"TexelEdgesOnPixelCentres", Pass::copy, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8,
             D3DTADDRESS_WRAP, D3DTEXF_POINT, 0, 0, 26, 14, 0, 0, 1, 1},
        Case{"LinearSprite", Pass::modulate, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DTADDRESS_CLAMP,
             D3DTEXF_LINEAR, 4.2f, 3.9f, 66.6f, 51.3f, 0, 0, 1, 1},
        Case{"PointSpriteOnAnOpaqueTarget", Pass::modulate, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
             D3DTADDRESS_WRAP, D3DTEXF_POINT, -0.5f, -0.5f, 40.5f, 30.5f, 0, 0, 2, 2}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessera::test
