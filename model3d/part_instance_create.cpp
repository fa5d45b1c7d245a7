// Building a part instance: palette, pieces with their vertex copies and buffers, bone
// instances, morph-map instances, materials and nodes; and the look-ups into it.
#include <algorithm>
#include <cstring>

#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

constexpr uint32_t Fvf56 = 0x815E;
constexpr uint32_t Fvf72 = 0x835E;

L3DDevice* deviceOf(const L3DObjectInstance& instance) {
    return instance.renderer ? instance.renderer->device.Get() : nullptr;
}

void referenceOf(const L3DBoneData& bone, float (&out)[3]) {
    const float* point = (bone.flags & L3DBoneData::FlagSecondPoint) ? bone.point2 : bone.point1;
    std::copy(point, point + 3, out);
}

// Calls visit(bone instance) for every bone below `level`, a bone before its children.
template <class Visit>
bool forBonesDepthFirst(const rcptr<L3DBoneInstance>& level, uint32_t count, Visit visit) {
    for (uint32_t i = 0; i < count; ++i) {
        if (visit(level.CopyOffset(i))) return true;
        if (forBonesDepthFirst(level[i].children, level[i].childCount, visit)) return true;
    }
    return false;
}

}  // namespace

void L3DPartInstance::_Create(const rcptr<L3DObjectInstance>& instance, const L3DPartData* data) {
    object = instance;
    part = instance->model->GetValidPartData(data);
    if (part->meshCount > 0 && part->runtimeCount == 0) part->CompileRuntime();

    draw.matrixCount = part->flatBoneCount + 1;
    draw.matrices.Allocate(draw.matrixCount);
    for (uint32_t i = 0; i < draw.matrixCount; ++i) draw.matrices[i] = LMat::Identity();
    _CreatePieces();
    _CreateBone(part->rootBoneCount, part->rootBones, bones);
    boneCount = part->rootBoneCount;
    _CreateMMaps();
    _SetupMaterials();
}

void L3DPartInstance::_CreatePieces() {
    L3DDevice* device = deviceOf(*object);
    const bool buffers = device && (device->flags() & L3DDevice::FlagVertexShader);
    draw.pieceCount = part->runtimeCount;
    draw.pieces.Allocate(draw.pieceCount);
    baseMaterials.Allocate(draw.pieceCount);
    for (uint32_t i = 0; i < draw.pieceCount; ++i) {
        L3D_PARTINST_MAT& piece = draw.pieces[i];
        const L3D_PARTDATA_RUNTIME& mesh = part->runtimes[i];
        piece.flags = mesh.vertices3 ? L3D_PARTINST_MAT::FlagThreeUvSets : 0;
        piece.pieceData = part->runtimes.CopyOffset(i);
        piece.vertexCount = mesh.vertexCount;
        piece.vertices.Allocate(mesh.vertexCount);
        if (mesh.vertexCount > 0)
            std::copy(mesh.vertices.Get(), mesh.vertices.Get() + mesh.vertexCount,
                      piece.vertices.Get());
        piece.weightCount = mesh.maxBlendCount;
        // A buffer of no bytes cannot be made: an empty piece draws from memory.
        if (!buffers || mesh.vertexCount == 0 || mesh.indexByteCount == 0) continue;
        if (piece.flags & L3D_PARTINST_MAT::FlagThreeUvSets)
            piece.vertexBuffer = device->CreateVBufferWith(
                mesh.vertices3.Get(), mesh.vertexCount * sizeof(L3D_RENDERER_VERTEX3), Fvf72);
        else
            piece.vertexBuffer = device->CreateVBufferWith(
                piece.vertices.Get(), mesh.vertexCount * sizeof(L3D_RENDERER_VERTEX), Fvf56);
        piece.indexBuffer = device->CreateIBufferWith(mesh.indices.Get(), mesh.indexByteCount);
    }
}

void L3DPartInstance::_CreateBone(uint32_t count, const rcptr<L3DBoneData>& level,
                                  rcptr<L3DBoneInstance>& out) {
    out.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        L3DBoneInstance& bone = out[i];
        bone.bone = level.CopyOffset(i);
        referenceOf(*bone.bone, bone.reference);
        const L3DBoneData* const* flat = part->flatBones.Get();
        const auto found = std::find(flat, flat + part->flatBoneCount, bone.bone.Get());
        if (found == flat + part->flatBoneCount)
            l3dError(DSjis<"[L3DPartInstance::_CreateBone] "
                           "ボーンに対応する行列番号が見つからない">());
        bone.paletteIndex = static_cast<uint32_t>(found - flat) + 1;
        bone.childCount = bone.bone->childCount;
        _CreateBone(bone.childCount, bone.bone->children, bone.children);
    }
}

void L3DPartInstance::_CreateMMaps() {
    mmapCount = part->morphMapCount;
    mmaps.Allocate(mmapCount);
    for (uint32_t m = 0; m < mmapCount; ++m) {
        L3D_PARTINST_MMAP& instance = mmaps[m];
        instance.map = part->morphMaps.CopyOffset(m);
        instance.vertexCount = instance.map->entryCount;
        instance.vertices.Allocate(instance.vertexCount);
        for (uint32_t e = 0; e < instance.vertexCount; ++e) {
            const L3D_PARTDATA_VERTEXMAP_ENTRY& entry = instance.map->entries[e];
            // The loader checked the entries against the source meshes; a run-time mesh list
            // that disagrees with them must not let a morph write past a vertex copy.
            if (entry.mesh >= draw.pieceCount ||
                entry.corner >= draw.pieces[entry.mesh].vertexCount)
                l3dError(
                    "[L3DPartInstance::_Create] Part \"%s\": morph map \"%s\" names vertex "
                    "%u of piece %u, which the part does not have",
                    part->name.Text(), instance.map->name, entry.corner, entry.mesh);
            instance.vertices[e].target = &entry;
            instance.vertices[e].vertex = &draw.pieces[entry.mesh].vertices[entry.corner];
        }
    }
}

void L3DPartInstance::_SetupMaterials() {
    L3DObjectInstance& instance = *object;
    L3DRenderer* renderer = instance.renderer.Get();
    const L3DTextureCallback textures = instance._TextureLoader();
    const char* partName = part->name.Text() ? part->name.Text() : "";
    for (uint32_t i = 0; i < draw.pieceCount; ++i) {
        L3D_PARTINST_MAT& piece = draw.pieces[i];
        L3D_ANIMINST_MAT& material = baseMaterials[i];
        const L3D_PARTDATA_MESH* mesh = piece.pieceData->sourceMesh;
        const char* meshName = mesh ? mesh->materialName : "";
        const char* texture = mesh ? mesh->textureName : "";
        material = L3D_ANIMINST_MAT{};
        if (!L3D_ANIMINST_MAT::Create(material, part->shaderOptions, partName, meshName, textures,
                                      texture) &&
            !L3D_ANIMINST_MAT::Create(material, instance.model->shaderOptions, partName, meshName,
                                      textures, texture) &&
            renderer) {
            renderer->BindDefaultMaterial(material);
            if (textures) material.texture1 = textures(texture, 1);
        }
        piece.material = &material;
        piece.texture = material.texture1;
    }
    _InitAnimState(root, &draw.matrices[0], nullptr, bones, boneCount);
}

void L3DPartInstance::_InitAnimState(L3DAnimState& node, LMat* output, const L3DBoneInstance* bone,
                                     const rcptr<L3DBoneInstance>& children, uint32_t childCount) {
    node.flags = L3DAnimState::FlagFirstUpdate | L3DAnimState::FlagResetPose;
    node.output = output;
    node.motion = nullptr;
    if (bone)
        std::copy(bone->reference, bone->reference + 3, node.reference);
    else
        std::fill(node.reference, node.reference + 3, 0.0f);

    const L3DBoneData* boneData = bone ? bone->bone.Get() : nullptr;
    auto forOwnSpheres = [&](auto visit) {
        DList<L3DCollGroupInstance>& groups = object->collGroups;
        for (auto it = groups._GetFirstNode(); it != groups._GetEndNode(); it = it.Next()) {
            L3DCollGroupInstance& group = *it.GetRef();
            if (!(group.group->flags & L3DCollGroupData::FlagBound)) continue;
            for (uint32_t i = 0; i < group.sphereCount; ++i) {
                const L3D_COLLDATA_SPHERE& sphere = *group.spheres[i].sphere;
                if (sphere.part.Get() == part.Get() && sphere.bone.Get() == boneData)
                    visit(group.spheres[i]);
            }
        }
    };
    node.sphereCount = 0;
    forOwnSpheres([&](L3D_COLLGROUPINST_SPHERE&) { ++node.sphereCount; });
    node.spheres.Allocate(node.sphereCount);
    uint32_t n = 0;
    forOwnSpheres([&](L3D_COLLGROUPINST_SPHERE& sphere) { node.spheres[n++] = &sphere; });

    for (uint32_t i = 0; i < childCount; ++i) {
        L3DBoneInstance& child = children[i];
        _InitAnimState(child.node, &draw.matrices[child.paletteIndex], &child, child.children,
                       child.childCount);
    }
}

rcptr<L3D_PARTINST_MAT> L3DPartInstance::GetMat(const char* name) {
    const size_t length = std::strlen(name);
    for (uint32_t i = 0; i < draw.pieceCount; ++i) {
        const L3D_PARTDATA_MESH* mesh = draw.pieces[i].pieceData->sourceMesh;
        const char* own = mesh ? mesh->materialName : "";
        if (std::strlen(own) == length && DStrEqualsNoCase(own, name) == 0)
            return draw.pieces.CopyOffset(i);
    }
    l3dError(DSjis<"[L3DPartInstance::GetMat] 指定されたマテリアルは見つかりません(%s)">(), name);
}

rcptr<L3DBoneInstance> L3DPartInstance::GetBone(const L3DBoneData* bone) {
    rcptr<L3DBoneInstance> found;
    forBonesDepthFirst(bones, boneCount, [&](rcptr<L3DBoneInstance> candidate) {
        if (candidate->bone.Get() != bone) return false;
        found = std::move(candidate);
        return true;
    });
    if (!found) l3dError(DSjis<"[L3DPartInstance::GetBone] 指定されたボーンは見つかりません">());
    return found;
}

rcptr<L3D_PARTINST_MMAP> L3DPartInstance::GetMMap(const L3D_PARTDATA_VERTEXMAP* map) {
    for (uint32_t m = 0; m < mmapCount; ++m)
        if (mmaps[m].map.Get() == map) return mmaps.CopyOffset(m);
    l3dError(DSjis<"[L3DPartInstance::GetMMap] 指定されたモーフマップがない">());
}
