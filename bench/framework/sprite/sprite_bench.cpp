// 10,000 sprites updated and batched per frame, every sprite moved so that every quad is
// rebuilt, into a backend that only counts vertices: flat, and as a 4-deep tree (10 x 10 x 10
// transform nodes over 10,000 drawn leaves). Each reports ns_per_sprite and ratio_to_plain_loop:
// its best frame time over the best time of a plain loop that transforms the same 10,000 quads
// (four corners by a 2D matrix, colour copied). Target: within 3.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "framework/core/core.h"
#include "framework/sprite/sprite.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSprites = 10000;

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

uint64_t gVertices = 0;
int gImage = 0;

PEL_SPRITE_BACKEND CountingBackend() {
    PEL_SPRITE_BACKEND backend{};
    backend.screenSize = [](uint32_t* width, uint32_t* height, void*) {
        *width = 640;
        *height = 480;
    };
    backend.drawBegin = [](void*) {};
    backend.drawEnd = [](void*) {};
    backend.drawBatches = [](void*, PEL_SPRITE_BATCH* batches, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) gVertices += batches[i].vertexCount;
    };
    backend.imageLoad = [](void*, uint32_t, const char16_t*) {
        return reinterpret_cast<PelSpriteBackendImage*>(&gImage);
    };
    backend.imageRelease = [](PelSpriteBackendImage*) {};
    backend.imageSize = [](uint32_t* width, uint32_t* height, PelSpriteBackendImage*) {
        *width = 256;
        *height = 256;
    };
    return backend;
}

struct Quad {
    float m[6];  // 2x2 and translation
    float corners[4][2];
    float uv[4][2];
    float rgba[4];
};

// The best time of the plain loop over 10,000 quads, over about a fifth of a second of runs.
double BestPlainLoop() {
    static const double best = [] {
        std::vector<Quad> quads(kSprites);
        for (int i = 0; i < kSprites; ++i) {
            const float f = float(i % 640);
            quads[i] = {{1, 0, 0, 1, f, f * 0.5f},
                        {{0, 0}, {0, 16}, {16, 0}, {16, 16}},
                        {{0, 0}, {0, 16}, {16, 0}, {16, 16}},
                        {1, 1, 1, 1}};
        }
        std::vector<PEL_SPRITE_VERTEX> out(size_t(kSprites) * 4);
        double total = 0, fastest = 1e9;
        for (int runs = 0; total < 0.2 || runs < 20; ++runs) {
            const double t = Seconds([&] {
                PEL_SPRITE_VERTEX* v = out.data();
                for (Quad& q : quads) {
                    q.m[4] += 1.0f;
                    for (int c = 0; c < 4; ++c, ++v) {
                        const float x = q.corners[c][0], y = q.corners[c][1];
                        *v = {x * q.m[0] + y * q.m[2] + q.m[4],
                              x * q.m[1] + y * q.m[3] + q.m[5],
                              q.uv[c][0],
                              q.uv[c][1],
                              q.rgba[0],
                              q.rgba[1],
                              q.rgba[2],
                              q.rgba[3]};
                    }
                }
                benchmark::DoNotOptimize(out.data());
            });
            total += t;
            fastest = std::min(fastest, t);
        }
        return fastest;
    }();
    return best;
}

struct Scene {
    PEL_SPRITE_BACKEND backend = CountingBackend();
    PEL_SPRITE_CONTEXT* context = nullptr;
    PEL_SPRITE_RENDERER* renderer = nullptr;
    PEL_SPRITE_RECT* rect = nullptr;
    std::vector<PEL_SPRITE*> moved;  // the sprites each frame moves

    Scene() {
        pelInitialize();
        pelSpriteInitialize();
        context = pelSpriteCreateContext(&backend);
        renderer = pelSpriteRendererCreate(context, 640, 480, 1);
        rect = pelSpriteRectCreate(pelSpriteImageLoad(u"bench.png", context),
                                   {renderer, 0, 0, 16, 16, 8, 8});
    }
    ~Scene() { pelSpriteDestroyContext(context); }

    PEL_SPRITE* add(PEL_SPRITE* parent, bool drawn, float x) {
        PEL_SPRITE* sprite = pelSpriteCreate(renderer);
        if (drawn) pelSpriteSetRect(sprite, rect);
        sprite->x = x;
        sprite->y = x * 0.5f;
        if (parent) pelSpriteSetParent(sprite, parent);
        return sprite;
    }

    void frame() {
        for (PEL_SPRITE* sprite : moved) {
            sprite->x += 1.0f;
            sprite->flags |= PEL_SPRITE_DIRTY;
        }
        pelSpriteRendererUpdate(renderer);
        pelSpriteRendererDraw(renderer);
    }
};

void Measure(benchmark::State& state, Scene& scene) {
    const double plain = BestPlainLoop();
    double best = 1e9;
    gVertices = 0;
    for (auto _ : state) {
        const double t = Seconds([&] { scene.frame(); });
        best = std::min(best, t);
        state.SetIterationTime(t);
    }
    if (gVertices != uint64_t(state.iterations()) * kSprites * 4) {
        state.SkipWithError("not every quad was drawn");
    }
    state.counters["ns_per_sprite"] = best * 1e9 / kSprites;
    state.counters["plain_ns_per_sprite"] = plain * 1e9 / kSprites;
    state.counters["ratio_to_plain_loop"] = best / plain;
}

void FlatSprites(benchmark::State& state) {
    Scene scene;
    for (int i = 0; i < kSprites; ++i)
        scene.moved.push_back(scene.add(nullptr, true, float(i % 640)));
    Measure(state, scene);
}

void TreeOfSprites(benchmark::State& state) {
    Scene scene;
    for (int a = 0; a < 10; ++a) {
        PEL_SPRITE* root = scene.add(nullptr, false, float(a * 60));
        scene.moved.push_back(root);
        for (int b = 0; b < 10; ++b) {
            PEL_SPRITE* second = scene.add(root, false, float(b));
            for (int c = 0; c < 10; ++c) {
                PEL_SPRITE* third = scene.add(second, false, float(c));
                for (int d = 0; d < 10; ++d) scene.add(third, true, float(d));
            }
        }
    }
    Measure(state, scene);
}

BENCHMARK(FlatSprites)->UseManualTime();
BENCHMARK(TreeOfSprites)->UseManualTime();

}  // namespace
