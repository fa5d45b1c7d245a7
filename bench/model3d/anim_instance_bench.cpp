// Part instances animated: 100 instances of a chain of 30 bones with curved and linear keys,
// stepped and evaluated for 1,000 frames, against a plain loop that interpolates the same keys
// linearly (positions) with a normalised quaternion lerp (rotations) and chains the same
// matrices. Also checks the determinism constant of the sphere hash in this build.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "model3d/L3DPartInstance.h"
#include "render3d/LQuat.h"
#include "tests/model3d/support/anim_models.h"
#include "tools/instance_rig/instance_rig.h"

namespace {

constexpr uint32_t kInstances = 100;
constexpr uint32_t kBones = 30;
constexpr uint32_t kFrames = 1000;

double animateInstances(const tools::writers::ModelFile& file) {
    const mirel::rcptr<L3DObjectData> model = tessera::test::loadModel(file);
    std::vector<mirel::rcptr<L3DObjectInstance>> instances;
    for (uint32_t i = 0; i < kInstances; ++i) {
        instances.push_back(tools::rig::makeInstance(model, {}));
        tools::rig::play(*instances.back(), "loop");
    }
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t frame = 0; frame < kFrames; ++frame)
        for (auto& instance : instances) tools::rig::forward(*instance);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (auto& instance : instances) {
        auto part = instance->parts._GetFirstRef();
        benchmark::DoNotOptimize(part->draw.matrices[kBones].m[3][0]);
    }
    return seconds;
}

struct PlainKey {
    uint32_t frame;
    float position[3];
    LQuat rotation;
};

// The same keys walked by a plain loop: lerp, nlerp (short way), matrix, parent product.
double plainLoop(const tools::writers::ModelFile& file) {
    std::vector<std::vector<PlainKey>> bones;
    for (const auto& motion : file.anims[0].motions) {
        if (motion.bone == 0) continue;
        std::vector<PlainKey> keys;
        for (const auto& k : motion.keys)
            keys.push_back({k.frame,
                            {k.translation[0], k.translation[1], k.translation[2]},
                            {k.rotation[0], k.rotation[1], k.rotation[2], k.rotation[3]}});
        bones.push_back(keys);
    }
    const uint32_t end = file.anims[0].endFrame;
    std::vector<LMat> palettes(kInstances * (kBones + 1), LMat::Identity());
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t frame = 0; frame < kFrames; ++frame) {
        const uint32_t at = frame % end;
        for (uint32_t i = 0; i < kInstances; ++i) {
            LMat* palette = &palettes[i * (kBones + 1)];
            for (uint32_t b = 0; b < kBones; ++b) {
                const std::vector<PlainKey>& keys = bones[b];
                size_t k = 0;
                while (k + 2 < keys.size() && keys[k + 1].frame <= at) ++k;
                const PlainKey& a = keys[k];
                const PlainKey& c = keys[k + 1];
                const float t =
                    static_cast<float>(at - a.frame) / static_cast<float>(c.frame - a.frame);
                LQuat q1 = c.rotation;
                const float dot = a.rotation.x * q1.x + a.rotation.y * q1.y + a.rotation.z * q1.z +
                                  a.rotation.w * q1.w;
                if (dot < 0) q1 = {-q1.x, -q1.y, -q1.z, -q1.w};
                LQuat q{a.rotation.x + (q1.x - a.rotation.x) * t,
                        a.rotation.y + (q1.y - a.rotation.y) * t,
                        a.rotation.z + (q1.z - a.rotation.z) * t,
                        a.rotation.w + (q1.w - a.rotation.w) * t};
                const float n = 1.0f / std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
                q = {q.x * n, q.y * n, q.z * n, q.w * n};
                LMat local;
                LQuat::ToMatrix(q, local);
                for (int j = 0; j < 3; ++j)
                    local.m[3][j] = a.position[j] + (c.position[j] - a.position[j]) * t;
                LMat::Multiply(local, palette[b], palette[b + 1]);
            }
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    benchmark::DoNotOptimize(palettes[kBones].m[3][0]);
    return seconds;
}

void BM_AnimInstances100x30Bones1000Frames(benchmark::State& state) {
    const tools::writers::ModelFile file = tessera::test::chainModel(kBones);
    double instances = 0.0, plain = 0.0;
    for (auto _ : state) {
        instances += animateInstances(file);
        plain += plainLoop(file);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["instances_ms"] = 1000.0 * instances / n;
    state.counters["plain_ms"] = 1000.0 * plain / n;
    state.counters["time_ratio_instances_to_plain"] = instances / plain;
}
BENCHMARK(BM_AnimInstances100x30Bones1000Frames)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Not a timing: the determinism constant must hold in this (release) build too.
void BM_SphereHashDeterminism(benchmark::State& state) {
    uint64_t hash = 0;
    for (auto _ : state) hash = tessera::test::dancerSphereHash(1000);
    const bool matches = hash == tessera::test::kDancerSphereHash1000;
    std::printf("sphere hash of 1,000 frames: 0x%016llx (%s)\n",
                static_cast<unsigned long long>(hash), matches ? "matches" : "DIFFERS");
    state.counters["hash_matches"] = matches ? 1.0 : 0.0;
    if (!matches) state.SkipWithError("the sphere hash differs from the determinism constant");
}
BENCHMARK(BM_SphereHashDeterminism)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
