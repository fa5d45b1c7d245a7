// Exact conformance of the fixed-function pixel pipeline: texture copies, sampling and
// addressing, texture stages, blending, alpha test, fog and depth.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3d9/pixel_output.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

std::vector<std::uint32_t> pattern(UINT width, UINT height) {
    std::vector<std::uint32_t> texels(static_cast<std::size_t>(width) * height);
    std::uint32_t state = 12345;
    for (auto& t : texels) {
        state = state * 1664525u + 1013904223u;
        t = state;
    }
    return texels;
}

// The byte a float channel becomes: round to nearest after clamping.
std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::floor(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f));
}

class PixelPipeline : public DeviceTest {
protected:
    void SetUp() override {
        createDevice(32, 32);
        device_->BeginScene();
    }
    void TearDown() override { device_->EndScene(); }
};

TEST_F(PixelPipeline, ShiftedQuadCopiesATextureBitForBit) {
    const std::vector<std::uint32_t> texels = pattern(32, 32);
    IDirect3DTexture9* texture = makeTexture(32, 32, texels);
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawRect(-0.5f, -0.5f, 31.5f, 31.5f, 0xFFFFFFFF);
        EXPECT_EQ(readTarget(), texels) << "filter " << filter;
    }
    // A sub-rectangle of the texture lands at an offset, texel for texel.
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    drawRect(3.5f, 5.5f, 11.5f, 9.5f, 0xFFFFFFFF, 8.0f / 32, 16.0f / 32, 16.0f / 32, 20.0f / 32);
    const std::vector<std::uint32_t> out = readTarget();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(out[(6 + y) * 32 + 4 + x], texels[(16 + y) * 32 + 8 + x]);
    EXPECT_EQ(out[5 * 32 + 4], 0u);
    texture->Release();
}

TEST_F(PixelPipeline, SamplingAddressModes) {
    // A 2x2 texture sampled with POINT beyond [0, 1].
    const std::vector<std::uint32_t> texels = {0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040};
    IDirect3DTexture9* texture = makeTexture(2, 2, texels);
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0x80123456);
    // 8 pixels across u from -1 to 3 (pixel i samples u = -1 + (i + 0.5) / 2).
    struct Case {
        DWORD address;
        std::uint32_t expected[8];
    };
    const std::uint32_t a = texels[0], b = texels[1], border = 0x80123456;
    const Case cases[] = {
        {D3DTADDRESS_WRAP, {a, b, a, b, a, b, a, b}},
        {D3DTADDRESS_CLAMP, {a, a, a, b, b, b, b, b}},
        {D3DTADDRESS_BORDER, {border, border, a, b, border, border, border, border}},
    };
    for (const Case& c : cases) {
        device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.address);
        device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawRect(-0.5f, -0.5f, 7.5f, 0.5f, 0xFFFFFFFF, -1.0f, 0.25f, 3.0f, 0.25f);
        const std::vector<std::uint32_t> out = readTarget();
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(out[x], c.expected[x]) << "address " << c.address << " pixel " << x;
    }
    texture->Release();
}

TEST_F(PixelPipeline, LinearFilterBlendsNeighboursAndWrapsAtTheEdge) {
    const std::vector<std::uint32_t> texels = {0xFF000000, 0xFF0000FF};
    IDirect3DTexture9* texture = makeTexture(2, 1, texels);
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    // Four pixels over the texture: u = 1/8, 3/8, 5/8, 7/8 -> texel positions -0.25 .. 1.25.
    drawRect(-0.5f, -0.5f, 3.5f, 0.5f, 0xFFFFFFFF, 0.0f, 0.5f, 1.0f, 0.5f);
    const std::vector<std::uint32_t> out = readTarget();
    // WRAP: -0.25 mixes texel 1 (weight 0.25) and texel 0; 0.25 mixes 0 and 1 at 0.25; ...
    const float weights[4] = {0.25f, 0.25f, 0.75f, 0.75f};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(out[x] & 0xFF, toByte(weights[x])) << x;
    texture->Release();
}

TEST_F(PixelPipeline, MipLevelsAreChosenPerQuad) {
    // An 8x8 texture whose levels are filled with distinct colours, drawn at 1/2 and 1/4 scale.
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(8, 8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    const std::uint32_t colours[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0x00FFFFFF};
    for (UINT level = 0; level < 4; ++level) {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(level, &desc);
        EXPECT_EQ(desc.Width, 8u >> level);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, static_cast<INT>(4 * desc.Width));
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                 y * locked.Pitch)[x] = colours[level];
        texture->UnlockRect(level);
    }
    device_->SetTexture(0, texture);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    struct Case {
        float size;
        std::uint32_t expected;
    };
    for (const Case c :
         {Case{8, 0xFF0000FF}, Case{4, 0xFF00FF00}, Case{2, 0xFFFF0000}, Case{1, 0xFFFFFFFF}}) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawRect(-0.5f, -0.5f, c.size - 0.5f, c.size - 0.5f, 0xFFFFFFFF);
        EXPECT_EQ(readTarget()[0], c.expected) << "size " << c.size;
    }
    // The LOD bias moves the choice: -1.5 at half size rounds to level 0.
    device_->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, floatBits(-1.5f));
    drawRect(-0.5f, -0.5f, 3.5f, 3.5f, 0xFFFFFFFF);
    EXPECT_EQ(readTarget()[0], 0xFF0000FFu);
    // A LINEAR mip filter halfway between levels 0 and 1 mixes them equally.
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, floatBits(0.5f));
    drawRect(-0.5f, -0.5f, 7.5f, 7.5f, 0xFFFFFFFF);
    EXPECT_EQ(readTarget()[0], 0xFF008080u);
    // Without a mip filter only the top level is read.
    device_->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, 0);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    drawRect(-0.5f, -0.5f, 1.5f, 1.5f, 0xFFFFFFFF);
    EXPECT_EQ(readTarget()[0], 0xFF0000FFu);
    texture->Release();
}

TEST_F(PixelPipeline, TextureStagesCombineAsConfigured) {
    IDirect3DTexture9* texture = makeTexture(1, 1, {0x80402010});
    const Colour t = colourFromArgb(0x80402010), d = colourFromArgb(0xC0FF8040);
    auto expect = [&](float r, float g, float b, float a, const char* what) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        drawRect(-0.5f, -0.5f, 1.5f, 1.5f, 0xC0FF8040);
        const std::uint32_t expected = (std::uint32_t{toByte(a)} << 24) |
                                       (std::uint32_t{toByte(r)} << 16) |
                                       (std::uint32_t{toByte(g)} << 8) | toByte(b);
        EXPECT_EQ(readTarget()[0], expected) << what;
    };
    device_->SetTexture(0, texture);
    // Defaults: colour MODULATE, alpha SELECTARG1 (texture).
    expect(t.r * d.r, t.g * d.g, t.b * d.b, t.a, "defaults");
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    expect(std::min(t.r + d.r, 1.0f), t.g + d.g, t.b + d.b, t.a * d.a, "add, modulate");
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    expect(d.r, d.g, d.b, d.a, "diffuse only");
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);
    expect(d.r, d.g, d.b, d.a, "stage 0 disabled");

    // Stage 1 MODULATE with no texture bound passes the current colour on (unbound reads
    // white); ADD with no texture saturates to white.
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    expect(t.r * d.r, t.g * d.g, t.b * d.b, t.a * d.a, "unbound stage 1 modulate");
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    expect(1, 1, 1, t.a * d.a, "unbound stage 1 add");
    // A second texture on stage 1 modulates the first.
    IDirect3DTexture9* second = makeTexture(1, 1, {0xFF808080});
    device_->SetTexture(1, second);
    const Colour s = colourFromArgb(0xFF808080);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    expect(t.r * d.r * s.r, t.g * d.g * s.g, t.b * d.b * s.b, t.a * d.a, "two textures");

    device_->SetTextureStageState(1, D3DTSS_COLOROP, 13);  // BLENDDIFFUSEALPHA: not implemented
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, nullptr, 0), D3DERR_INVALIDCALL);
    SpriteVertex v[3] = {};
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(SpriteVertex)),
              D3DERR_UNSUPPORTEDCOLOROPERATION);
    texture->Release();
    second->Release();
}

TEST_F(PixelPipeline, BlendFactorPairsOnKnownColours) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    const D3DCOLOR source = 0x60C08020, dest = 0xA0306090;
    const Colour s = colourFromArgb(source), d = colourFromArgb(dest);
    auto factor = [&](DWORD f, float sc, float dc) {
        switch (f) {
        case D3DBLEND_ZERO:
            return 0.0f;
        case D3DBLEND_ONE:
            return 1.0f;
        case D3DBLEND_SRCALPHA:
            return s.a;
        case D3DBLEND_INVSRCALPHA:
            return 1.0f - s.a;
        case D3DBLEND_DESTCOLOR:
            return dc;
        default:
            return 1.0f - dc;  // INVDESTCOLOR
        }
        (void)sc;
    };
    struct Pair {
        DWORD src, dst;
    };
    const Pair colourPairs[] = {
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
        {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
        {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA},
        {D3DBLEND_ONE, D3DBLEND_ONE},
        {D3DBLEND_ONE, D3DBLEND_ZERO},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},
        {D3DBLEND_DESTCOLOR, D3DBLEND_ONE},
        {D3DBLEND_DESTCOLOR, D3DBLEND_SRCALPHA},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCALPHA},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHA},
    };
    const Pair alphaPairs[] = {{D3DBLEND_ZERO, D3DBLEND_INVSRCALPHA},
                               {D3DBLEND_ZERO, D3DBLEND_ONE},
                               {D3DBLEND_ZERO, D3DBLEND_ZERO},
                               {D3DBLEND_ONE, D3DBLEND_ONE}};
    for (bool separate : {false, true}) {
        device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, separate);
        for (const Pair& colour : colourPairs) {
            for (const Pair& alpha : alphaPairs) {
                device_->SetRenderState(D3DRS_SRCBLEND, colour.src);
                device_->SetRenderState(D3DRS_DESTBLEND, colour.dst);
                device_->SetRenderState(D3DRS_SRCBLENDALPHA, alpha.src);
                device_->SetRenderState(D3DRS_DESTBLENDALPHA, alpha.dst);
                device_->Clear(0, nullptr, D3DCLEAR_TARGET, dest, 1.0f, 0);
                drawRect(-0.5f, -0.5f, 0.5f, 0.5f, source);
                auto channel = [&](float sc, float dc, const Pair& p) {
                    return toByte(sc * factor(p.src, sc, dc) + dc * factor(p.dst, sc, dc));
                };
                const Pair& a = separate ? alpha : colour;
                const std::uint32_t expected = (std::uint32_t{channel(s.a, d.a, a)} << 24) |
                                               (std::uint32_t{channel(s.r, d.r, colour)} << 16) |
                                               (std::uint32_t{channel(s.g, d.g, colour)} << 8) |
                                               channel(s.b, d.b, colour);
                EXPECT_EQ(pixel(0, 0), expected)
                    << "colour " << colour.src << "/" << colour.dst << " alpha " << alpha.src << "/"
                    << alpha.dst << " separate " << separate;
                if (!separate) break;
            }
        }
    }
}

TEST_F(PixelPipeline, AlphaTestAtByteBoundaries) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    struct Case {
        DWORD function;
        DWORD reference;
        std::uint8_t alpha;
        bool drawn;
    };
    const Case cases[] = {
        {D3DCMP_GREATER, 128, 128, false},      {D3DCMP_GREATER, 128, 129, true},
        {D3DCMP_GREATER, 0, 0, false},          {D3DCMP_GREATER, 0, 1, true},
        {D3DCMP_GREATEREQUAL, 255, 254, false}, {D3DCMP_GREATEREQUAL, 255, 255, true},
        {D3DCMP_LESS, 128, 127, true},          {D3DCMP_LESS, 128, 128, false},
        {D3DCMP_EQUAL, 77, 77, true},           {D3DCMP_EQUAL, 77, 78, false},
        {D3DCMP_NOTEQUAL, 0, 0, false},         {D3DCMP_NOTEQUAL, 0, 1, true},
        {D3DCMP_GREATER, 0x180, 0x81, true},  // only the low byte of the reference counts
    };
    for (const Case& c : cases) {
        device_->SetRenderState(D3DRS_ALPHAFUNC, c.function);
        device_->SetRenderState(D3DRS_ALPHAREF, c.reference);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
        drawRect(-0.5f, -0.5f, 0.5f, 0.5f, (std::uint32_t{c.alpha} << 24) | 0x00FFFFFF);
        EXPECT_EQ(pixel(0, 0) != 0, c.drawn)
            << "function " << c.function << " ref " << c.reference << " alpha " << int(c.alpha);
    }
}

TEST_F(PixelPipeline, FogMixesTheFogColourByTheVertexFactor) {
    // Pretransformed vertices with a specular colour carry the fog factor in its alpha.
    struct V {
        float x, y, z, rhw;
        D3DCOLOR diffuse, specular;
    };
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGCOLOR, 0x00204080);
    const Colour c = colourFromArgb(0xFFF0C010), f = colourFromArgb(0xFF204080);
    for (std::uint32_t factor : {0u, 64u, 128u, 255u}) {
        const float k = static_cast<float>(factor) / 255.0f;
        const D3DCOLOR spec = factor << 24;
        const V v[3] = {{-0.5f, -0.5f, 0, 1, 0xFFF0C010, spec},
                        {3.5f, -0.5f, 0, 1, 0xFFF0C010, spec},
                        {-0.5f, 3.5f, 0, 1, 0xFFF0C010, spec}};
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(V)), D3D_OK);
        const std::uint32_t expected =
            0xFF000000u | (std::uint32_t{toByte(c.r * k + f.r * (1 - k))} << 16) |
            (std::uint32_t{toByte(c.g * k + f.g * (1 - k))} << 8) | toByte(c.b * k + f.b * (1 - k));
        EXPECT_EQ(pixel(0, 0), expected) << "factor " << factor;
    }
    // Fog off: the colour is untouched.
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFF0C010);
    EXPECT_EQ(pixel(0, 0), 0xFFF0C010u);
}

TEST_F(PixelPipeline, DepthTestOrdersSurfaces) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    // Near red first, then far green over it: LESSEQUAL keeps red where they overlap.
    drawRect(-0.5f, -0.5f, 3.5f, 0.5f, 0xFFFF0000, 0, 0, 1, 1, 0.25f);
    drawRect(1.5f, -0.5f, 5.5f, 0.5f, 0xFF00FF00, 0, 0, 1, 1, 0.75f);
    std::vector<std::uint32_t> out = readTarget();
    const std::uint32_t row[6] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000,
                                  0xFFFF0000, 0xFF00FF00, 0xFF00FF00};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(out[x], row[x]) << x;
    // Equal depth passes LESSEQUAL but not LESS; without depth writes the buffer keeps 0.25.
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFF0000FF, 0, 0, 1, 1, 0.25f);
    EXPECT_EQ(pixel(0, 0), 0xFF0000FFu);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF, 0, 0, 1, 1, 0.25f);
    EXPECT_EQ(pixel(0, 0), 0xFF0000FFu);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFF00FFFF, 0, 0, 1, 1, 0.1f);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFF00FF, 0, 0, 1, 1, 0.2f);
    EXPECT_EQ(pixel(0, 0), 0xFFFF00FFu);
    // ZENABLE FALSE draws regardless.
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFF123456, 0, 0, 1, 1, 0.9f);
    EXPECT_EQ(pixel(0, 0), 0xFF123456u);
}

TEST_F(PixelPipeline, AttributesInterpolateWithPerspective) {
    // A row whose right end is three times as far (rhw 1/3): halfway across the screen the
    // colour has covered a quarter of its range, not half.
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    const float rhw[2] = {1.0f, 1.0f / 3.0f};
    const SpriteVertex v[4] = {{-0.5f, -0.5f, 0, rhw[0], 0xFF000000, 0, 0, 0, 0},
                               {7.5f, -0.5f, 0, rhw[1], 0xFFFFFFFF, 0, 0, 0, 0},
                               {-0.5f, 0.5f, 0, rhw[0], 0xFF000000, 0, 0, 0, 0},
                               {7.5f, 0.5f, 0, rhw[1], 0xFFFFFFFF, 0, 0, 0, 0}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                              v, sizeof(SpriteVertex)),
              D3D_OK);
    const std::vector<std::uint32_t> out = readTarget();
    for (int x = 0; x < 8; ++x) {
        const double s = (x + 0.5) / 8.0;
        const double t = s * rhw[1] / ((1 - s) * rhw[0] + s * rhw[1]);
        EXPECT_NEAR(static_cast<int>(out[x] & 0xFF), t * 255.0, 1.0) << "pixel " << x;
    }
}

TEST_F(PixelPipeline, ViewportDepthRangeMapsClipSpaceDepth) {
    // Clip-space z = 0.5 in a viewport with MinZ 0.2 and MaxZ 0.6 lands at depth 0.4.
    struct V {
        float x, y, z;
        D3DCOLOR c;
    };
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    const D3DVIEWPORT9 vp{0, 0, 32, 32, 0.2f, 0.6f};
    ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
    const V tri[3] = {
        {-1, 1, 0.5f, 0xFFFFFFFF}, {3, 1, 0.5f, 0xFFFFFFFF}, {-1, -3, 0.5f, 0xFFFFFFFF}};
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(V)),
              D3DERR_CONFLICTINGRENDERSTATE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    for (const float cleared : {0.41f, 0.39f}) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, cleared, 0);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(V)), D3D_OK);
        EXPECT_EQ(pixel(5, 5), cleared > 0.4f ? 0xFFFFFFFFu : 0u) << "depth cleared to " << cleared;
    }
}

TEST_F(PixelPipeline, ColourWriteMaskKeepsMaskedChannels) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x11223344, 1.0f, 0);
    device_->SetRenderState(D3DRS_COLORWRITEENABLE, 0x1 | 0x8);  // red and alpha
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xAABBCCDD);
    EXPECT_EQ(pixel(0, 0), 0xAABB3344u);
}

}  // namespace
}  // namespace tessera::test
