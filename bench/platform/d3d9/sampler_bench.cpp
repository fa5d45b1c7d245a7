// Texture sampling alone: a 256x256 texture read across a 512x512 screen of 2x2 quads (a
// minifying, rotated mapping), one pixel at a time against a quad at a time, and the bilinear
// level kernels of each build. Figures are per screen of 262,144 pixels.
#include <benchmark/benchmark.h>

#include <array>
#include <optional>
#include <random>

#include "platform/d3d9/level_lanes.h"
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/texture.h"

using namespace platform::d3d9;

namespace {

constexpr int kScreen = 512;
constexpr int kTexture = 256;

class SamplerScene {
public:
    explicit SamplerScene(DWORD filter)
        : texture_(new IDirect3DTexture9(kTexture, kTexture, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                         nullptr)) {
        std::mt19937 random(1);
        auto& level = const_cast<IDirect3DSurface9&>(texture_->level(0));
        for (int t = 0; t < kTexture * kTexture; ++t)
            level.texels()[t] = static_cast<std::uint32_t>(random());
        states_[D3DSAMP_MAGFILTER] = states_[D3DSAMP_MINFILTER] = filter;
        states_[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        states_[D3DSAMP_ADDRESSU] = states_[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        sampler_.emplace(*texture_, states_);
    }
    ~SamplerScene() { texture_->Release(); }
    SamplerScene(const SamplerScene&) = delete;
    SamplerScene& operator=(const SamplerScene&) = delete;

    const TextureSampler& sampler() const { return *sampler_; }
    LevelTexels level() const {
        const IDirect3DSurface9& surface = texture_->level(0);
        return {surface.texels(), kTexture, kTexture, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, 0, false};
    }

    // The coordinates of the quad at (x, y), rotated and scaled down by 0.7.
    static void quad(int x, int y, float u[4], float v[4]) {
        for (int p = 0; p < 4; ++p) {
            const float px = static_cast<float>(x + (p & 1)), py = static_cast<float>(y + (p >> 1));
            u[p] = (0.6f * px + 0.35f * py) / kTexture;
            v[p] = (-0.35f * px + 0.6f * py) / kTexture;
        }
    }

private:
    IDirect3DTexture9* texture_;
    std::array<DWORD, kSamplerStateLimit> states_{};
    std::optional<TextureSampler> sampler_;
};

void samplePixels(benchmark::State& state) {
    const SamplerScene scene(static_cast<DWORD>(state.range(0)));
    for (auto _ : state) {
        float sum = 0.0f;
        for (int y = 0; y < kScreen; y += 2) {
            for (int x = 0; x < kScreen; x += 2) {
                float u[4], v[4];
                SamplerScene::quad(x, y, u, v);
                const float lod = scene.sampler().levelOfDetail(u, v);
                for (int p = 0; p < 4; ++p) sum += scene.sampler().sample(u[p], v[p], lod).g;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

void sampleQuads(benchmark::State& state) {
    const SamplerScene scene(static_cast<DWORD>(state.range(0)));
    for (auto _ : state) {
        float sum = 0.0f;
        for (int y = 0; y < kScreen; y += 2) {
            for (int x = 0; x < kScreen; x += 2) {
                float u[4], v[4];
                SamplerScene::quad(x, y, u, v);
                LaneColours out;
                scene.sampler().sampleQuads(u, v, 1, rowsOf(out));
                sum += out.c[1][0] + out.c[1][3];
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}

void bilinearKernel(benchmark::State& state, const LevelLaneKernels& (*kernels)()) {
    if (kernels == avx2LevelLaneKernels && !__builtin_cpu_supports("avx2")) {
        state.SkipWithError("no AVX2");
        return;
    }
    if (kernels == avx512LevelLaneKernels && !hasAvx512()) {
        state.SkipWithError("no AVX-512");
        return;
    }
    const SamplerScene scene(D3DTEXF_LINEAR);
    const LevelTexels level = scene.level();
    const LevelQuadsFunction bilinear = kernels().bilinear;
    // A row of quads at a time, as a pixel shader batch hands them over.
    constexpr int kQuads = kScreen / 2;
    float u[4 * kQuads], v[4 * kQuads], out[4][4 * kQuads];
    for (auto _ : state) {
        float sum = 0.0f;
        for (int y = 0; y < kScreen; y += 2) {
            for (int q = 0; q < kQuads; ++q) SamplerScene::quad(2 * q, y, u + 4 * q, v + 4 * q);
            bilinear(level, u, v, kQuads, LaneRows{{out[0], out[1], out[2], out[3]}});
            sum += out[1][0] + out[1][4 * kQuads - 1];
        }
        benchmark::DoNotOptimize(sum);
    }
}

}  // namespace

BENCHMARK(samplePixels)
    ->ArgName("filter")
    ->Arg(D3DTEXF_POINT)
    ->Arg(D3DTEXF_LINEAR)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(sampleQuads)
    ->ArgName("filter")
    ->Arg(D3DTEXF_POINT)
    ->Arg(D3DTEXF_LINEAR)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bilinearKernel, sse2, sse2LevelLaneKernels)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bilinearKernel, avx2, avx2LevelLaneKernels)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bilinearKernel, avx512, avx512LevelLaneKernels)->Unit(benchmark::kMillisecond);
