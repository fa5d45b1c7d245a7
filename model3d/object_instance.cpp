// The life of an object instance: set-up of its sub-instances, animations made current with or
// without a restart, one frame forward, rewinds, sound-effect groups and destruction.
#include <cstring>

#include "effects/L3DEffectManager.h"
#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartGroupInstance.h"
#include "model3d/L3DPartInstance.h"
#include "model3d/object_events.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LQuat.h"
#include "render3d/blend_types.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/LSeManager.h"

using namespace mirel;

namespace {

// Calls visit(handle) for every element of the list, in order.
template <class T, class Visit>
void forEach(DList<T>& list, Visit visit) {
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        visit(it.GetRef());
}

template <class T>
bool contains(DList<T>& list, const T* element) {
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        if (it.GetRef().Get() == element) return true;
    return false;
}

// The root node and every bone node to be given their rest pose, with no motion bound.
void markForReset(L3DPartInstance& part) {
    part.root.flags |= L3DAnimState::FlagResetPose;
    part.root.motion = nullptr;
    part._MarkBonesForReset();
}

void rewindSet(L3D_OBJINST_EVENTSET& set) {
    set.frame = -1;
    set.next = 0;
}

// Stops the voices and effects the instance's events started: they follow its blocks.
void stopOwned(L3DObjectInstance& instance) {
    if (!instance.renderer) return;
    if (instance.renderer->seManager) instance.renderer->seManager->StopOwner(&instance);
    if (instance.renderer->effectManager) instance.renderer->effectManager->StopByKey(&instance);
}

// Puts a motion record's overrides on their pieces: a piece still drawing its material's
// texture draws the override's.
void applyOverrides(L3D_ANIMINST_MOT& record) {
    for (uint32_t j = 0; j < record.overrideCount; ++j) {
        L3D_ANIMINST_OVERRIDE& entry = record.overrides[j];
        L3D_PARTINST_MAT& piece = *entry.piece;
        if (!piece.material || piece.texture == piece.material->texture1)
            piece.texture = entry.apply->texture1;
        piece.material = entry.apply;
    }
}

// Binds the record to its node when it moves or morphs it; a node that changes motion starts
// again from its rest pose.
void bindMotion(L3D_ANIMINST_MOT& record) {
    if (record.keys.segmentCount == 0 && record.trackCount == 0) return;
    L3DAnimState& node =
        record.boneInstance ? record.boneInstance->node : record.partInstance->root;
    if (node.motion == &record) return;
    node.motion = &record;
    node.flags |= L3DAnimState::FlagResetPose;
}

// Every piece back to its base material and texture.
void restoreBaseMaterials(L3DPartInstance& part) {
    for (uint32_t i = 0; i < part.pieceCount(); ++i) {
        L3D_PARTINST_MAT& piece = part.piece(i);
        piece.material = &part.baseMaterials[i];
        piece.texture = part.baseMaterials[i].texture1;
    }
}

}  // namespace

L3DObjectInstance::~L3DObjectInstance() { _Release(); }

void L3DObjectInstance::Init(const rcptr<L3DRenderer>& rendererHandle,
                             const rcptr<L3DObjectData>& modelHandle,
                             const L3DTextureContext& textureContext) {
    renderer = rendererHandle;
    model = modelHandle;
    context = textureContext;
    placement = L3DWorldBlock{};
    L3DEffectManager* effects = renderer ? renderer->effectManager.Get() : nullptr;
    firstEffectData = effects ? effects->GetFirstData() : nullptr;
    resourceEffectData =
        effects && context.resource ? effects->FindData(context.resource) : nullptr;
    status = 0;
    materialFlags = 0;
    currentPartGroup.Reset();
    _Setup();
}

void L3DObjectInstance::_Setup() {
    const rcptr<L3DObjectInstance> self = rcptr<L3DObjectInstance>::NonOwning(this);
    SetCurrentAnim({}, 1);

    collGroups._EraseAllNodes();
    forEach(model->collGroups, [&](const rcptr<L3DCollGroupData>& data) {
        rcptr<L3DCollGroupInstance> group;
        group.Create();
        group->Init(self, data);
        collGroups.AddTail(group);
    });

    // Part instances of parts the model no longer has go; the others get their materials
    // again; parts without an instance get one, in the model's order.
    for (auto it = parts._GetFirstNode(); it != parts._GetEndNode();) {
        if (contains(model->parts, it.GetRef()->part.Get())) {
            it.GetRef()->_SetupMaterials();
            it = it.Next();
        } else {
            it = parts.Erase(it);
        }
    }
    forEach(model->parts, [&](const rcptr<L3DPartData>& data) {
        for (auto it = parts._GetFirstNode(); it != parts._GetEndNode(); it = it.Next())
            if (it.GetRef()->part.Get() == data.Get()) return;
        rcptr<L3DPartInstance> part;
        part.Create();
        part->_Create(self, data.Get());
        parts.AddTail(part);
    });

    partGroups._EraseAllNodes();
    forEach(model->partGroups, [&](const rcptr<L3DPartGroupData>& data) {
        rcptr<L3DPartGroupInstance> group;
        group.Create();
        group->Build(self, data);
        partGroups.AddTail(group);
    });

    _CollectFreeSpheres();
    bounds.ResetPrevious();
    L3DAnimInstance::__CreateEvents(*this, ownEvents, model->events, model->texAreas);
    SetCurrentAnim({}, 1);

    // One muted frame: matrices, node positions and bounding spheres are valid before the
    // first frame, and the model's own frame-0 events have run, except its sounds.
    status |= StatusMuted;
    ResetAnim();
    ForwardAnimFrame();
    status &= ~StatusMuted;
}

rcptr<L3DAnimInstance> L3DObjectInstance::CreateAnim(const char* name) {
    const char* wanted = name ? name : "";
    const size_t length = std::strlen(wanted);
    for (auto it = model->anims._GetFirstNode(); it != model->anims._GetEndNode(); it = it.Next()) {
        const char* own = it.GetRef()->name.Text() ? it.GetRef()->name.Text() : "";
        if (std::strlen(own) == length && DStrCompareNoCase(own, wanted, length) == 0)
            return FindAnimInstance(it.GetRef());
    }
    l3dError(DSjis<"[L3DObjectInstance::CreateAnim] "
                   "指定されたアニメーション\"%s\"が見つかりません">(),
             wanted);
}

rcptr<L3DAnimInstance> L3DObjectInstance::FindAnimInstance(const rcptr<L3DAnimData>& data) {
    for (auto it = anims._GetFirstNode(); it != anims._GetEndNode(); it = it.Next())
        if (it.GetRef()->anim.Get() == data.Get()) return it.GetRef();
    rcptr<L3DAnimInstance> anim;
    anim.Create();
    anim->_Create(data, rcptr<L3DObjectInstance>::NonOwning(this));
    anims.AddTail(anim);
    return anim;
}

void L3DObjectInstance::SetCurrentAnim(const rcptr<L3DAnimInstance>& anim, uint32_t restart) {
    const bool restarting = (restart & 0xFF) != 0 || !anim;
    eventSets._EraseAllNodes();
    if (restarting) {
        residentEvents._EraseAllNodes();
        _ResetCollGroups();
        rewindSet(ownEvents);
    }
    eventSets.AddTail(rcptr<L3D_OBJINST_EVENTSET>::NonOwning(&ownEvents));
    if (restarting) stopOwned(*this);

    if (anim) {
        if (restarting)
            forEach(parts, [](const rcptr<L3DPartInstance>& part) { markForReset(*part); });
        currentPartGroup.Reset();
        for (auto it = partGroups._GetFirstNode(); it != partGroups._GetEndNode(); it = it.Next()) {
            if (it.GetRef()->group.Get() == anim->anim->partGroup.Get()) {
                currentPartGroup = it.GetRef();
                break;
            }
        }
        for (uint32_t i = 0; i < anim->motionCount; ++i) {
            applyOverrides(anim->motions[i]);
            bindMotion(anim->motions[i]);
        }
        if (anim->events.count > 0) {
            rewindSet(anim->events);
            eventSets.AddTail(rcptr<L3D_OBJINST_EVENTSET>::NonOwning(&anim->events));
        }
    } else {
        currentPartGroup.Reset();
        forEach(parts, [](const rcptr<L3DPartInstance>& part) {
            markForReset(*part);
            restoreBaseMaterials(*part);
            part->_RestoreTexCoords();
        });
    }

    materialFlags = 0;
    forEach(parts, [&](const rcptr<L3DPartInstance>& part) {
        if (part->root.flags & L3DAnimState::FlagResetPose) {
            part->_Restore();
            const float* pivot = part->root.motion ? part->root.motion->pivot : nullptr;
            for (int k = 0; k < 3; ++k) part->root.reference[k] = pivot ? pivot[k] : 0.0f;
        }
        part->_ResetPose();
        for (uint32_t i = 0; i < part->pieceCount(); ++i) {
            const L3D_ANIMINST_MAT* material = part->piece(i).material;
            if (material && material->option &&
                l3dBlendTypeReadsFrameBuffer(material->option->blendType))
                materialFlags |= MaterialReadsFrameBuffer;
        }
    });
}

void L3DObjectInstance::ForwardAnimFrame() {
    // W = S x R x T.
    LMat world;
    LMat::Scaling(world, placement.scale[0], placement.scale[1], placement.scale[2]);
    LMat rotation;
    LQuat::ToMatrix(LQuat{placement.rotation[0], placement.rotation[1], placement.rotation[2],
                          placement.rotation[3]},
                    rotation);
    LMat::Multiply(world, rotation, world);
    world.m[3][0] += placement.position[0];
    world.m[3][1] += placement.position[1];
    world.m[3][2] += placement.position[2];

    if (currentPartGroup) {
        // Levels top first, so every parent has moved before its children.
        forEach(currentPartGroup->levels, [&](const rcptr<L3D_PARTGROUPINST_DATASET>& level) {
            for (uint32_t i = 0; i < level->count; ++i) {
                const L3D_PARTGROUPINST_LINK& link = level->links[i];
                if (link.parentBone)
                    link.part->Update(link.parentBone->node.world, link.parentBone->node.block);
                else if (link.parentPart)
                    link.part->Update(link.parentPart->root.world, link.parentPart->root.block);
                else
                    link.part->Update(world, placement);
            }
        });
    } else {
        forEach(parts, [&](const rcptr<L3DPartInstance>& part) { part->Update(world, placement); });
    }
    _PlaceFreeSpheres(world);
    forEach(eventSets,
            [&](const rcptr<L3D_OBJINST_EVENTSET>& set) { l3dAdvanceEventSet(*this, *set); });
    l3dRunResidentEvents(*this);
    bounds.Update(collGroups);
    forEach(parts, [](const rcptr<L3DPartInstance>& part) { part->_UploadVertices(); });
}

void L3DObjectInstance::ResetAnim() {
    forEach(parts, [](const rcptr<L3DPartInstance>& part) {
        part->_Restore();
        part->root.Rewind();
        part->_RewindBones();
    });
    forEach(eventSets, [](const rcptr<L3D_OBJINST_EVENTSET>& set) { rewindSet(*set); });
    residentEvents._EraseAllNodes();
}

void L3DObjectInstance::SetSeGroups(const L3D_SEGROUPLIST& list) {
    // The new references are taken before the old ones go, so that a group the instance held
    // the last reference of survives when the new list names it again.
    rcptr<LSeManager::_GROUPINFO*> fresh;
    fresh.Allocate(list.count);
    for (uint32_t i = 0; i < list.count; ++i) {
        fresh[i] = list.groups[i];
        if (fresh[i]) ++fresh[i]->refCount;
    }
    LSeManager* manager = renderer ? renderer->seManager.get() : nullptr;
    if (manager) manager->UnloadGroups(seGroups.groups.Get(), seGroups.count);
    seGroups.count = list.count;
    seGroups.groups = std::move(fresh);
}

void L3DObjectInstance::_Release() {
    // Voices and effects started by events read the placement and node blocks released below.
    stopOwned(*this);
    anims._EraseAllNodes();
    parts._EraseAllNodes();
    partGroups._EraseAllNodes();
    collGroups._EraseAllNodes();
    residentEvents._EraseAllNodes();
    eventSets._EraseAllNodes();
    freeSphereCount = 0;
    freeSpheres.Reset();
    currentPartGroup.Reset();
    ownEvents.events.Reset();
    ownEvents.count = 0;
    LSeManager* manager = renderer ? renderer->seManager.get() : nullptr;
    if (manager) manager->UnloadGroups(seGroups.groups.Get(), seGroups.count);
    seGroups.count = 0;
    seGroups.groups.Reset();
    model.Reset();
    if (renderer) {
        renderer->ReleaseObjectInstance(this);
        renderer.Reset();
    }
}
