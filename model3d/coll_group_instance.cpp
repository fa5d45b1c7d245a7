#include <algorithm>
#include <cmath>

#include "model3d/L3DCollGroupInstance.h"

using namespace mirel;

void L3D_COLLGROUPINST_SPHERE::Place(const LMat& world) {
    previousCentre[0] = centre[0];
    previousCentre[1] = centre[1];
    previousCentre[2] = centre[2];
    const L3D_COLLDATA_SPHERE& data = *sphere;
    LVec placed;
    LMat::TransformCoord(LVec{data.centre[0], data.centre[1], data.centre[2]}, world, placed);
    centre[0] = placed.x;
    centre[1] = placed.y;
    centre[2] = placed.z;
    if (!(flags & FlagValid)) {
        previousCentre[0] = centre[0];
        previousCentre[1] = centre[1];
        previousCentre[2] = centre[2];
        flags |= FlagValid;
    }
}

void L3DCollGroupInstance::Init(const rcptr<L3DObjectInstance>& instance,
                                const rcptr<L3DCollGroupData>& data) {
    object = instance;
    group = data;
    flags = 0;
    sphereCount = data->spheres.Count();
    spheres.Allocate(sphereCount);
    uint32_t i = 0;
    for (auto it = data->spheres._GetFirstNode(); it != data->spheres._GetEndNode();
         it = it.Next(), ++i) {
        L3D_COLLGROUPINST_SPHERE& sphere = spheres[i];
        sphere.sphere = it.GetRef();
        sphere.flags = 0;
        std::copy(sphere.sphere->centre, sphere.sphere->centre + 3, sphere.centre);
        std::copy(sphere.sphere->centre, sphere.sphere->centre + 3, sphere.previousCentre);
        sphere.radius = sphere.sphere->radius;
    }
    _Reset();
}

void L3DCollGroupInstance::_Reset() { _Switch((group->flags & FlagEnabled) != 0); }

void L3DCollGroupInstance::_Switch(bool on) {
    flags = on ? flags | FlagEnabled : flags & ~FlagEnabled;
    for (uint32_t i = 0; i < sphereCount; ++i)
        spheres[i].flags &= ~L3D_COLLGROUPINST_SPHERE::FlagValid;
}

namespace {

struct Box {
    bool empty = true;
    float low[3] = {};
    float high[3] = {};

    void add(const float c[3], float r) {
        for (int axis = 0; axis < 3; ++axis) {
            const float a = c[axis] - r, b = c[axis] + r;
            if (empty) {
                low[axis] = a;
                high[axis] = b;
            } else {
                low[axis] = std::min(low[axis], a);
                high[axis] = std::max(high[axis], b);
            }
        }
        empty = false;
    }
};

// Calls visit(type, sphere) for every sphere of every enabled group of a known type.
template <class Visit>
void forEnabledSpheres(DList<L3DCollGroupInstance>& groups, Visit visit) {
    for (auto it = groups._GetFirstNode(); it != groups._GetEndNode(); it = it.Next()) {
        const L3DCollGroupInstance& group = *it.GetRef();
        const uint32_t type = group.group->type;
        if (!group.enabled() || type >= L3DBoundingSphereTable::TypeCount) continue;
        for (uint32_t i = 0; i < group.sphereCount; ++i) visit(type, group.spheres[i]);
    }
}

}  // namespace

void L3DBoundingSphereTable::Update(DList<L3DCollGroupInstance>& groups) {
    Box boxes[TypeCount];
    for (uint32_t k = 0; k < TypeCount; ++k) previous[k] = current[k];
    forEnabledSpheres(groups, [&](uint32_t type, const L3D_COLLGROUPINST_SPHERE& sphere) {
        boxes[type].add(sphere.centre, sphere.radius);
    });
    for (uint32_t k = 0; k < TypeCount; ++k) {
        for (int axis = 0; axis < 3; ++axis)
            current[k].centre[axis] =
                boxes[k].empty ? 0.0f : (boxes[k].low[axis] + boxes[k].high[axis]) * 0.5f;
        current[k].radius = 0.0f;
    }
    forEnabledSpheres(groups, [&](uint32_t type, const L3D_COLLGROUPINST_SPHERE& sphere) {
        const float* m = current[type].centre;
        const float dx = sphere.centre[0] - m[0], dy = sphere.centre[1] - m[1],
                    dz = sphere.centre[2] - m[2];
        const float reach = std::sqrt(dx * dx + dy * dy + dz * dz) + sphere.radius;
        current[type].radius = std::max(current[type].radius, reach);
    });
    for (uint32_t k = 0; k < TypeCount; ++k)
        if (!previousValid[k]) {
            previous[k] = current[k];
            previousValid[k] = 1;
        }
}

void L3DBoundingSphereTable::ResetPrevious() {
    for (uint8_t& valid : previousValid) valid = 0;
}
