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
    rcptr<L3DAnimInstance> anim = instance.FindAnimInstance(data);
    play(instance, *anim);
    return anim;
}

void play(L3DObjectInstance& instance, L3DAnimInstance& anim) {
    instance.SetCurrentAnim(rcptr<L3DAnimInstance>::NonOwning(&anim), 1);
}

void forward(L3DObjectInstance& instance) { instance.ForwardAnimFrame(); }

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
