#pragma once
// A model in memory: its name, its string pool and the records of the whole model that later
// sections and the instances look up (shader options, texture areas and events).
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DString.h"
#include "model3d/L3DObjectEvent.h"
#include "model3d/model_pool.h"
#include "render3d/L3DShaderOption.h"

// A rectangle of a part's texture that texture-set events address by name.
struct L3D_OBJDATA_TEXAREA {
    L3D_NAMEREF areaName;
    L3D_NAMEREF partName;
    L3D_NAMEREF materialName;
    L3D_NAMEREF textureName;
    float u = 0.0f;
    float v = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// The newest model-file version this reader knows.
inline constexpr uint32_t L3DObjectDataMaxVersion = 16;
// The magic of model files, the bytes "L3DO" in file order.
inline constexpr uint32_t L3DObjectDataMagic = 0x4F44334C;

class L3DObjectData {
public:
    mirel::DString name;
    mirel::DString pool;
    mirel::DList<L3D_RENDERER_SHADEROPT> shaderOptions;
    mirel::DList<L3D_OBJDATA_TEXAREA> texAreas;
    mirel::DList<L3D_OBJDATA_EVENT> events;

    // Section readers; each empties `list` first and refuses versions above 16.
    static void _LoadShader(mirel::DFile& file, uint32_t version, const L3DModelPool& pool,
                            mirel::DList<L3D_RENDERER_SHADEROPT>& list);
    static void _LoadTexArea(mirel::DFile& file, uint32_t version, const L3DModelPool& pool,
                             mirel::DList<L3D_OBJDATA_TEXAREA>& list);
    static void _LoadEvent(mirel::DFile& file, mirel::DList<L3D_OBJDATA_EVENT>& list,
                           const L3DModelPool& pool, uint32_t version);
    // Reads past the sections older files carry and this system drops: the collision list of
    // version 3 and below, block A of version 6 and block B of version 6 and below.
    static void _SkipOldSections(mirel::DFile& file, uint32_t version);
};
