#include "tools/d3d9shot/scenes.h"

#include <cmath>
#include <cstdint>

namespace d3d9shot {
namespace {

using namespace platform::d3d9;

struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u0, v0, u1, v1;
};

// Pretransformed vertex with a specular colour whose alpha is the fog factor.
struct FogVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u, v;
};

void quad(IDirect3DDevice9& device, float x, float y, float w, float h, D3DCOLOR colour,
          float u1 = 1, float v1 = 1) {
    // Positions shifted by -0.5 so that texels land on pixels.
    const float l = x - 0.5f, t = y - 0.5f, r = x + w - 0.5f, b = y + h - 0.5f;
    const SpriteVertex v[4] = {{l, t, 0, 1, colour, 0, 0, 0, 0},
                               {r, t, 0, 1, colour, u1, 0, u1, 0},
                               {l, b, 0, 1, colour, 0, v1, 0, v1},
                               {r, b, 0, 1, colour, u1, v1, u1, v1}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    device.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v,
                                  sizeof(SpriteVertex));
}

IDirect3DTexture9* makeTexture(IDirect3DDevice9& device, UINT size,
                               D3DCOLOR (*texel)(UINT x, UINT y)) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device.CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                    nullptr)))
        return nullptr;
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                     y * locked.Pitch);
        for (UINT x = 0; x < size; ++x) row[x] = texel(x, y);
    }
    texture->UnlockRect(0);
    return texture;
}

D3DCOLOR checker(UINT x, UINT y) { return ((x / 4 + y / 4) % 2) ? 0xFFF0F0F0 : 0xFF3050A0; }

// A disc whose alpha falls off towards the edge.
D3DCOLOR disc(UINT x, UINT y) {
    const float dx = (static_cast<float>(x) + 0.5f - 16.0f) / 16.0f,
                dy = (static_cast<float>(y) + 0.5f - 16.0f) / 16.0f;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float alpha = d >= 1.0f ? 0.0f : 1.0f - d * d;
    return (static_cast<D3DCOLOR>(alpha * 255.0f + 0.5f) << 24) | 0x00FFD080;
}

void beginSprites(IDirect3DDevice9& device) {
    device.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void drawSprites(IDirect3DDevice9& device) {
    beginSprites(device);
    device.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0);
    IDirect3DTexture9* board = makeTexture(device, 32, checker);
    IDirect3DTexture9* glow = makeTexture(device, 32, disc);
    device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device.SetTexture(0, board);
    quad(device, 8, 8, 32, 32, 0xFFFFFFFF);   // texel for texel
    quad(device, 48, 8, 64, 64, 0xFFFFFFFF);  // doubled, point sampled
    device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    quad(device, 120, 8, 64, 64, 0xFFFF8080);  // doubled, linear, tinted
    device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    quad(device, 192, 8, 56, 64, 0xFFFFFFFF, 3, 3);  // wrapped three times
    device.SetTexture(0, glow);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (int i = 0; i < 5; ++i) quad(device, 8 + 24.0f * i, 96, 48, 48, 0xFFFFFFFF);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    for (int i = 0; i < 3; ++i) quad(device, 140 + 20.0f * i, 100, 48, 48, 0xC080A0FF);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device.SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device.SetRenderState(D3DRS_ALPHAREF, 128);
    quad(device, 104, 150, 32, 32, 0xFFFFFFFF);  // hard-edged disc
    device.SetTexture(0, nullptr);
    board->Release();
    glow->Release();
}

void drawBlending(IDirect3DDevice9& device) {
    beginSprites(device);
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    // A background of vertical colour bars.
    const D3DCOLOR bars[4] = {0xFF000000, 0xFF808080, 0xFFFFFFFF, 0xFF2060C0};
    for (int i = 0; i < 4; ++i) quad(device, 64.0f * i, 0, 64, kSceneHeight, bars[i]);
    struct Pair {
        DWORD src, dst;
    };
    const Pair pairs[11] = {
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
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    for (int i = 0; i < 11; ++i) {
        device.SetRenderState(D3DRS_SRCBLEND, pairs[i].src);
        device.SetRenderState(D3DRS_DESTBLEND, pairs[i].dst);
        quad(device, 8, 4 + 17.0f * i, 240, 13, 0x80E06020);  // half-transparent orange
    }
}

void drawFog(IDirect3DDevice9& device) {
    // A textured floor in perspective (pretransformed, rhw falling with distance), fogged
    // towards the horizon over a sky cleared to the fog colour. The fog factor is the
    // specular alpha, interpolated with perspective like every attribute.
    device.SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.SetRenderState(D3DRS_FOGENABLE, TRUE);
    device.SetRenderState(D3DRS_FOGCOLOR, 0x00A0B0C8);
    device.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFA0B0C8, 1.0f, 0);
    IDirect3DTexture9* board = makeTexture(device, 32, checker);
    device.SetTexture(0, board);
    device.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    device.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device.SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    const float w = static_cast<float>(kSceneWidth), h = static_cast<float>(kSceneHeight);
    const float farRhw = 1.0f / 16.0f;
    const FogVertex v[4] = {
        {-0.5f, h - 0.5f, 0, 1, 0xFFFFFFFF, 0xFF000000, 0, 0},                   // near left
        {w - 0.5f, h - 0.5f, 0, 1, 0xFFFFFFFF, 0xFF000000, 4, 0},                // near right
        {w * 0.5f - 8.5f, 64 - 0.5f, 0, farRhw, 0xFFFFFFFF, 0x00000000, 0, 64},  // far left
        {w * 0.5f + 7.5f, 64 - 0.5f, 0, farRhw, 0xFFFFFFFF, 0x00000000, 4, 64},  // far right
    };
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    device.DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v,
                                  sizeof(FogVertex));
    device.SetTexture(0, nullptr);
    board->Release();
}

}  // namespace

const Scene kScenes[3] = {{"sprites", drawSprites}, {"blending", drawBlending}, {"fog", drawFog}};

}  // namespace d3d9shot
