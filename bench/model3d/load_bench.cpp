// Loads a version 16 model of 20,000 vertices and 40 bones from a "DMF " archive member, and
// reads the same member's bytes alone (unscrambled by the field reader in one call); reports
// the ratio of their times.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "foundation/pack/DMFile.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "tests/foundation/support/memory_stream.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/model_file_writer.h"

namespace {

constexpr uint32_t kVertices = 20000;
constexpr uint32_t kBones = 40;

// One part: a mesh of 20,000 corners (each its own position), a chain of 40 bones with a
// weight map each over 500 corners, and the run-time mesh of the same vertices.
std::string modelBytes() {
    using namespace tools::writers;
    ModelPart part;
    ModelMesh& mesh = part.meshes[0];
    mesh.corners.clear();
    mesh.positions.clear();
    mesh.indices.clear();
    ModelRuntimeMesh& runtime = part.runtimes[0];
    runtime.vertices.clear();
    runtime.indices.clear();
    for (uint32_t i = 0; i < kVertices; ++i) {
        const float x = static_cast<float>(i % 200);
        const float y = static_cast<float>(i / 200);
        mesh.corners.push_back({i, 0, 0, 0});
        mesh.positions.push_back({x, y, 0.0f});
        ModelVertex vertex;
        vertex.position = {x, y, 0.0f};
        vertex.bones = {static_cast<uint8_t>(1 + i * kBones / kVertices), 0, 0, 0};
        runtime.vertices.push_back(vertex);
    }
    for (uint32_t i = 0; i + 2 < kVertices; i += 3) {
        mesh.indices.insert(mesh.indices.end(), {i, i + 1, i + 2});
        runtime.indices.insert(
            runtime.indices.end(),
            {static_cast<uint16_t>(i), static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i + 2)});
    }
    mesh.primitiveCount = static_cast<uint32_t>(mesh.indices.size() / 3);
    runtime.primitiveCount = mesh.primitiveCount;
    runtime.maxBlend = 1;
    ModelBone* parent = nullptr;
    for (uint32_t k = 0; k < kBones; ++k) {
        const std::string number = std::to_string(k);
        const std::string map = std::string("w").append(number);
        ModelVertexMap weights{map, {}};
        for (uint32_t i = k * (kVertices / kBones); i < (k + 1) * (kVertices / kBones); ++i)
            weights.entries.push_back({0, i, {1.0f}});
        part.weightMaps.push_back(weights);
        runtime.usedBones.push_back(k + 1);
        ModelBone bone{std::string("bone").append(number), map, {}, {}, 0, {}};
        if (parent) {
            parent->children.push_back(bone);
            parent = &parent->children.back();
        } else {
            part.bones.push_back(bone);
            parent = &part.bones.back();
        }
    }
    ModelFile model;
    model.parts = {part};
    return writeDmf({{"model.dgo", writeModelFile(model)}});
}

void openMember(const std::string& archive, mirel::DFile& member) {
    mirel::DFile file;
    tessera::test::attachMemory(file, archive, "models.dmf");
    mirel::DMFile dmf;
    dmf.Open(file);
    dmf.OpenData(member, "model.dgo");
}

double loadModel(const std::string& archive) {
    const auto start = std::chrono::steady_clock::now();
    mirel::DFile member;
    openMember(archive, member);
    L3DObjectData data;
    data.Load(member);
    benchmark::DoNotOptimize(data.parts.Count());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double readBytes(const std::string& archive) {
    const auto start = std::chrono::steady_clock::now();
    mirel::DFile member;
    openMember(archive, member);
    std::string bytes(static_cast<size_t>(member.Size()), '\0');
    lfmReadBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), member);
    benchmark::DoNotOptimize(bytes.data());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_LoadModel20kVertices40Bones(benchmark::State& state) {
    const std::string archive = modelBytes();
    double load = 0.0, read = 0.0;
    for (auto _ : state) {
        load += loadModel(archive);
        read += readBytes(archive);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = 1000.0 * load / n;
    state.counters["read_ms"] = 1000.0 * read / n;
    state.counters["time_ratio_load_to_read"] = load / read;
    state.counters["file_bytes"] = static_cast<double>(archive.size());
}
BENCHMARK(BM_LoadModel20kVertices40Bones)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
