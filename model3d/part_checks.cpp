#include "model3d/part_checks.h"

using namespace mirel;

namespace {

// The indices a draw of `count` primitives of the type reads; false for an unknown type.
bool IndicesNeeded(uint32_t type, uint32_t count, uint64_t& needed) {
    const uint64_t n = count;
    switch (type) {
    case 1:  // point list
        needed = n;
        return true;
    case 2:  // line list
        needed = 2 * n;
        return true;
    case 3:  // line strip
        needed = n == 0 ? 0 : n + 1;
        return true;
    case 4:  // triangle list
        needed = 3 * n;
        return true;
    case 5:  // triangle strip
    case 6:  // triangle fan
        needed = n == 0 ? 0 : n + 2;
        return true;
    default:
        return false;
    }
}

void CheckPrimitives(DFile& file, uint32_t type, uint32_t count, uint32_t indexCount) {
    uint64_t needed = 0;
    if (!IndicesNeeded(type, count, needed) || needed > indexCount) l3dModelReadFailed(file);
}

void CheckBoneBytes(DFile& file, uint32_t boneBytes, uint32_t usedBoneCount) {
    for (int slot = 0; slot < 4; ++slot)
        if (((boneBytes >> (8 * slot)) & 0xFF) > usedBoneCount) l3dModelReadFailed(file);
}

}  // namespace

void l3dCheckSourceMesh(DFile& file, const L3DPartData& part, const L3D_PARTDATA_MESH& mesh) {
    for (uint32_t i = 0; i < mesh.indexCount; ++i)
        if (mesh.indices[i] >= mesh.cornerCount) l3dModelReadFailed(file);
    for (uint32_t i = 0; i < mesh.cornerCount; ++i) {
        const L3D_PARTDATA_CORNER& corner = mesh.corners[i];
        if (corner.position >= mesh.positionCount || corner.normal >= mesh.normalCount ||
            corner.colour >= part.colourCount || corner.uv >= part.uvCount)
            l3dModelReadFailed(file);
        if (mesh.extraUvs &&
            (mesh.extraUvs[i].second >= part.uvCount || mesh.extraUvs[i].third >= part.uvCount))
            l3dModelReadFailed(file);
    }
    // Another type fails in the pivot's computation of older files, with its own message.
    if (mesh.primitiveType == 4) CheckPrimitives(file, 4, mesh.primitiveCount, mesh.indexCount);
}

void l3dCheckVertexMap(DFile& file, const L3DPartData& part, const L3D_PARTDATA_VERTEXMAP& map) {
    for (uint32_t i = 0; i < map.entryCount; ++i) {
        const L3D_PARTDATA_VERTEXMAP_ENTRY& entry = map.entries[i];
        if (entry.mesh >= part.meshCount || entry.corner >= part.meshes[entry.mesh].cornerCount)
            l3dModelReadFailed(file);
    }
}

void l3dCheckRuntimeMesh(DFile& file, const L3DPartData& part,
                         const L3D_PARTDATA_RUNTIME& runtime) {
    if (runtime.vertexCount != runtime.sourceMesh->cornerCount) l3dModelReadFailed(file);
    const uint32_t indexCount = runtime.indexByteCount / 2;
    for (uint32_t i = 0; i < indexCount; ++i)
        if (runtime.indices[i] >= runtime.vertexCount) l3dModelReadFailed(file);
    CheckPrimitives(file, runtime.primitiveType, runtime.primitiveCount, indexCount);
    for (uint32_t i = 0; i < runtime.vertexCount; ++i) {
        CheckBoneBytes(file, runtime.vertices[i].boneIndices, runtime.usedBoneCount);
        if (runtime.vertices3)
            CheckBoneBytes(file, runtime.vertices3[i].base.boneIndices, runtime.usedBoneCount);
    }
    for (uint32_t i = 0; i < runtime.usedBoneCount; ++i)
        if (runtime.usedBones[i] == 0 || runtime.usedBones[i] > part.flatBoneCount)
            l3dModelReadFailed(file);
}
