// Binding an animation to an object instance: a motion record per part and bone that the
// animation moves, re-materials or morphs.
#include "foundation/DSjisText.h"
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// A record slot made ready for a part's or a bone's motion (slots of dropped records are
// reused, so every field is set).
void prepare(L3D_ANIMINST_MOT& record, L3DAnimInstance& owner, const rcptr<L3DPartInstance>& part,
             const rcptr<L3DBoneInstance>& bone, const float* pivot) {
    record.owner = &owner;
    record.motion.Reset();
    record.partInstance = part;
    record.boneInstance = bone;
    record.pivot = pivot;
    record.keys = L3DKeySegments{};
    record.overrideCount = 0;
    record.overrides.Reset();
    record.trackCount = 0;
    record.tracks.Reset();
    record.movedCount = 0;
}

uint32_t motionCapacity(L3DObjectData& model) {
    uint32_t count = 0;
    for (auto it = model.parts._GetFirstNode(); it != model.parts._GetEndNode(); it = it.Next())
        count += 1 + it.GetRef()->flatBoneCount;
    return count;
}

}  // namespace

void L3DAnimInstance::_Create(const rcptr<L3DAnimData>& data,
                              const rcptr<L3DObjectInstance>& instance) {
    if (!instance) l3dError(DSjis<"[L3DAnimInstance::_Create] オブジェクトがない">());
    if (!data) l3dError(DSjis<"[L3DAnimInstance::_Create] データがない">());
    object = instance;
    L3DObjectData& model = *instance->model;
    anim = model.GetValidAnimData(data.Get());
    // Every part's member is looked up in the animation's part group.
    if (!anim->partGroup)
        l3dError("[L3DAnimInstance::_Create] Animation \"%s\" names no part group",
                 anim->name.Text());
    motionCount = 0;
    motions.Allocate(motionCapacity(model));

    for (auto it = model.parts._GetFirstNode(); it != model.parts._GetEndNode(); it = it.Next()) {
        const rcptr<L3DPartInfoData> member = anim->partGroup->GetInfo(it.GetRef().Get());
        const rcptr<L3DPartInstance> part = instance->GetPartInstance(it.GetRef().Get());
        L3D_ANIMINST_MOT& record = motions[motionCount];
        prepare(record, *this, part, {}, member->pivot);
        if (_BindMotion(record, member.Get())) ++motionCount;
        _BindBoneMotions(part, part->bones, part->boneCount);
    }
    __CreateEvents(*instance, events, anim->events, anim->texAreas);
}

void L3DAnimInstance::_BindBoneMotions(const rcptr<L3DPartInstance>& part,
                                       const rcptr<L3DBoneInstance>& level, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const rcptr<L3DBoneInstance> bone = level.CopyOffset(i);
        L3D_ANIMINST_MOT& record = motions[motionCount];
        prepare(record, *this, part, bone, bone->reference);
        if (_BindMotion(record, nullptr)) ++motionCount;
        _BindBoneMotions(part, bone->children, bone->childCount);
    }
}

bool L3DAnimInstance::_BindMotion(L3D_ANIMINST_MOT& record, L3DPartInfoData* member) {
    record.owner = this;
    record.motion =
        anim->GetMotion(record.partInstance->part.Get(),
                        record.boneInstance ? record.boneInstance->bone.Get() : nullptr);
    const bool materials = _CreateMaterials(record, member);
    const bool segments = _CreateKeySegments(record);
    const bool morphs = _CreateMorphTracks(record);
    return materials || segments || morphs;
}

bool L3DAnimInstance::_CreateMaterials(L3D_ANIMINST_MOT& record, L3DPartInfoData* member) {
    record.overrideCount = 0;
    if (record.boneInstance || !record.partInstance) return false;
    L3DPartInstance& part = *record.partInstance;
    const L3DTextureCallback textures = object->_TextureLoader();
    const char* partName = part.part->name.Text() ? part.part->name.Text() : "";
    record.overrides.Allocate(part.pieceCount());
    for (uint32_t i = 0; i < part.pieceCount(); ++i) {
        L3D_ANIMINST_OVERRIDE& entry = record.overrides[record.overrideCount];
        entry.piece = &part.piece(i);
        entry.material = L3D_ANIMINST_MAT{};
        const L3D_PARTDATA_MESH* mesh = entry.piece->pieceData->sourceMesh;
        const char* meshName = mesh ? mesh->materialName : "";
        const char* texture = mesh ? mesh->textureName : "";
        if (L3D_ANIMINST_MAT::Create(entry.material, anim->shaderOptions, partName, meshName,
                                     textures, texture) ||
            (member && L3D_ANIMINST_MAT::Create(entry.material, member->shaderOptions, partName,
                                                meshName, textures, texture))) {
            entry.apply = &entry.material;
            ++record.overrideCount;
        }
    }
    return record.overrideCount > 0;
}

bool L3DAnimInstance::_CreateKeySegments(L3D_ANIMINST_MOT& record) {
    L3DKeyScratch scratch;
    const LVec pivot{record.pivot[0], record.pivot[1], record.pivot[2]};
    return record.keys.Build(record.motion->keys, pivot, anim->endFrame, anim->loopFrame, scratch);
}
