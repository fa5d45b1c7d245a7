#pragma once
// An animation of a model: its frames, its part group, its own shader options, texture areas
// and events, and one motion per moving part or bone (keys and morph groups).
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DString.h"
#include "foundation/rcptr.h"
#include "model3d/L3DGroupData.h"
#include "model3d/L3DObjectEvent.h"
#include "model3d/L3DPartData.h"
#include "model3d/L3DTexArea.h"
#include "render3d/L3DShaderOption.h"

class L3DObjectData;

// A key as the file stores it, byte for byte.
struct L3D_ANIMDATA_KEY {
    static constexpr uint32_t FlagHidden = 0x1;
    static constexpr uint32_t FlagCurved = 0x2;

    uint32_t frame;
    uint32_t flags;
    float translation[3];
    float rotation[4];  // x, y, z, w
    float scale[3];
};
static_assert(sizeof(L3D_ANIMDATA_KEY) == 48);

struct L3D_ANIMDATA_MORPH {
    uint32_t frame = 0;
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> morphMap;  // of the motion's part, or empty
};

struct L3D_ANIMDATA_MORPHGROUP {
    mirel::DString name;
    mirel::DList<L3D_ANIMDATA_MORPH> morphs;
};

struct L3D_ANIMDATA_MOT {
    mirel::rcptr<L3DPartData> part;
    mirel::rcptr<L3DBoneData> bone;  // empty: the motion moves the part itself
    mirel::DList<L3D_ANIMDATA_KEY> keys;
    mirel::DList<L3D_ANIMDATA_MORPHGROUP> morphGroups;
};

class L3DAnimData {
public:
    // Cleared when read.
    static constexpr uint32_t FlagClearedOnLoad = 0x2;

    L3DObjectData* owner = nullptr;  // not counted: the model holds its animations
    mirel::DString name;
    mirel::DString pool;
    uint32_t flags = 0;
    uint32_t endFrame = 0;
    uint32_t loopFrame = 0;
    mirel::rcptr<L3DPartGroupData> partGroup;
    mirel::DList<L3D_ANIMDATA_MOT> motions;
    mirel::DList<L3D_RENDERER_SHADEROPT> shaderOptions;
    mirel::DList<L3D_OBJDATA_TEXAREA> texAreas;
    mirel::DList<L3D_OBJDATA_EVENT> events;

    // Reads one animation; numbers resolve against the owner's parts and part groups.
    void _Load(mirel::DFile& file, uint32_t version);
    // The first motion of that part and bone (identity; a null bone is the part's own
    // motion); fatal when there is none.
    mirel::rcptr<L3D_ANIMDATA_MOT> GetMotion(const L3DPartData* part, const L3DBoneData* bone);
};
