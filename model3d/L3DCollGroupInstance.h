#pragma once
// The run-time side of a model's collision groups: per group whether it is switched on and the
// world centres of its spheres (current and previous), and per group type one bounding sphere
// around the enabled groups of that type.
#include <cstdint>

#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "model3d/L3DGroupData.h"
#include "render3d/LMat.h"

class L3DObjectInstance;

struct L3D_COLLGROUPINST_SPHERE {
    // The world centre has been placed since the last reset or switch.
    static constexpr uint32_t FlagValid = 0x1;

    mirel::rcptr<L3D_COLLDATA_SPHERE> sphere;
    uint32_t flags = 0;
    float centre[3] = {};
    float previousCentre[3] = {};
    float radius = 0.0f;

    // The centre through `world` (a point, divided by w); the first placement after a reset
    // also becomes the previous centre, so that nothing sweeps from a stale position.
    void Place(const LMat& world);
};

class L3DCollGroupInstance {
public:
    static constexpr uint32_t FlagEnabled = 0x1;

    mirel::rcptr<L3DObjectInstance> object;  // non-owning: the instance owns its groups
    mirel::rcptr<L3DCollGroupData> group;
    uint32_t flags = 0;
    uint32_t sphereCount = 0;
    mirel::rcptr<L3D_COLLGROUPINST_SPHERE> spheres;

    // One sphere instance per sphere of the group, centred where the model places it; enabled
    // as the group's flags say.
    void Init(const mirel::rcptr<L3DObjectInstance>& instance,
              const mirel::rcptr<L3DCollGroupData>& data);
    // Enabled as the model says again, every sphere to be placed afresh.
    void _Reset();
    // A collision switch: on or off, every sphere to be placed afresh.
    void _Switch(bool on);
    bool enabled() const { return (flags & FlagEnabled) != 0; }
};

struct L3DBoundingSphere {
    float centre[3] = {};
    float radius = 0.0f;
};

// One bounding sphere per collision-group type, around the spheres of its enabled groups.
struct L3DBoundingSphereTable {
    static constexpr uint32_t TypeCount = 7;

    L3DBoundingSphere current[TypeCount];
    L3DBoundingSphere previous[TypeCount];
    uint8_t previousValid[TypeCount] = {};

    // The spheres of this frame: the middle of the box around each type's spheres, then the
    // smallest radius about it that holds them all; a type without enabled groups is centre 0,
    // radius 0. The previous sphere is the last frame's, or this one after a reset.
    void Update(mirel::DList<L3DCollGroupInstance>& groups);
    void ResetPrevious();
};
