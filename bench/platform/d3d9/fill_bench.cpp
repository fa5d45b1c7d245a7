// Fill rate of the software device at 1280x960 with 1 and 2 tile threads: full-screen
// sprite quads, the way the sprite layer and the post-effect passes cover the screen, and
// batches of many small sprites drawn from an atlas, the way the sprite layer draws a scene.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/platform/d3d9/bench_device.h"

using namespace platform::d3d9;

namespace {

constexpr UINT kWidth = 1280, kHeight = 960;

struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u0, v0, u1, v1;
};

// A device with a 1280x960 back buffer (no depth buffer) and a 256x256 texture on stage 0.
class FillDevice {
public:
    explicit FillDevice(unsigned threads) : bench_(kWidth, kHeight, threads, false) {
        IDirect3DDevice9* device = bench_.device();
        if (!device) return;
        device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_, nullptr);
        device->SetTexture(0, texture_);
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    ~FillDevice() {
        if (!texture_) return;
        bench_.device()->SetTexture(0, nullptr);
        texture_->Release();
    }
    IDirect3DDevice9* device() const { return texture_ ? bench_.device() : nullptr; }

private:
    bench::d3d9::BenchDevice bench_;
    IDirect3DTexture9* texture_ = nullptr;
};

// Appends the sprite [x, x + w) x [y, y + h) showing atlas texels from (u, v) one to one.
void addSprite(std::vector<SpriteVertex>& vertices, std::vector<std::uint16_t>& indices, float x,
               float y, float w, float h, float u, float v) {
    const auto first = static_cast<std::uint16_t>(vertices.size());
    const float u1 = u + w / 256.0f, v1 = v + h / 256.0f;
    vertices.insert(vertices.end(),
                    {{x - 0.5f, y - 0.5f, 0, 1, 0xFFFFFFFF, u, v, u, v},
                     {x + w - 0.5f, y - 0.5f, 0, 1, 0xFFFFFFFF, u1, v, u1, v},
                     {x - 0.5f, y + h - 0.5f, 0, 1, 0xFFFFFFFF, u, v1, u, v1},
                     {x + w - 0.5f, y + h - 0.5f, 0, 1, 0xFFFFFFFF, u1, v1, u1, v1}});
    indices.insert(indices.end(),
                   {first, static_cast<std::uint16_t>(first + 1),
                    static_cast<std::uint16_t>(first + 2), static_cast<std::uint16_t>(first + 2),
                    static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 3)});
}

// Linear-filtered sprites modulated by the diffuse colour, blended or not.
void fullScreenQuads(benchmark::State& state) {
    FillDevice fill(static_cast<unsigned>(state.range(1)));
    IDirect3DDevice9* device = fill.device();
    if (!device) {
        state.SkipWithError("no device");
        return;
    }
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, state.range(0) != 0);
    const SpriteVertex v[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0, 0},
                               {1279.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0, 1, 0},
                               {-0.5f, 959.5f, 0, 1, 0xFFFFFFFF, 0, 1, 0, 1},
                               {1279.5f, 959.5f, 0, 1, 0xFFFFFFFF, 1, 1, 1, 1}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    device->BeginScene();
    for (auto _ : state)
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v,
                                       sizeof(SpriteVertex));
    device->EndScene();
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

// 4,800 sprites of 16x16 texels in one draw, covering the screen once: point-sampled copies
// (stage 0 selects the texture) or alpha-blended sprites that modulate texture and diffuse.
void smallSprites(benchmark::State& state) {
    FillDevice fill(static_cast<unsigned>(state.range(1)));
    IDirect3DDevice9* device = fill.device();
    if (!device) {
        state.SkipWithError("no device");
        return;
    }
    const bool copies = state.range(0) == 0;
    const DWORD op = copies ? D3DTOP_SELECTARG1 : D3DTOP_MODULATE;
    device->SetTextureStageState(0, D3DTSS_COLOROP, op);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, op);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, !copies);
    std::vector<SpriteVertex> vertices;
    std::vector<std::uint16_t> indices;
    constexpr int kSprite = 16;
    int sprites = 0;
    for (UINT y = 0; y < kHeight; y += kSprite) {
        for (UINT x = 0; x < kWidth; x += kSprite, ++sprites) {
            const float u = static_cast<float>(sprites % 16) / 16.0f,
                        v = static_cast<float>(sprites / 16 % 16) / 16.0f;
            addSprite(vertices, indices, static_cast<float>(x), static_cast<float>(y), kSprite,
                      kSprite, u, v);
        }
    }
    device->BeginScene();
    for (auto _ : state)
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size()),
                                       static_cast<UINT>(indices.size() / 3), indices.data(),
                                       D3DFMT_INDEX16, vertices.data(), sizeof(SpriteVertex));
    device->EndScene();
    state.SetItemsProcessed(state.iterations() * sprites);
}

}  // namespace

BENCHMARK(fullScreenQuads)
    ->ArgNames({"blended", "threads"})
    ->ArgsProduct({{0, 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(smallSprites)
    ->ArgNames({"blended", "threads"})
    ->ArgsProduct({{0, 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
