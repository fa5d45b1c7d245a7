// 10,000 quads of one 16 x 16 image at 640 x 480 on the software device (one tile thread, no
// depth buffer): through the sprite backend's deviceRender from the sprite library's batches,
// and through the device directly from prebuilt vertices in calls of 512 vertices. Both run in
// the same iteration; the counter time_ratio_backend_to_device is the figure to watch (target:
// 1.3 or below).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "bench/support/bench_device.h"
#include "engine/sprite/device_set.h"
#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DDevice.h"

using namespace platform::d3d9;

namespace {

constexpr uint32_t kWidth = 640, kHeight = 480;
constexpr uint32_t kQuads = 10000;
constexpr uint32_t kSide = 16;

class BackendScene {
public:
    BackendScene() {
        tessera::bench::createBenchDevice(device_, kWidth, kHeight);
        sprite2CreateDeviceSet(&table_, {&device_, kWidth, kHeight, 1});
        image_ = table_.imageCreate(table_.user, kSide, kSide);
        const float colour[4] = {1.0f, 0.5f, 0.25f, 0.75f};
        table_.imageFill(image_, 0, 0, kSide, kSide, colour);
        buildBatches();
        buildVertices();
    }
    ~BackendScene() {
        table_.imageRelease(image_);
        sprite2DestroyDeviceSet(&table_);
        tessera::bench::releaseBenchDevice(device_);
    }

    void drawThroughBackend() {
        scene([&] {
            table_.drawBegin(table_.user);
            table_.drawBatches(table_.user, batches_.data(),
                               static_cast<uint32_t>(batches_.size()));
        });
    }
    void drawDirectly() {
        IDirect3DDevice9* device = device_.device();
        scene([&] {
            for (size_t first = 0; first < vertices_.size(); first += kSprite2Vertices) {
                const auto count =
                    static_cast<UINT>(std::min<size_t>(kSprite2Vertices, vertices_.size() - first));
                device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, count, count / 2,
                                               indices_.data(), D3DFMT_INDEX16, &vertices_[first],
                                               sizeof(Sprite2Vertex));
            }
        });
    }

private:
    template <class Draw>
    void scene(Draw draw) {
        IDirect3DDevice9* device = device_.device();
        device->BeginScene();
        draw();
        device->EndScene();
    }
    // The quads as the sprite library hands them over: batches of 128 quads, blend code 1.
    void buildBatches() {
        batches_.resize((kQuads * 4 + kPelSpriteBatchVertices - 1) / kPelSpriteBatchVertices);
        for (uint32_t quad = 0; quad < kQuads; ++quad) {
            PEL_SPRITE_BATCH& batch = batches_[quad * 4 / kPelSpriteBatchVertices];
            batch.image = image_;
            batch.filter = 1;
            batch.blend = 1;
            const float x = static_cast<float>((quad * 37) % (kWidth - kSide));
            const float y = static_cast<float>((quad * 53) % (kHeight - kSide));
            const float corners[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
            for (const auto& corner : corners) {
                PEL_SPRITE_VERTEX& vertex = batch.vertices[batch.vertexCount++];
                vertex = {x + corner[0] * kSide,
                          y + corner[1] * kSide,
                          corner[0] * kSide,
                          corner[1] * kSide,
                          1.0f,
                          1.0f,
                          1.0f,
                          1.0f};
            }
        }
    }
    // The same quads as finished vertices, with the states the backend sets.
    void buildVertices() {
        table_.drawBegin(table_.user);
        table_.drawBatches(table_.user, batches_.data(), 1);
        for (const PEL_SPRITE_BATCH& batch : batches_) {
            for (uint32_t i = 0; i < batch.vertexCount; ++i) {
                const PEL_SPRITE_VERTEX& from = batch.vertices[i];
                Sprite2Vertex to{};
                to.x = from.x - 0.5f;
                to.y = from.y - 0.5f;
                to.z = 0.0f;
                to.rhw = 1.0f;
                to.colour = 0xFFFFFFFF;
                to.uv[0][0] = from.u / kSide;
                to.uv[0][1] = from.v / kSide;
                vertices_.push_back(to);
            }
        }
        for (uint16_t quad = 0; quad < kSprite2Vertices / 4; ++quad) {
            const auto n = static_cast<uint16_t>(quad * 4);
            indices_.insert(indices_.end(),
                            {n, static_cast<uint16_t>(n + 1), static_cast<uint16_t>(n + 2),
                             static_cast<uint16_t>(n + 2), static_cast<uint16_t>(n + 1),
                             static_cast<uint16_t>(n + 3)});
        }
    }

    L3DDevice device_;
    PEL_SPRITE_BACKEND table_{};
    PelSpriteBackendImage* image_ = nullptr;
    std::vector<PEL_SPRITE_BATCH> batches_;
    std::vector<Sprite2Vertex> vertices_;
    std::vector<uint16_t> indices_;
};

template <class Draw>
double secondsOf(Draw draw) {
    const auto start = std::chrono::steady_clock::now();
    draw();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_TenThousandQuads(benchmark::State& state) {
    BackendScene scene;
    double backend = 0.0, direct = 0.0;
    for (auto _ : state) {
        backend += secondsOf([&] { scene.drawThroughBackend(); });
        direct += secondsOf([&] { scene.drawDirectly(); });
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["backend_ms"] = backend / n * 1000.0;
    state.counters["device_ms"] = direct / n * 1000.0;
    state.counters["time_ratio_backend_to_device"] = backend / direct;
}
BENCHMARK(BM_TenThousandQuads)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
