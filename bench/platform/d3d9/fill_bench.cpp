// Fill rate of the software device: full-screen sprite quads at 1280x960, the way the
// sprite layer and the post-effect passes cover the screen.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/device.h"

using namespace platform::d3d9;

namespace {

struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u0, v0, u1, v1;
};

void fullScreenQuads(benchmark::State& state) {
    const bool blended = state.range(0) != 0;
    Direct3DConfig config;
    config.adapters.push_back(softwareAdapterProfile());
    IDirect3D9* d3d = new IDirect3D9(std::move(config));
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 1280;
    pp.BackBufferHeight = 960;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    IDirect3DTexture9* texture = nullptr;
    device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    device->SetTexture(0, texture);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, blended);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const SpriteVertex v[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0, 0},
                               {1279.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0, 1, 0},
                               {-0.5f, 959.5f, 0, 1, 0xFFFFFFFF, 0, 1, 0, 1},
                               {1279.5f, 959.5f, 0, 1, 0xFFFFFFFF, 1, 1, 1, 1}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    device->BeginScene();
    for (auto _ : state)
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v, sizeof(SpriteVertex));
    device->EndScene();
    state.SetItemsProcessed(state.iterations() * 1280 * 960);
    device->SetTexture(0, nullptr);
    texture->Release();
    device->Release();
    d3d->Release();
}

}  // namespace

BENCHMARK(fullScreenQuads)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
