#pragma once
// A part group laid out for one object instance: levels of part instances, each hanging from a
// part instance (or one of its bones) of the level before, so that an update that walks the
// levels in order moves every parent before its children.
#include <cstdint>

#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "model3d/L3DGroupData.h"
#include "model3d/L3DPartInstance.h"

class L3DObjectInstance;

struct L3D_PARTGROUPINST_LINK {
    mirel::rcptr<L3DPartInstance> part;
    mirel::rcptr<L3DPartInstance> parentPart;  // empty on the top level
    mirel::rcptr<L3DBoneInstance> parentBone;  // empty: the part hangs from the parent part
};

struct L3D_PARTGROUPINST_DATASET {
    uint32_t count = 0;
    mirel::rcptr<L3D_PARTGROUPINST_LINK> links;
};

class L3DPartGroupInstance {
public:
    mirel::rcptr<L3DObjectInstance> object;  // non-owning: the instance owns its groups
    mirel::rcptr<L3DPartGroupData> group;
    mirel::DList<L3D_PARTGROUPINST_DATASET> levels;  // top level first

    // The levels, breadth first: the members without a parent part, then per level the members
    // hanging from a part of the level before (once per entry that holds that part).
    void Build(const mirel::rcptr<L3DObjectInstance>& instance,
               const mirel::rcptr<L3DPartGroupData>& data);
};
