// 500 playing instances of an 8-part effect (a camera-facing disc with seven spinning quads
// around it), stepped by the effect task and drawn in immediate batches each frame into the
// software device at 640 x 480, against a plain loop that places the same number of quads
// (scale, rotation and translation of four corners, a colour packed) and draws them in one
// call per 65535 vertices with the same states. The ratio of the two is reported as a counter
// (target: within 3x).
#include <benchmark/benchmark.h>

#include <cmath>
#include <optional>
#include <vector>

#include "bench/support/bench_device.h"
#include "bench/support/time_against.h"
#include "effects/L3DEffectDraw.h"
#include "effects/L3DEffectManager.h"
#include "foundation/DApplication.h"
#include "foundation/DFile.h"
#include "foundation/pack/pack_registry.h"
#include "platform/d3d9/d3d9_enums.h"
#include "platform/os/module_path.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LQuat.h"
#include "tests/render3d/support/matrices.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/effect_writers.h"
#include "tools/writers/png_writer.h"

namespace {

using namespace tools::writers;

constexpr uint32_t kInstances = 500;
constexpr uint32_t kChildren = 7;
constexpr uint32_t kQuads = kInstances * (kChildren + 1);
constexpr uint32_t kMaxBatchVertices = 65535 / 4 * 4;
constexpr float kPi = 3.14159265f;

EffectEvent event(int32_t time, uint32_t kind, std::vector<float> values) {
    EffectEvent e;
    e.time = time;
    e.kind = kind;
    for (size_t i = 0; i < values.size(); ++i) e.words[i] = effectFloatWord(values[i]);
    return e;
}

EffectEvent integers(int32_t time, uint32_t kind, std::vector<int32_t> values) {
    EffectEvent e;
    e.time = time;
    e.kind = kind;
    for (size_t i = 0; i < values.size(); ++i) e.words[i] = static_cast<uint32_t>(values[i]);
    return e;
}

// The root part: a camera-facing disc that spawns seven quads in a ring, each turning about
// its own axis and fading. Nothing ends within a run.
EffectData ringEffect() {
    constexpr int32_t kEnd = 1 << 30;
    EffectRoot root;
    root.rootPart.events = {integers(0, 3, {0, -4, 0}), event(0, 18, {0.06f, 0.06f, 0.06f}),
                            event(0, 24, {0, 0, 1, 2.0f})};
    for (uint32_t c = 0; c < kChildren; ++c) {
        root.rootPart.events.push_back(integers(0, 2, {static_cast<int32_t>(c)}));
        const float a = 2.0f * kPi * static_cast<float>(c) / kChildren;
        EffectPart part;
        part.events = {integers(0, 3, {0, -1, 1}),
                       event(0, 13, {0.12f * std::cos(a), 0.12f * std::sin(a), 0.0f}),
                       event(0, 18, {0.06f, 0.06f, 0.06f}),
                       event(0, 24, {std::cos(a), std::sin(a), 1.0f, 5.0f}),
                       event(0, 9, {0.0f, -0.001f, -0.002f, 0.0f}),
                       integers(kEnd, 0, {})};
        root.parts.push_back(part);
    }
    root.rootPart.events.push_back(integers(kEnd, 0, {}));
    EffectData data;
    data.roots.push_back(root);
    return data;
}

EffectDefinition discDefinition() {
    EffectDefinition definition;
    definition.imageOptions = {0};
    EffectImageDef def;
    def.blend = 1;
    definition.imageDefs.push_back(def);
    return definition;
}

// Where instance i plays: a grid of 25 x 20 across the view at depth 2.
void instancePosition(uint32_t i, float out[3]) {
    out[0] = -1.8f + 3.6f * static_cast<float>(i % 25) / 24.0f;
    out[1] = -1.3f + 2.6f * static_cast<float>(i / 25) / 19.0f;
    out[2] = 2.0f;
}

// One quad of the plain loop: where it is, how it turns and its colour.
struct PlainQuad {
    float position[3];
    float scale;
    float angle;
    float spin;
    float colour[4];
};

class Scene {
public:
    Scene() {
        platform::os::overrideModuleFileName(dir_.file("tessera"));
        application_.Init(nullptr, 10);
        mirel::DApplication::SetCurrent(&application_);
        const uint32_t pack = lfmRegistPack("");
        writeFiles();

        tessera::bench::createBenchDevice(device_, 640, 480);
        mirel::DFile archive;
        archive.Open(TESSERA_RENDERER_CSA, mirel::DFile::OpenRead);
        renderer_.Create(mirel::rcptr<L3DDevice>::NonOwning(&device_), {}, archive);
        renderer_.SetViewProjection(LMat::Identity(), tessera::test::perspective43());

        L3DEffectManager& effects = *renderer_.effectManager;
        effects.SetProp(pack, "effect/effdef");
        const L3D_EFFECT_DATA* data =
            effects.LoadData(renderer_.names.AddNnid("effect/ring"), pack, "effect/ring");
        const float rotation[4] = {0, 0, 0, 1}, scale[3] = {1, 1, 1};
        for (uint32_t i = 0; i < kInstances; ++i) {
            float position[3];
            instancePosition(i, position);
            effects.PlayAt(nullptr, nullptr, data, 0, 0xFFFFFFFF, position, rotation, scale);
        }

        for (uint32_t q = 0; q < kQuads; ++q) {
            PlainQuad quad{};
            instancePosition(q / (kChildren + 1), quad.position);
            quad.position[0] += 0.01f * static_cast<float>(q % (kChildren + 1));
            quad.scale = 0.06f;
            quad.spin = 0.05f;
            quad.colour[0] = quad.colour[1] = quad.colour[2] = quad.colour[3] = 1.0f;
            plain_.push_back(quad);
        }
        plainVertices_.resize(4 * kQuads);
        for (uint32_t q = 0; q < kMaxBatchVertices / 4; ++q)
            for (uint32_t k : {0u, 1u, 2u, 2u, 1u, 3u})
                plainIndices_.push_back(static_cast<uint16_t>(4 * q + k));
        plainKey_ = &effects.images[0].keys[1];
    }
    ~Scene() {
        renderer_.Release();
        tessera::bench::releaseBenchDevice(device_);
        lfmReleasePacks();
        mirel::DApplication::SetCurrent(nullptr);
        platform::os::overrideModuleFileName(std::nullopt);
    }

    // Quads the effects' last batch held: every part of every instance when they share a key.
    uint32_t effectQuads() const {
        return static_cast<uint32_t>(renderer_.effectManager->batchVertices.Count()) / 4;
    }

    void effectFrame() {
        device_.device()->BeginScene();
        renderer_.effectManager->Task();
        renderer_.effectManager->Draw(0);
        device_.device()->EndScene();
    }

    // The same number of quads, each placed by its scale, turn and position and coloured, then
    // drawn with the effect batch's states.
    void plainFrame() {
        device_.device()->BeginScene();
        const LMat& view = renderer_.view;
        constexpr float kCornerX[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
        constexpr float kCornerY[4] = {0.5f, -0.5f, 0.5f, -0.5f};
        for (uint32_t q = 0; q < kQuads; ++q) {
            PlainQuad& quad = plain_[q];
            quad.angle += quad.spin;
            LMat m;
            LMat::Scaling(m, quad.scale, quad.scale, quad.scale);
            LMat turn;
            LQuat::ToMatrix({0, 0, std::sin(quad.angle / 2), std::cos(quad.angle / 2)}, turn);
            LMat::Multiply(m, turn, m);
            m.m[3][0] = quad.position[0];
            m.m[3][1] = quad.position[1];
            m.m[3][2] = quad.position[2];
            LMat::Multiply(m, view, m);
            const uint32_t colour = l3dEffectPackColour(quad.colour);
            for (uint32_t k = 0; k < 4; ++k) {
                LVec p;
                LMat::TransformCoord({kCornerX[k], kCornerY[k], 0}, m, p);
                L3D_RENDERER_VERTEX& v = plainVertices_[4 * q + k];
                v = {};
                v.x = p.x;
                v.y = p.y;
                v.z = p.z;
                v.color = colour;
                v.u = kCornerX[k] + 0.5f;
                v.v = 0.5f - kCornerY[k];
            }
        }
        for (uint32_t first = 0; first < 4 * kQuads; first += kMaxBatchVertices) {
            const uint32_t count = std::min(kMaxBatchVertices, 4 * kQuads - first);
            L3DEffectManager::_DrawBatch(&renderer_, plainVertices_.data() + first, count,
                                         plainIndices_.data(), count / 4 * 6,
                                         const_cast<L3D_EFFECT_IMAGEKEY*>(plainKey_));
        }
        device_.device()->EndScene();
    }

private:
    void writeFiles() {
        dir_.write("effect/effdef.dat", effectDefinitionFile(discDefinition()));
        dir_.write("effect/ring.dat", effectDataFile(ringEffect()));
        std::vector<uint32_t> disc;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const float dx = (static_cast<float>(x) - 7.5f) / 7.5f;
                const float dy = (static_cast<float>(y) - 7.5f) / 7.5f;
                const float a = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                disc.push_back(0xFF000000u | static_cast<uint32_t>(a * 255.0f) * 0x010101u);
            }
        writePng(dir_.file("effect/effdef0.png"), 16, 16, std::vector<uint32_t>(256, 0xFFFFC080));
        writePng(dir_.file("effect/effdef0_a.png"), 16, 16, disc);
    }

    tessera::test::TempDir dir_;
    mirel::DApplication application_;
    L3DDevice device_;
    L3DRenderer renderer_;
    std::vector<PlainQuad> plain_;
    std::vector<L3D_RENDERER_VERTEX> plainVertices_;
    std::vector<uint16_t> plainIndices_;
    const L3D_EFFECT_IMAGEKEY* plainKey_ = nullptr;
};

void EffectsAgainstPlainQuads(benchmark::State& state) {
    Scene scene;
    tessera::bench::timeAgainst(
        state, [&] { scene.effectFrame(); }, [&] { scene.plainFrame(); }, "plain_us");
    state.counters["quads"] = benchmark::Counter(scene.effectQuads());
}
BENCHMARK(EffectsAgainstPlainQuads)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
