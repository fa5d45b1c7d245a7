#pragma once
// A model in memory: its name and string pool, its parts, part groups, collision groups and
// animations, and the records of the whole model (shader options, texture areas and events).
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DString.h"
#include "foundation/rcptr.h"
#include "model3d/L3DAnimData.h"
#include "model3d/L3DGroupData.h"
#include "model3d/L3DObjectEvent.h"
#include "model3d/L3DPartData.h"
#include "model3d/L3DTexArea.h"
#include "model3d/model_pool.h"
#include "render3d/L3DShaderOption.h"

// The newest model-file version this reader knows.
inline constexpr uint32_t L3DObjectDataMaxVersion = 16;
// The magic of model files, the bytes "L3DO" in file order.
inline constexpr uint32_t L3DObjectDataMagic = 0x4F44334C;

class L3DObjectData {
public:
    mirel::DString name;
    mirel::DString pool;
    mirel::DList<L3DPartData> parts;
    mirel::DList<L3DPartGroupData> partGroups;
    mirel::DList<L3DCollGroupData> collGroups;
    mirel::DList<L3DAnimData> anims;
    mirel::DList<L3D_RENDERER_SHADEROPT> shaderOptions;
    mirel::DList<L3D_OBJDATA_TEXAREA> texAreas;
    mirel::DList<L3D_OBJDATA_EVENT> events;

    L3DObjectData() = default;
    // Groups and animations point back here: the object stays where it was loaded.
    L3DObjectData(const L3DObjectData&) = delete;
    L3DObjectData& operator=(const L3DObjectData&) = delete;

    // Reads a whole model file from its start; every error is fatal.
    void Load(mirel::DFile& file);

    // Look-ups by 1-based number in file order: 0 gives an empty handle, a number past the
    // last is fatal. Bones are numbered in pre-order over the part's tree.
    mirel::rcptr<L3DPartData> GetPartDataFromNumber(uint32_t number);
    mirel::rcptr<L3DPartGroupData> GetPartGroupDataFromNumber(uint32_t number);
    mirel::rcptr<L3DBoneData> GetPartBoneDataFromNumber(const L3DPartData* part, uint32_t number);
    // The list's own handle to a record of this model; fatal when it is not one.
    mirel::rcptr<L3DPartData> GetValidPartData(const L3DPartData* part);
    mirel::rcptr<L3DAnimData> GetValidAnimData(const L3DAnimData* anim);
    // The first part of that name (same length, ASCII letters without case); empty for none.
    mirel::rcptr<L3DPartData> FindPartData(const char* name);

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
