// The run-time meshes of parts from files of version 1 and older, compiled from the source
// meshes and the weight maps when the first instance of the part is made; and the pivot those
// files do not store.
#include <algorithm>
#include <vector>

#include "foundation/DSjisText.h"
#include "model3d/L3DPartData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

constexpr float MinWeight = 0.001f;
constexpr uint32_t MaxBlend = 4;
constexpr uint32_t MaxBonesPerMesh = 255;
constexpr uint32_t MaxIndex16 = 0xFFFF;

struct CompileMarks {
    bool tooManyBlends = false;
    bool tooManyBones = false;
    bool indexCut = false;
};

void SetBoneByte(L3D_RENDERER_VERTEX& vertex, uint32_t slot, uint32_t value) {
    const uint32_t shift = 8 * slot;
    vertex.boneIndices = (vertex.boneIndices & ~(0xFFu << shift)) | ((value & 0xFF) << shift);
}

uint32_t BoneByte(const L3D_RENDERER_VERTEX& vertex, uint32_t slot) {
    return (vertex.boneIndices >> (8 * slot)) & 0xFF;
}

// Weights sum to 1 over the used slots; a vertex without weights has weight 1 in slot 0.
void Normalise(L3D_RENDERER_VERTEX& vertex) {
    if (BoneByte(vertex, 0) == 0) {
        vertex.weights[0] = 1.0f;
        return;
    }
    uint32_t used = 0;
    float sum = 0.0f;
    while (used < MaxBlend && BoneByte(vertex, used) != 0) sum += vertex.weights[used++];
    for (uint32_t slot = 0; slot < used; ++slot) vertex.weights[slot] /= sum;
}

// The source corner's tables looked up into a vertex without weights.
L3D_RENDERER_VERTEX BaseVertex(const L3DPartData& part, const L3D_PARTDATA_MESH& mesh,
                               const L3D_PARTDATA_CORNER& corner) {
    L3D_RENDERER_VERTEX vertex{};
    const float* position = &mesh.positions[3 * corner.position];
    const float* normal = &mesh.normals[3 * corner.normal];
    vertex.x = position[0];
    vertex.y = position[1];
    vertex.z = position[2];
    vertex.nx = normal[0];
    vertex.ny = normal[1];
    vertex.nz = normal[2];
    vertex.color = part.colours[corner.colour];
    vertex.u = part.uvs[2 * corner.uv];
    vertex.v = part.uvs[2 * corner.uv + 1];
    return vertex;
}

void CompileMesh(const L3DPartData& part, uint32_t meshIndex, L3D_PARTDATA_RUNTIME& runtime,
                 CompileMarks& marks) {
    const L3D_PARTDATA_MESH& mesh = part.meshes[meshIndex];
    runtime.sourceMesh = &mesh;
    runtime.vertexCount = mesh.cornerCount;
    runtime.vertices.Allocate(mesh.cornerCount);
    runtime.maxBlendCount = 0;
    std::vector<uint32_t> usedBones;

    // The weight map of every bone, looked up once.
    std::vector<rcptr<L3D_PARTDATA_VERTEXMAP>> maps(part.flatBoneCount);
    for (uint32_t k = 0; k < part.flatBoneCount; ++k)
        maps[k] = part.GetBoneWeightMap(*part.flatBones[k]);

    for (uint32_t j = 0; j < mesh.cornerCount; ++j) {
        L3D_RENDERER_VERTEX& vertex = runtime.vertices[j];
        vertex = BaseVertex(part, mesh, mesh.corners[j]);
        uint32_t blend = 0;
        for (uint32_t k = 0; k < part.flatBoneCount; ++k) {
            if (!maps[k]) continue;
            const L3D_PARTDATA_VERTEXMAP& map = *maps[k];
            uint32_t slotByte = 0;  // 1 + the bone's place in the used-bone list, once found
            for (uint32_t e = 0; e < map.entryCount; ++e) {
                const L3D_PARTDATA_VERTEXMAP_ENTRY& entry = map.entries[e];
                const float weight = entry.values[0];
                if (entry.mesh != meshIndex || entry.corner != j || !(weight > MinWeight)) continue;
                if (++blend > MaxBlend) {
                    blend = MaxBlend;
                    marks.tooManyBlends = true;
                }
                if (slotByte == 0) {
                    const auto found = std::find(usedBones.begin(), usedBones.end(), k + 1);
                    slotByte = static_cast<uint32_t>(found - usedBones.begin()) + 1;
                    if (found == usedBones.end()) usedBones.push_back(k + 1);
                }
                vertex.weights[blend - 1] = weight;
                SetBoneByte(vertex, blend - 1, slotByte);
            }
        }
        runtime.maxBlendCount = std::max(runtime.maxBlendCount, blend);
        Normalise(vertex);
    }
    if (usedBones.size() > MaxBonesPerMesh) marks.tooManyBones = true;

    runtime.vertices3.Reset();
    if (mesh.extraUvs && mesh.cornerCount > 0) {
        runtime.vertices3.Allocate(mesh.cornerCount);
        for (uint32_t j = 0; j < mesh.cornerCount; ++j) {
            const L3D_PARTDATA_EXTRAUV& extra = mesh.extraUvs[j];
            L3D_RENDERER_VERTEX3& vertex3 = runtime.vertices3[j];
            vertex3.base = runtime.vertices[j];
            vertex3.u2 = part.uvs[2 * extra.second];
            vertex3.v2 = part.uvs[2 * extra.second + 1];
            vertex3.u3 = part.uvs[2 * extra.third];
            vertex3.v3 = part.uvs[2 * extra.third + 1];
        }
    }

    runtime.primitiveType = mesh.primitiveType;
    runtime.primitiveCount = mesh.primitiveCount;
    runtime.indexByteCount = 2 * mesh.indexCount;
    runtime.indices.Allocate(mesh.indexCount);
    for (uint32_t i = 0; i < mesh.indexCount; ++i) {
        if (mesh.indices[i] > MaxIndex16) marks.indexCut = true;
        runtime.indices[i] = static_cast<uint16_t>(mesh.indices[i] & MaxIndex16);
    }
    runtime.usedBoneCount = static_cast<uint32_t>(usedBones.size());
    runtime.usedBones.Allocate(usedBones.size());
    std::copy(usedBones.begin(), usedBones.end(), runtime.usedBones.Get());
}

}  // namespace

void L3DPartData::CompileRuntime() {
    _BuildFlatBones();
    runtimeCount = meshCount;
    runtimes.Allocate(meshCount);
    CompileMarks marks;
    uint32_t maxBlend = 0;
    uint32_t maxBone = 0;
    for (uint32_t i = 0; i < meshCount; ++i) {
        CompileMesh(*this, i, runtimes[i], marks);
        maxBlend = std::max(maxBlend, runtimes[i].maxBlendCount);
        maxBone = std::max(maxBone, runtimes[i].usedBoneCount);
    }
    if (marks.tooManyBlends)
        l3dWarning(DSjis<"[L3DPartData::CompileRuntime] 最大頂点ブレンド数が多すぎます">());
    if (marks.tooManyBones)
        l3dWarning(DSjis<"[L3DPartData::CompileRuntime] 最大ボーン数が多すぎます">());
    // 16-bit indices cannot address the corners past 65535: those triangles draw wrongly.
    if (marks.indexCut)
        l3dWarning("[L3DPartData::CompileRuntime] Part \"%s\": index past 65535 cut to 16 bits",
                   name.Text());
    l3dLog(2, "[L3DPartData::CompileRuntime] Part \"%s\": MaxBlend(%d), MaxBone(%d)", name.Text(),
           static_cast<int>(maxBlend), static_cast<int>(maxBone));
}

void L3DPartData::CalcMatPivot(const L3D_PARTDATA_MESH& mesh, float (&pivot)[3]) {
    if (mesh.primitiveType != 4)
        l3dError(DSjis<"[L3DPartData::CalcMatPivot] この形式に対応していない">());
    if (mesh.positionCount == 0) {
        pivot[0] = pivot[1] = pivot[2] = 0.0f;
        return;
    }
    for (int axis = 0; axis < 3; ++axis) {
        float low = mesh.positions[axis];
        float high = low;
        for (uint32_t i = 1; i < mesh.positionCount; ++i) {
            const float value = mesh.positions[3 * i + axis];
            low = std::min(low, value);
            high = std::max(high, value);
        }
        pivot[axis] = (low + high) * 0.5f;
    }
}
