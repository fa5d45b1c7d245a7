#include "tools/instance_rig/instance_rig.h"

#include <cmath>

#include "foundation/DStr.h"
#include "model3d/L3DPartGroupInstance.h"
#include "model3d/L3DPartInstance.h"

using namespace mirel;

namespace tools::rig {

namespace {

template <class T, class Visit>
void each(DList<T>& list, Visit visit) {
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        visit(it.GetRef());
}

void markForReset(L3DPartInstance& part) {
    part.root.flags |= L3DAnimState::FlagResetPose;
    part.root.motion = nullptr;
    part._MarkBonesForReset();
}

}  // namespace

rcptr<L3DObjectInstance> makeInstance(const rcptr<L3DObjectData>& model,
                                      const rcptr<L3DRenderer>& renderer,
                                      const L3DTextureContext& context) {
    rcptr<L3DObjectInstance> instance;
    instance.Create();
    const rcptr<L3DObjectInstance> self = rcptr<L3DObjectInstance>::NonOwning(instance.Get());
    instance->renderer = rcptr<L3DRenderer>::NonOwning(renderer.Get());
    instance->model = model;
    instance->context = context;
    each(model->collGroups, [&](const rcptr<L3DCollGroupData>& data) {
        rcptr<L3DCollGroupInstance> group;
        group.Create();
        group->Init(self, data);
        instance->collGroups.AddTail(group);
    });
    each(model->parts, [&](const rcptr<L3DPartData>& data) {
        rcptr<L3DPartInstance> part;
        part.Create();
        part->_Create(self, data.Get());
        instance->parts.AddTail(part);
    });
    each(model->partGroups, [&](const rcptr<L3DPartGroupData>& data) {
        rcptr<L3DPartGroupInstance> group;
        group.Create();
        group->Build(self, data);
        instance->partGroups.AddTail(group);
    });
    instance->_CollectFreeSpheres();
    instance->bounds.ResetPrevious();
    each(instance->parts, [](const rcptr<L3DPartInstance>& part) {
        markForReset(*part);
        part->_ResetPose();
    });
    return instance;
}

rcptr<L3DAnimInstance> play(L3DObjectInstance& instance, const char* name) {
    rcptr<L3DAnimData> data;
    each(instance.model->anims, [&](const rcptr<L3DAnimData>& anim) {
        if (!data && DStrEqualsNoCase(anim->name.Text(), name) == 0) data = anim;
    });
    if (!data) return {};
    rcptr<L3DAnimInstance> anim;
    anim.Create();
    anim->_Create(data, rcptr<L3DObjectInstance>::NonOwning(&instance));
    instance.anims.AddTail(anim);
    play(instance, *anim);
    return anim;
}

void play(L3DObjectInstance& instance, L3DAnimInstance& anim) {
    instance._ResetCollGroups();
    each(instance.parts, [](const rcptr<L3DPartInstance>& part) { markForReset(*part); });
    instance.currentPartGroup.Reset();
    each(instance.partGroups, [&](const rcptr<L3DPartGroupInstance>& group) {
        if (!instance.currentPartGroup && group->group == anim.anim->partGroup)
            instance.currentPartGroup = group;
    });
    for (uint32_t i = 0; i < anim.motionCount; ++i) {
        L3D_ANIMINST_MOT& record = anim.motions[i];
        for (uint32_t k = 0; k < record.overrideCount; ++k) {
            L3D_ANIMINST_OVERRIDE& entry = record.overrides[k];
            if (entry.piece->texture == entry.piece->material->texture1)
                entry.piece->texture = entry.apply->texture1;
            entry.piece->material = entry.apply;
        }
        if (record.keys.segmentCount == 0 && record.trackCount == 0) continue;
        L3DAnimState& node =
            record.boneInstance ? record.boneInstance->node : record.partInstance->root;
        if (node.motion == &record) continue;
        node.motion = &record;
        node.flags |= L3DAnimState::FlagResetPose;
    }
    each(instance.parts, [](const rcptr<L3DPartInstance>& part) {
        L3DAnimState& root = part->root;
        if (root.flags & L3DAnimState::FlagResetPose) {
            part->_Restore();
            for (int i = 0; i < 3; ++i)
                root.reference[i] = root.motion ? root.motion->pivot[i] : 0.0f;
        }
        part->_ResetPose();
    });
}

void forward(L3DObjectInstance& instance) {
    // The rig binds no event sets, so the instance's own frame runs exactly the rig's steps.
    instance.ForwardAnimFrame();
}

namespace {

uint64_t mix(uint64_t hash, float value) {
    const auto fixed = static_cast<int32_t>(std::lround(value * 1024.0f));
    const auto bits = static_cast<uint32_t>(fixed);
    for (int i = 0; i < 4; ++i) {
        hash ^= (bits >> (8 * i)) & 0xFF;
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

uint64_t hashSpheres(const L3DObjectInstance& instance, uint64_t hash) {
    auto& groups = const_cast<DList<L3DCollGroupInstance>&>(instance.collGroups);
    each(groups, [&](const rcptr<L3DCollGroupInstance>& group) {
        for (uint32_t i = 0; i < group->sphereCount; ++i)
            for (float c : group->spheres[i].centre) hash = mix(hash, c);
    });
    for (const L3DBoundingSphere& sphere : instance.bounds.current) {
        for (float c : sphere.centre) hash = mix(hash, c);
        hash = mix(hash, sphere.radius);
    }
    return hash;
}

}  // namespace tools::rig
