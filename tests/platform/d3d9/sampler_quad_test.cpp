// The quad sampler against the one-pixel sampler: over filters, address modes, mip chains and
// formats, every lane of sampleQuads must give the bits sample() gives with its quad's level
// of detail. The AVX2 kernels must match the SSE2 ones bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "platform/d3d9/level_lanes.h"
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/texture.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

std::uint32_t bitsOf(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// A texture whose levels hold random texels (random alpha too, to show that X8R8G8B8 reads 1).
class RandomTexture {
public:
    RandomTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, std::mt19937& random)
        : texture_(
              new IDirect3DTexture9(width, height, levels, 0, format, D3DPOOL_MANAGED, nullptr)) {
        for (UINT i = 0; i < levels; ++i) {
            auto& surface = const_cast<IDirect3DSurface9&>(texture_->level(i));
            for (std::size_t t = 0; t < std::size_t{surface.width()} * surface.height(); ++t)
                surface.texels()[t] = static_cast<std::uint32_t>(random());
        }
    }
    ~RandomTexture() { texture_->Release(); }
    RandomTexture(const RandomTexture&) = delete;
    RandomTexture& operator=(const RandomTexture&) = delete;
    const IDirect3DTexture9& operator*() const { return *texture_; }

private:
    IDirect3DTexture9* texture_;
};

struct SamplerCase {
    const char* name;
    D3DFORMAT format;
    UINT width, height, levels;
    DWORD mag, min, mip;
    DWORD addressU, addressV;
    DWORD maxMipLevel = 0;
    float lodBias = 0.0f;
};

std::array<DWORD, kSamplerStateLimit> samplerStates(const SamplerCase& c) {
    std::array<DWORD, kSamplerStateLimit> states{};
    states[D3DSAMP_MAGFILTER] = c.mag;
    states[D3DSAMP_MINFILTER] = c.min;
    states[D3DSAMP_MIPFILTER] = c.mip;
    states[D3DSAMP_ADDRESSU] = c.addressU;
    states[D3DSAMP_ADDRESSV] = c.addressV;
    states[D3DSAMP_MAXMIPLEVEL] = c.maxMipLevel;
    states[D3DSAMP_MIPMAPLODBIAS] = floatBits(c.lodBias);
    states[D3DSAMP_BORDERCOLOR] = 0x80C04020;
    return states;
}

// A quad around a random point with random derivatives, from magnified to far minified, and
// now and then a lane at a value the addressing treats specially.
void randomQuad(std::mt19937& random, float u[4], float v[4]) {
    std::uniform_real_distribution<float> centre(-3.0f, 4.0f), scale(-12.0f, 2.0f),
        sign(-1.0f, 1.0f);
    const float u0 = centre(random), v0 = centre(random);
    const float dx = std::exp2(scale(random)) * sign(random),
                dy = std::exp2(scale(random)) * sign(random);
    const float skew = sign(random);
    for (int p = 0; p < 4; ++p) {
        const float px = static_cast<float>(p & 1), py = static_cast<float>(p >> 1);
        u[p] = u0 + px * dx + py * dy * skew;
        v[p] = v0 + py * dy + px * dx * skew;
    }
    static const float kSpecial[] = {0.0f,
                                     -0.0f,
                                     1.0f,
                                     -1.0f,
                                     0.5f,
                                     3.0f,
                                     -2.0f,
                                     1e9f,
                                     -1e9f,
                                     8388609.5f,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN()};
    if (random() % 8 == 0) u[random() % 4] = kSpecial[random() % std::size(kSpecial)];
    if (random() % 8 == 0) v[random() % 4] = kSpecial[random() % std::size(kSpecial)];
}

// Moves every lane to a texel centre of a level `size` texels across, where bilinear weights
// are 0 and the far texels need not be read.
void snapToCentres(float t[4], UINT size) {
    const float scale = static_cast<float>(size);
    for (int p = 0; p < 4; ++p) t[p] = (std::floor(t[p] * scale) + 0.5f) / scale;
}

// A quad of a screen that magnifies a level `width` x `height` texels `factor` times, at a
// random place reaching a little past the edges: its four lanes mostly read the same 2x2 texels.
void magnifiedQuad(std::mt19937& random, UINT width, UINT height, int factor, float u[4],
                   float v[4]) {
    const int screenWidth = static_cast<int>(width) * factor,
              screenHeight = static_cast<int>(height) * factor;
    const int x = 2 * static_cast<int>(random() % static_cast<unsigned>(screenWidth / 2 + 4)) - 4;
    const int y = 2 * static_cast<int>(random() % static_cast<unsigned>(screenHeight / 2 + 4)) - 4;
    for (int p = 0; p < 4; ++p) {
        u[p] = (static_cast<float>(x + (p & 1)) + 0.5f) / static_cast<float>(screenWidth);
        v[p] = (static_cast<float>(y + (p >> 1)) + 0.5f) / static_cast<float>(screenHeight);
    }
}

// Coordinates for `quads` quads, each of a kind of its own: random, on texel centres along
// one axis or both, or magnified (so that pairs of neighbouring quads take every path).
void mixedQuads(std::mt19937& random, UINT width, UINT height, int quads, float* u, float* v) {
    for (int q = 0; q < quads; ++q) {
        float* qu = u + 4 * q;
        float* qv = v + 4 * q;
        switch (random() % 5) {
        case 0:
            randomQuad(random, qu, qv);
            break;
        case 1:
            randomQuad(random, qu, qv);
            snapToCentres(qu, width);
            break;
        case 2:
            randomQuad(random, qu, qv);
            snapToCentres(qu, width);
            snapToCentres(qv, height);
            break;
        default:
            magnifiedQuad(random, width, height, 2 + static_cast<int>(random() % 3), qu, qv);
            break;
        }
    }
}

TEST(SamplerQuad, EveryLaneMatchesTheOnePixelSampler) {
    const SamplerCase cases[] = {
        {"point wrap", D3DFMT_A8R8G8B8, 16, 16, 1, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE,
         D3DTADDRESS_WRAP, D3DTADDRESS_WRAP},
        {"linear wrap", D3DFMT_A8R8G8B8, 32, 8, 1, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
         D3DTADDRESS_WRAP, D3DTADDRESS_WRAP},
        {"linear clamp opaque", D3DFMT_X8R8G8B8, 7, 5, 1, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
         D3DTEXF_NONE, D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP},
        {"linear border", D3DFMT_A8R8G8B8, 8, 8, 1, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
         D3DTADDRESS_BORDER, D3DTADDRESS_BORDER},
        {"linear border opaque", D3DFMT_X8R8G8B8, 8, 16, 1, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
         D3DTEXF_NONE, D3DTADDRESS_BORDER, D3DTADDRESS_WRAP},
        {"point border clamp", D3DFMT_X8R8G8B8, 4, 4, 1, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE,
         D3DTADDRESS_BORDER, D3DTADDRESS_CLAMP},
        {"one texel", D3DFMT_A8R8G8B8, 1, 1, 1, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE,
         D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP},
        {"decoded DXT1", D3DFMT_DXT1, 16, 16, 1, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTEXF_NONE,
         D3DTADDRESS_WRAP, D3DTADDRESS_WRAP},
        {"magnify linear, minify point", D3DFMT_A8R8G8B8, 16, 16, 1, D3DTEXF_LINEAR, D3DTEXF_POINT,
         D3DTEXF_NONE, D3DTADDRESS_CLAMP, D3DTADDRESS_WRAP},
        {"levels without mip filter", D3DFMT_A8R8G8B8, 32, 32, 6, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
         D3DTEXF_NONE, D3DTADDRESS_WRAP, D3DTADDRESS_WRAP, 2},
        {"point mip", D3DFMT_A8R8G8B8, 32, 16, 6, D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_POINT,
         D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP},
        {"trilinear", D3DFMT_X8R8G8B8, 64, 64, 7, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR,
         D3DTADDRESS_WRAP, D3DTADDRESS_WRAP},
        {"trilinear biased, first level 2", D3DFMT_A8R8G8B8, 64, 32, 7, D3DTEXF_LINEAR,
         D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_BORDER, D3DTADDRESS_CLAMP, 2, -1.5f},
    };
    std::mt19937 random(20261210);
    for (const SamplerCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RandomTexture texture(c.width, c.height, c.levels, c.format, random);
        const TextureSampler sampler(*texture, samplerStates(c));
        int mismatches = 0;
        // Batches of one to seven quads, sampled in one call, each quad at its own level of
        // detail.
        for (int trial = 0; trial < 700 && mismatches < 5; ++trial) {
            constexpr int kMostQuads = 7;
            const int quads = 1 + trial % kMostQuads;
            float u[4 * kMostQuads], v[4 * kMostQuads];
            const UINT first = std::min(c.maxMipLevel, c.levels - 1);
            mixedQuads(random, std::max(c.width >> first, 1u), std::max(c.height >> first, 1u),
                       quads, u, v);
            float rows[4][4 * kMostQuads];
            sampler.sampleQuads(u, v, static_cast<std::size_t>(quads),
                                LaneRows{{rows[0], rows[1], rows[2], rows[3]}});
            for (int lane = 0; lane < 4 * quads; ++lane) {
                const int quad = lane / 4 * 4;
                const float lod = sampler.levelOfDetail(u + quad, v + quad);
                const Colour one = sampler.sample(u[lane], v[lane], lod);
                const float expected[4] = {one.r, one.g, one.b, one.a};
                for (int k = 0; k < 4; ++k) {
                    if (bitsOf(rows[k][lane]) == bitsOf(expected[k])) continue;
                    ADD_FAILURE() << "lane " << lane << " channel " << k << " at (" << u[lane]
                                  << ", " << v[lane] << ") lod " << lod << ": " << rows[k][lane]
                                  << " instead of " << expected[k];
                    ++mismatches;
                }
            }
        }
    }
}

// The eight- and sixteen-lane builds against the four-lane one, where the processor runs them.
TEST(SamplerQuad, WideKernelsMatchSse2) {
    struct Build {
        const char* name;
        bool available;
        const LevelLaneKernels& (*kernels)();
    };
    const Build builds[] = {{"AVX2", __builtin_cpu_supports("avx2") != 0, avx2LevelLaneKernels},
                            {"AVX-512", hasAvx512(), avx512LevelLaneKernels}};
    int compared = 0;
    for (const Build& build : builds) {
        if (!build.available) continue;
        ++compared;
        std::mt19937 random(7);
        std::vector<std::uint32_t> texels(13 * 9);
        for (auto& t : texels) t = static_cast<std::uint32_t>(random());
        const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, D3DTADDRESS_BORDER};
        for (DWORD addressU : modes) {
            for (DWORD addressV : modes) {
                for (bool opaque : {false, true}) {
                    const LevelTexels level{texels.data(), 13,         9,     addressU,
                                            addressV,      0x11223344, opaque};
                    for (int trial = 0; trial < 700; ++trial) {
                        // Up to seven quads: groups of four, pairs and single quads after them.
                        constexpr int kMostQuads = 7;
                        const int quads = 1 + trial % kMostQuads;
                        float u[4 * kMostQuads], v[4 * kMostQuads];
                        // Every fourth batch all magnified, where whole groups share footprints.
                        if (trial % 4 == 0)
                            for (int q = 0; q < quads; ++q)
                                magnifiedQuad(random, 13, 9, 2 + trial % 3, u + 4 * q, v + 4 * q);
                        else
                            mixedQuads(random, 13, 9, quads, u, v);
                        for (bool linear : {false, true}) {
                            float sse2[4][4 * kMostQuads] = {}, wide[4][4 * kMostQuads] = {};
                            const LevelLaneKernels& narrow = sse2LevelLaneKernels();
                            const LevelLaneKernels& other = build.kernels();
                            (linear ? narrow.bilinear : narrow.point)(
                                level, u, v, quads, LaneRows{{sse2[0], sse2[1], sse2[2], sse2[3]}});
                            (linear ? other.bilinear : other.point)(
                                level, u, v, quads, LaneRows{{wide[0], wide[1], wide[2], wide[3]}});
                            ASSERT_EQ(std::memcmp(sse2, wide, sizeof sse2), 0)
                                << build.name << ", address " << addressU << "/" << addressV
                                << (linear ? " linear" : " point") << ", " << quads << " quads";
                        }
                    }
                }
            }
        }
    }
    if (compared == 0) GTEST_SKIP() << "neither AVX2 nor AVX-512 on this processor";
}
}  // namespace
}  // namespace tessera::test
