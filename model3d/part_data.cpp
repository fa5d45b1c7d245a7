// Reading a part record: tables, source meshes, vertex maps, the bone tree, shader options
// and the run-time meshes of files of version 2 and later. Every index the drawing or the
// compilation follows is checked here against its table.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DPartData.h"
#include "model3d/part_checks.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// Deeper bone trees than this are refused as bad input (the readers recurse per level).
constexpr uint32_t MaxBoneDepth = 256;

template <class T>
void ReadTable(DFile& file, uint32_t count, uint32_t elementBytes, rcptr<T>& table,
               uint32_t elementsPerRecord = 1) {
    l3dCheckModelCount(file, count, elementBytes);
    table.Allocate(size_t{count} * elementsPerRecord);
    if (count > 0) lfmReadBytes(table.Get(), count * elementBytes, file);
}

void ReadMesh(DFile& file, uint32_t version, const L3DPartData& part, L3D_PARTDATA_MESH& mesh) {
    l3dReadNameField(file, mesh.materialName);
    mesh.flags = lfmReadU32(file);
    l3dReadNameField(file, mesh.textureName);
    lfmReadBytes(&mesh.primitiveType, 4, file);
    mesh.primitiveCount = lfmReadU32(file);
    mesh.indexCount = l3dReadModelCount(file, 4);
    mesh.indices.Allocate(mesh.indexCount);
    for (uint32_t i = 0; i < mesh.indexCount; ++i) mesh.indices[i] = lfmReadU32(file);
    mesh.cornerCount = lfmReadU32(file);
    ReadTable(file, mesh.cornerCount, 16, mesh.corners);
    mesh.extraUvs.Reset();
    if (version >= 16) {
        const uint32_t extra = lfmReadU32(file);
        if (extra != 0) {
            if (extra != mesh.cornerCount)
                l3dError(DSjis<"[L3DPartData::_Load] 頂点の追加情報の数がおかしい(%u/%u)">(), extra,
                         mesh.cornerCount);
            ReadTable(file, extra, 8, mesh.extraUvs);
        }
    }
    mesh.positionCount = lfmReadU32(file);
    ReadTable(file, mesh.positionCount, 12, mesh.positions, 3);
    mesh.normalCount = lfmReadU32(file);
    ReadTable(file, mesh.normalCount, 12, mesh.normals, 3);
    l3dCheckSourceMesh(file, part, mesh);
    if (version >= 8) {
        lfmReadBytes(mesh.pivot, sizeof mesh.pivot, file);
    } else {
        mesh.flags |= L3D_PARTDATA_MESH::FlagPivotComputed;
        L3DPartData::CalcMatPivot(mesh, mesh.pivot);
    }
}

void ReadVertexMaps(DFile& file, const L3DPartData& part, uint32_t& count,
                    rcptr<L3D_PARTDATA_VERTEXMAP>& maps) {
    count = l3dReadModelCount(file, 8);
    maps.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        L3D_PARTDATA_VERTEXMAP& map = maps[i];
        l3dReadNameField(file, map.name);
        map.entryCount = lfmReadU32(file);
        ReadTable(file, map.entryCount, 32, map.entries);
        l3dCheckVertexMap(file, part, map);
    }
}

void ReadRuntime(DFile& file, uint32_t version, const L3DPartData& part,
                 L3D_PARTDATA_RUNTIME& runtime) {
    const uint32_t meshIndex = lfmReadU32(file);
    if (meshIndex >= part.meshCount) l3dModelReadFailed(file);
    runtime.sourceMesh = &part.meshes[meshIndex];
    runtime.vertexCount = lfmReadU32(file);
    ReadTable(file, runtime.vertexCount, 56, runtime.vertices);
    runtime.maxBlendCount = lfmReadU32(file);
    runtime.vertices3.Reset();
    if (version >= 16) {
        const uint32_t threeSet = lfmReadU32(file);
        if (threeSet != 0) {
            if (threeSet != runtime.vertexCount)
                l3dError(
                    DSjis<"[L3DPartData::_Load] パックされた頂点の追加情報の数がおかしい(%u/%u)">(),
                    threeSet, runtime.vertexCount);
            ReadTable(file, threeSet, 72, runtime.vertices3);
        }
    }
    runtime.indexByteCount = lfmReadU32(file);
    if (runtime.indexByteCount % 2 != 0) l3dModelReadFailed(file);
    ReadTable(file, runtime.indexByteCount / 2, 2, runtime.indices);
    lfmReadBytes(&runtime.primitiveType, 4, file);
    runtime.primitiveCount = lfmReadU32(file);
    runtime.usedBoneCount = lfmReadU32(file);
    ReadTable(file, runtime.usedBoneCount, 4, runtime.usedBones);
    l3dCheckRuntimeMesh(file, part, runtime);
}

}  // namespace

void L3DPartData::_LoadBone(DFile& file, uint32_t version, uint32_t& count,
                            rcptr<L3DBoneData>& bones, uint32_t depth) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DPartData::_LoadBone] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    if (depth >= MaxBoneDepth) l3dModelReadFailed(file);
    count = l3dReadModelCount(file, 4 + 4 + 12 + 12 + 4);
    bones.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        L3DBoneData& bone = bones[i];
        l3dReadNameField(file, bone.name);
        l3dReadNameField(file, bone.weightMapName);
        lfmReadBytes(bone.point1, sizeof bone.point1, file);
        lfmReadBytes(bone.point2, sizeof bone.point2, file);
        bone.flags = version >= 15 ? lfmReadU32(file) : 0;
        _LoadBone(file, version, bone.childCount, bone.children, depth + 1);
    }
}

void L3DPartData::_Load(DFile& file, uint32_t version) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DPartData::_Load] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    lfmReadString(file, name);
    const L3DModelPool partPool = l3dReadModelPool(file, pool);
    colourCount = lfmReadU32(file);
    ReadTable(file, colourCount, 4, colours);
    uvCount = lfmReadU32(file);
    ReadTable(file, uvCount, 8, uvs, 2);

    meshCount = l3dReadModelCount(file, 4 + 4 + 4 + 4 + 4 + 4 + 4 + 4 + 4);
    meshes.Allocate(meshCount);
    for (uint32_t i = 0; i < meshCount; ++i) ReadMesh(file, version, *this, meshes[i]);

    ReadVertexMaps(file, *this, weightMapCount, weightMaps);
    ReadVertexMaps(file, *this, morphMapCount, morphMaps);
    _LoadBone(file, version, rootBoneCount, rootBones);
    L3DObjectData::_LoadShader(file, version, partPool, shaderOptions);
    if (version <= 1) return;

    _BuildFlatBones();
    runtimeCount = l3dReadModelCount(file, 4 + 4 + 4 + 4 + 4 + 4 + 4);
    runtimes.Allocate(runtimeCount);
    for (uint32_t i = 0; i < runtimeCount; ++i) ReadRuntime(file, version, *this, runtimes[i]);
}
