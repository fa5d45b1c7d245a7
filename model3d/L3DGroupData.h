#pragma once
// The named groups beside a model's parts: part groups, which hang parts from parts and bones
// with a pivot and shader options of their own, and collision groups, sets of spheres fixed to
// parts or bones.
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DString.h"
#include "foundation/rcptr.h"
#include "model3d/L3DPartData.h"
#include "render3d/L3DShaderOption.h"

class L3DObjectData;

// A member of a part group.
struct L3DPartInfoData {
    mirel::rcptr<L3DPartData> part;
    mirel::DString pool;
    mirel::rcptr<L3DPartData> parentPart;  // empty for a top member
    mirel::rcptr<L3DBoneData> parentBone;  // empty: the member hangs from the part itself
    float pivot[3] = {};
    mirel::DList<L3D_RENDERER_SHADEROPT> shaderOptions;
};

class L3DPartGroupData {
public:
    L3DObjectData* owner = nullptr;  // not counted: the model holds its groups
    mirel::DString name;
    mirel::DList<L3DPartInfoData> members;

    // Reads one part group; part and bone numbers resolve against the owner's parts.
    void _Load(mirel::DFile& file, uint32_t version);
    // The first member placing that part; fatal when none does.
    mirel::rcptr<L3DPartInfoData> GetInfo(const L3DPartData* part);
};

struct L3D_COLLDATA_SPHERE {
    mirel::rcptr<L3DPartData> part;
    mirel::rcptr<L3DBoneData> bone;  // empty: the sphere moves with the part
    float centre[3] = {};
    float radius = 0.0f;
};

class L3DCollGroupData {
public:
    // Set exactly for types 3 to 6: the spheres follow the animated part instances.
    static constexpr uint32_t FlagBound = 0x10000;

    L3DObjectData* owner = nullptr;  // not counted: the model holds its groups
    mirel::DString name;
    mirel::DString name2;
    uint32_t type = 0;
    uint32_t flags = 0;
    mirel::DList<L3D_COLLDATA_SPHERE> spheres;

    // Reads one collision group (files of version 4 and later).
    void _Load(mirel::DFile& file, uint32_t version);
    // Sets flag bit 16 from the type (0 to 6; another type is fatal).
    void _SetFlagsFromType();
};
