// The per-pixel output stage against a reference computed here one channel at a time: every
// blend factor and operation on shader colours outside [0, 1] (and NaN), on targets with and
// without alpha; unblended rounding and write masks; each depth function with depth clamping;
// and fog, whose factor differs between the pixels of a quad, on each path a colour takes.
// writeQuad itself is checked pixel by pixel against the same reference, over a table of
// output states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/d3d9/pixel_output.h"
#include "platform/d3d9/sampler.h"
#include "tests/platform/d3d9/device_fixture.h"
#include "tools/shasm/shader_assembler.h"

namespace tessera::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The byte a channel becomes: clamped to [0, 1] (NaN as 0) and rounded to nearest.
std::uint8_t toByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::floor(v * 255.0f + 0.5f));
}

float factor(DWORD f, float s, float sa, float d, float da) {
    switch (f) {
    case D3DBLEND_ZERO:
        return 0.0f;
    case D3DBLEND_ONE:
        return 1.0f;
    case D3DBLEND_SRCCOLOR:
        return s;
    case D3DBLEND_INVSRCCOLOR:
        return 1.0f - s;
    case D3DBLEND_SRCALPHA:
        return sa;
    case D3DBLEND_INVSRCALPHA:
        return 1.0f - sa;
    case D3DBLEND_DESTALPHA:
        return da;
    case D3DBLEND_INVDESTALPHA:
        return 1.0f - da;
    case D3DBLEND_DESTCOLOR:
        return d;
    default:
        return 1.0f - d;  // INVDESTCOLOR
    }
}

struct Blend {
    DWORD op, src, dest;
};

// One channel of the blend: the source clamped to [0, 1] (NaN stays NaN and becomes 0).
float blendChannel(const Blend& b, float s, float sa, float d, float da) {
    const float fs = factor(b.src, s, sa, d, da), fd = factor(b.dest, s, sa, d, da);
    switch (b.op) {
    case D3DBLENDOP_SUBTRACT:
        return s * fs - d * fd;
    case D3DBLENDOP_REVSUBTRACT:
        return d * fd - s * fs;
    case D3DBLENDOP_MIN:
        return std::min(s, d);
    case D3DBLENDOP_MAX:
        return std::max(s, d);
    default:
        return s * fs + d * fd;
    }
}

bool compare(DWORD function, std::uint32_t value, std::uint32_t reference) {
    const bool less = value < reference, equal = value == reference;
    switch (function) {
    case D3DCMP_NEVER:
        return false;
    case D3DCMP_LESS:
        return less;
    case D3DCMP_EQUAL:
        return equal;
    case D3DCMP_LESSEQUAL:
        return less || equal;
    case D3DCMP_GREATER:
        return !less && !equal;
    case D3DCMP_NOTEQUAL:
        return !equal;
    case D3DCMP_GREATEREQUAL:
        return !less;
    default:
        return true;
    }
}

std::vector<DWORD> assemble(const char* text) {
    const tools::shasm::AssembleResult result = tools::shasm::assembleShader(text);
    EXPECT_TRUE(result.error.empty()) << result.error;
    return std::vector<DWORD>(result.tokens.begin(), result.tokens.end());
}

class PixelOutput : public DeviceTest {
protected:
    void SetUp() override {
        AdapterProfile profile = softwareAdapterProfile();
        profile.formats.push_back({D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET});
        createDevice(8, 8, {profile});
        device_->BeginScene();
    }
    void TearDown() override {
        device_->SetPixelShader(nullptr);
        for (IDirect3DPixelShader9* shader : shaders_) shader->Release();
        device_->EndScene();
    }

    IDirect3DPixelShader9* pixelShader(const char* text) {
        const std::vector<DWORD> tokens = assemble(text);
        IDirect3DPixelShader9* shader = nullptr;
        EXPECT_EQ(
            device_->CreatePixelShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader),
            D3D_OK);
        if (shader) shaders_.push_back(shader);
        return shader;
    }

    std::vector<IDirect3DPixelShader9*> shaders_;
};

TEST_F(PixelOutput, BlendFactorsAndOperationsOnShaderColours) {
    // The shader's colour is c0, which may lie outside [0, 1] or be NaN.
    device_->SetPixelShader(pixelShader("ps_2_0\nmov oC0, c0\n"));
    IDirect3DTexture9* opaqueTexture = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                     D3DPOOL_DEFAULT, &opaqueTexture, nullptr),
              D3D_OK);
    IDirect3DSurface9* opaque = nullptr;
    opaqueTexture->GetSurfaceLevel(0, &opaque);
    IDirect3DSurface9* backBuffer = nullptr;
    device_->GetRenderTarget(0, &backBuffer);

    std::vector<Blend> colourBlends;
    for (DWORD src = D3DBLEND_ZERO; src <= D3DBLEND_INVDESTCOLOR; ++src)
        for (DWORD dest = D3DBLEND_ZERO; dest <= D3DBLEND_INVDESTCOLOR; ++dest)
            colourBlends.push_back({D3DBLENDOP_ADD, src, dest});
    const Blend pairs[] = {{0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                           {0, D3DBLEND_ONE, D3DBLEND_ONE},
                           {0, D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR}};
    for (DWORD op : {D3DBLENDOP_SUBTRACT, D3DBLENDOP_REVSUBTRACT, D3DBLENDOP_MIN, D3DBLENDOP_MAX})
        for (const Blend& pair : pairs) colourBlends.push_back({op, pair.src, pair.dest});
    // Separate alpha blends, paired with the first colour blend.
    const Blend alphaBlends[] = {{D3DBLENDOP_REVSUBTRACT, D3DBLEND_ONE, D3DBLEND_ONE},
                                 {D3DBLENDOP_MAX, D3DBLEND_DESTALPHA, D3DBLEND_ZERO},
                                 {D3DBLENDOP_ADD, D3DBLEND_INVDESTALPHA, D3DBLEND_SRCCOLOR}};

    const float sources[][4] = {{1.25f, -0.5f, 0.3f, 0.6f}, {0.2f, 0.9f, kNaN, 0.35f}};
    const D3DCOLOR destination = 0xA0306090;
    for (IDirect3DSurface9* target : {backBuffer, opaque}) {
        const bool opaqueTarget = target == opaque;
        device_->SetRenderTarget(0, target);
        const Colour d = [&] {
            Colour c = colourFromArgb(destination);
            if (opaqueTarget) c.a = 1.0f;
            return c;
        }();
        for (const float(&source)[4] : sources) {
            device_->SetPixelShaderConstantF(0, source, 1);
            const float s[4] = {
                std::clamp(source[0], 0.0f, 1.0f), std::clamp(source[1], 0.0f, 1.0f),
                std::clamp(source[2], 0.0f, 1.0f), std::clamp(source[3], 0.0f, 1.0f)};
            const auto check = [&](const Blend& colour, const Blend& alpha, bool separate) {
                device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
                device_->SetRenderState(D3DRS_BLENDOP, colour.op);
                device_->SetRenderState(D3DRS_SRCBLEND, colour.src);
                device_->SetRenderState(D3DRS_DESTBLEND, colour.dest);
                device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, separate);
                device_->SetRenderState(D3DRS_BLENDOPALPHA, alpha.op);
                device_->SetRenderState(D3DRS_SRCBLENDALPHA, alpha.src);
                device_->SetRenderState(D3DRS_DESTBLENDALPHA, alpha.dest);
                device_->Clear(0, nullptr, D3DCLEAR_TARGET, destination, 1.0f, 0);
                drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF);
                const Blend& a = separate ? alpha : colour;
                const auto channel = [&](float sc, float dc) {
                    return std::uint32_t{toByte(blendChannel(colour, sc, s[3], dc, d.a))};
                };
                const std::uint32_t alphaByte =
                    opaqueTarget ? 0xFF : toByte(blendChannel(a, s[3], s[3], d.a, d.a));
                const std::uint32_t expected = (alphaByte << 24) | (channel(s[0], d.r) << 16) |
                                               (channel(s[1], d.g) << 8) | channel(s[2], d.b);
                EXPECT_EQ(readTarget(target)[0], expected)
                    << "op " << colour.op << " " << colour.src << "/" << colour.dest << " alpha "
                    << a.op << " " << a.src << "/" << a.dest << " source " << source[0]
                    << " opaque " << opaqueTarget;
            };
            for (const Blend& colour : colourBlends) check(colour, colour, false);
            for (const Blend& alpha : alphaBlends) check(colourBlends.front(), alpha, true);
        }
    }
    device_->SetRenderTarget(0, backBuffer);
    backBuffer->Release();
    opaque->Release();
    opaqueTexture->Release();
}

TEST_F(PixelOutput, UnblendedWritesRoundAndMaskChannels) {
    device_->SetPixelShader(pixelShader("ps_2_0\nmov oC0, c0\n"));
    struct Case {
        float colour[4];         // r, g, b, a
        DWORD writeMask;         // bits: red 1, green 2, blue 4, alpha 8
        std::uint32_t expected;  // written over 0x11223344
    };
    const Case cases[] = {
        {{kNaN, -0.25f, 1.5f, 0.5f}, 0xF, 0x800000FF},
        {{0.3f / 255, 1.7f / 255, 254.6f / 255, 1.0f}, 0xF, 0xFF0002FF},
        {{0.2f, 0.4f, 0.6f, 0.8f}, 0x1 | 0x8, 0xCC333344},
        {{0.2f, 0.4f, 0.6f, 0.8f}, 0x2 | 0x4, 0x11226699},
        {{0.2f, 0.4f, 0.6f, 0.8f}, 0, 0x11223344},
    };
    for (const Case& c : cases) {
        device_->SetPixelShaderConstantF(0, c.colour, 1);
        device_->SetRenderState(D3DRS_COLORWRITEENABLE, c.writeMask);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x11223344, 1.0f, 0);
        drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF);
        EXPECT_EQ(pixel(0, 0), c.expected) << c.colour[0] << " mask " << c.writeMask;
    }
}

TEST_F(PixelOutput, DepthFunctionsCompareClampedDepths) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    struct Case {
        float stored, z;
        DWORD function;
        bool drawn;
    };
    std::vector<Case> cases;
    // Stored 0.25 against nearer, equal and farther depths.
    const bool passes[][3] = {
        {false, false, false},  // NEVER
        {true, false, false},   // LESS
        {false, true, false},   // EQUAL
        {true, true, false},    // LESSEQUAL
        {false, false, true},   // GREATER
        {true, false, true},    // NOTEQUAL
        {false, true, true},    // GREATEREQUAL
        {true, true, true},     // ALWAYS
    };
    for (DWORD function = D3DCMP_NEVER; function <= D3DCMP_ALWAYS; ++function) {
        const float zs[3] = {0.125f, 0.25f, 0.375f};
        for (int i = 0; i < 3; ++i)
            cases.push_back({0.25f, zs[i], function, passes[function - 1][i]});
    }
    // Depths beyond [0, 1] clamp before they compare.
    cases.push_back({1.0f, 2.0f, D3DCMP_LESS, false});
    cases.push_back({1.0f, 2.0f, D3DCMP_LESSEQUAL, true});
    cases.push_back({0.0f, -1.0f, D3DCMP_GREATER, false});
    cases.push_back({0.0f, -1.0f, D3DCMP_GREATEREQUAL, true});
    for (const Case& c : cases) {
        device_->SetRenderState(D3DRS_ZFUNC, c.function);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, c.stored, 0);
        drawRect(-0.5f, -0.5f, 1.5f, 1.5f, 0xFFFFFFFF, 0, 0, 1, 1, c.z);
        EXPECT_EQ(pixel(1, 1) != 0, c.drawn)
            << "function " << c.function << " z " << c.z << " stored " << c.stored;
    }
}

TEST_F(PixelOutput, FogUsesEachPixelsOwnFactor) {
    // The fog factor (specular alpha) runs from 0 on the left edge to 1 on the right: 1/8,
    // 3/8, 5/8 and 7/8 at the four pixel columns, exactly.
    struct V {
        float x, y, z, rhw;
        D3DCOLOR diffuse, specular;
    };
    constexpr D3DCOLOR kColour = 0xFFF0C010, kFog = 0x00204080;
    const V quad[4] = {{-0.5f, -0.5f, 0, 1, kColour, 0x00000000},
                       {3.5f, -0.5f, 0, 1, kColour, 0xFF000000},
                       {-0.5f, 3.5f, 0, 1, kColour, 0x00000000},
                       {3.5f, 3.5f, 0, 1, kColour, 0xFF000000}};
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGCOLOR, kFog);
    const float colour[4] = {0xF0 / 255.0f, 0xC0 / 255.0f, 0x10 / 255.0f, 1.0f};
    const Colour fog = colourFromArgb(kFog | 0xFF000000u);
    // The fixed-function stages, a shader reading the diffuse colour, and one that does not.
    struct Path {
        const char* name;
        const char* shader;
    };
    const Path paths[] = {{"stages", nullptr},
                          {"shader reading v0", "ps_2_0\ndcl v0\nmov oC0, v0\n"},
                          {"shader without inputs", "ps_2_0\nmov oC0, c0\n"}};
    device_->SetPixelShaderConstantF(0, colour, 1);
    for (const Path& path : paths) {
        device_->SetPixelShader(path.shader ? pixelShader(path.shader) : nullptr);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V)), D3D_OK);
        const std::vector<std::uint32_t> frame = readTarget();
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const float f = (static_cast<float>(x) + 0.5f) / 4.0f;
                const std::uint32_t expected =
                    0xFF000000u |
                    (std::uint32_t{toByte(colour[0] * f + fog.r * (1.0f - f))} << 16) |
                    (std::uint32_t{toByte(colour[1] * f + fog.g * (1.0f - f))} << 8) |
                    toByte(colour[2] * f + fog.b * (1.0f - f));
                EXPECT_EQ(frame[static_cast<std::size_t>(y) * 8 + x], expected)
                    << path.name << " " << x << "," << y;
            }
        }
    }
}

// The pixels of a 2x2 quad written as each would be alone, reference against writeQuad: the
// quad sits at column 2 of a 4 x 2 target (so rows are a pitch apart) and pixel 2 is not
// covered. Colours lie inside and outside [0, 1] and include NaN; fog factors and depths
// differ between the pixels.
TEST(WriteQuad, MatchesEachPixelWrittenAlone) {
    using RenderStates = std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>>;
    struct Case {
        const char* name;
        RenderStates states;
        bool opaque;
    };
    const RenderStates fog = {{D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGCOLOR, 0x00204080}};
    const Case cases[] = {
        {"plain", {}, false},
        {"plain opaque", {}, true},
        {"fog", fog, false},
        {"alpha test",
         {{D3DRS_ALPHATESTENABLE, TRUE}, {D3DRS_ALPHAFUNC, D3DCMP_GREATER}, {D3DRS_ALPHAREF, 0x80}},
         false},
        {"depth greater, no depth write",
         {{D3DRS_ZFUNC, D3DCMP_GREATER}, {D3DRS_ZWRITEENABLE, FALSE}},
         false},
        {"depth less", {{D3DRS_ZFUNC, D3DCMP_LESS}}, false},
        {"depth equal", {{D3DRS_ZFUNC, D3DCMP_EQUAL}}, false},
        {"depth not equal", {{D3DRS_ZFUNC, D3DCMP_NOTEQUAL}}, false},
        {"depth greater or equal", {{D3DRS_ZFUNC, D3DCMP_GREATEREQUAL}}, false},
        {"depth never", {{D3DRS_ZFUNC, D3DCMP_NEVER}}, false},
        {"depth always", {{D3DRS_ZFUNC, D3DCMP_ALWAYS}}, false},
        {"no depth test", {{D3DRS_ZENABLE, D3DZB_FALSE}, {D3DRS_ZFUNC, D3DCMP_NEVER}}, false},
        {"no depth test, opaque", {{D3DRS_ZENABLE, D3DZB_FALSE}}, true},
        {"write mask", {{D3DRS_COLORWRITEENABLE, 0xA}}, true},
        {"alpha blend",
         {{D3DRS_ALPHABLENDENABLE, TRUE},
          {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
          {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}},
         false},
        {"max, separate alpha",
         {{D3DRS_ALPHABLENDENABLE, TRUE},
          {D3DRS_BLENDOP, D3DBLENDOP_MAX},
          {D3DRS_SEPARATEALPHABLENDENABLE, TRUE},
          {D3DRS_BLENDOPALPHA, D3DBLENDOP_REVSUBTRACT},
          {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
          {D3DRS_DESTBLENDALPHA, D3DBLEND_ONE}},
         false},
        {"subtract with fog and mask, opaque",
         {{D3DRS_ALPHABLENDENABLE, TRUE},
          {D3DRS_BLENDOP, D3DBLENDOP_SUBTRACT},
          {D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR},
          {D3DRS_DESTBLEND, D3DBLEND_INVDESTALPHA},
          {D3DRS_COLORWRITEENABLE, 0x5},
          fog[0],
          fog[1]},
         true},
    };
    // Lane p is pixel p; the rows are red, green, blue, alpha.
    const QuadFragment partial{{{0.2f, 1.25f, 0.5f, kNaN},
                                {0.9f, -0.5f, 0.5f, 0.4f},
                                {kNaN, 0.3f, 0.5f, 0.7f},
                                {0.6f, 0.35f, 0.9f, 0.55f}},
                               {-0.25f, 0.5f, 0.75f, 2.0f},
                               {0.25f, -1.0f, 0.5f, kNaN},
                               0xBu};
    const std::uint32_t destinations[4] = {0xA0306090, 0x10F0C020, 0xFF000000, 0x7F7F7F80};
    constexpr std::uint32_t kStoredDepth = 0x800000;  // about 0.5 in 24 bits
    const std::size_t offsets[4] = {2, 3, 6, 7};

    // Pixel 2 uncovered, and every pixel covered (whole quads take their own path).
    QuadFragment whole = partial;
    whole.mask = 0xF;
    for (const QuadFragment& fragment : {partial, whole}) {
        for (const Case& c : cases) {
            StateStore store;
            store.setDefaults(true);
            for (const auto& [state, value] : c.states) store.render[state] = value;
            const OutputState state(store);
            std::vector<std::uint32_t> colours(8, 0x5A5A5A5A), depths(8, kStoredDepth);
            for (int p = 0; p < 4; ++p) colours[offsets[p]] = destinations[p];
            writeQuad(state, {colours.data() + 2, 4, c.opaque, depths.data() + 2, 4, 24}, fragment);
            if (state.storesOnly) {
                // The shortcut for such states stores what writeQuad wrote.
                std::vector<std::uint32_t> stored(8, 0x5A5A5A5A);
                for (int p = 0; p < 4; ++p) stored[offsets[p]] = destinations[p];
                const float* const rows[4] = {fragment.colour[0], fragment.colour[1],
                                              fragment.colour[2], fragment.colour[3]};
                storeQuadColours({stored.data() + 2, 4, c.opaque, nullptr, 0, 0}, fragment.mask,
                                 rows);
                EXPECT_EQ(stored, colours) << c.name << ", mask " << fragment.mask;
            }

            const Colour fogColour = colourFromArgb(store.render[D3DRS_FOGCOLOR] | 0xFF000000u);
            for (int p = 0; p < 4; ++p) {
                float rgba[4] = {fragment.colour[0][p], fragment.colour[1][p],
                                 fragment.colour[2][p], fragment.colour[3][p]};
                if (state.fog) {
                    const float f = fragment.fog[p] > 0.0f ? std::min(fragment.fog[p], 1.0f) : 0.0f;
                    const float fc[3] = {fogColour.r, fogColour.g, fogColour.b};
                    for (int k = 0; k < 3; ++k) rgba[k] = rgba[k] * f + fc[k] * (1.0f - f);
                }
                const double z = std::clamp(static_cast<double>(fragment.z[p]), 0.0, 1.0);
                const auto depth = static_cast<std::uint32_t>(std::nearbyint(z * 16777215.0));
                const bool drawn =
                    (fragment.mask & (1u << p)) &&
                    (!state.alphaTest ||
                     compare(state.alphaFunction, toByte(rgba[3]), state.alphaReference)) &&
                    (!state.depthTest || compare(state.depthFunction, depth, kStoredDepth));
                const std::uint32_t d = destinations[p];
                std::uint32_t expected = d;
                if (drawn) {
                    const Colour dc = colourFromArgb(d);
                    const float dest[4] = {dc.r, dc.g, dc.b, c.opaque ? 1.0f : dc.a};
                    std::uint32_t bytes[4];
                    for (int k = 0; k < 4; ++k) {
                        if (!state.blend) {
                            bytes[k] = toByte(rgba[k]);
                            continue;
                        }
                        const auto clamped = [](float v) {
                            return std::isnan(v) ? v : std::clamp(v, 0.0f, 1.0f);
                        };
                        const Blend b = k == 3
                                            ? Blend{state.blendOpAlpha, state.srcBlendAlpha,
                                                    state.destBlendAlpha}
                                            : Blend{state.blendOp, state.srcBlend, state.destBlend};
                        bytes[k] = toByte(
                            blendChannel(b, clamped(rgba[k]), clamped(rgba[3]), dest[k], dest[3]));
                    }
                    const std::uint32_t argb =
                        (bytes[3] << 24) | (bytes[0] << 16) | (bytes[1] << 8) | bytes[2];
                    const DWORD m = state.writeMask;
                    const std::uint32_t written =
                        (m & 1 ? 0x00FF0000u : 0u) | (m & 2 ? 0x0000FF00u : 0u) |
                        (m & 4 ? 0x000000FFu : 0u) | (m & 8 ? 0xFF000000u : 0u);
                    expected = (argb & written) | (d & ~written) | (c.opaque ? 0xFF000000u : 0u);
                }
                EXPECT_EQ(colours[offsets[p]], expected)
                    << c.name << ", mask " << fragment.mask << ", pixel " << p;
                const bool depthWritten = drawn && state.depthWrite;
                EXPECT_EQ(depths[offsets[p]], depthWritten ? depth : kStoredDepth)
                    << c.name << ", mask " << fragment.mask << ", pixel " << p;
            }
            for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{5}})
                EXPECT_EQ(colours[i], 0x5A5A5A5Au) << c.name << ": outside the quad";
        }
    }
}

}  // namespace
}  // namespace tessera::test
