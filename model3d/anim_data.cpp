// Reading animations: frames, part group, the animation's own sections, and the motions with
// their keys and morph groups; and the motion look-up.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

void ReadMorphGroup(DFile& file, const L3DPartData* part, L3D_ANIMDATA_MORPHGROUP& group) {
    lfmReadString(file, group.name);
    group.morphs._EraseAllNodes();
    const uint32_t count = l3dReadModelCount(file, 8);
    rcptr<L3D_ANIMDATA_MORPH> morphs;
    morphs.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        morphs[i].frame = lfmReadU32(file);
        const uint32_t number = lfmReadU32(file);
        // A morph map of no part: only number 0 (none) can be resolved.
        if (part)
            morphs[i].morphMap = part->GetMmapDataFromNumber(number);
        else if (number != 0)
            l3dError(DSjis<"[L3DPartData::GetMmapDataFromNumber] "
                           "指定された番号のモーフマップが見つからない">());
        group.morphs.AddTail(morphs.CopyOffset(i));
    }
}

void ReadMotion(DFile& file, L3DObjectData& owner, L3D_ANIMDATA_MOT& motion) {
    motion.part = owner.GetPartDataFromNumber(lfmReadU32(file));
    motion.bone = owner.GetPartBoneDataFromNumber(motion.part.Get(), lfmReadU32(file));
    motion.keys._EraseAllNodes();
    const uint32_t keyCount = l3dReadModelCount(file, sizeof(L3D_ANIMDATA_KEY));
    rcptr<L3D_ANIMDATA_KEY> keys;
    keys.Allocate(keyCount);
    for (uint32_t i = 0; i < keyCount; ++i) {
        lfmReadBytes(&keys[i], sizeof(L3D_ANIMDATA_KEY), file);
        motion.keys.AddTail(keys.CopyOffset(i));
    }
    motion.morphGroups._EraseAllNodes();
    const uint32_t groupCount = l3dReadModelCount(file, 8);
    rcptr<L3D_ANIMDATA_MORPHGROUP> groups;
    groups.Allocate(groupCount);
    for (uint32_t i = 0; i < groupCount; ++i) {
        ReadMorphGroup(file, motion.part.Get(), groups[i]);
        motion.morphGroups.AddTail(groups.CopyOffset(i));
    }
}

}  // namespace

void L3DAnimData::_Load(DFile& file, uint32_t version) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DAnimData::_Load] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    lfmReadString(file, name);
    const L3DModelPool animPool = l3dReadModelPool(file, pool);
    flags = lfmReadU32(file) & ~FlagClearedOnLoad;
    endFrame = lfmReadU32(file);
    loopFrame = lfmReadU32(file);
    partGroup = owner->GetPartGroupDataFromNumber(lfmReadU32(file));
    L3DObjectData::_LoadShader(file, version, animPool, shaderOptions);
    L3DObjectData::_LoadTexArea(file, version, animPool, texAreas);
    L3DObjectData::_LoadEvent(file, events, animPool, version);

    motions._EraseAllNodes();
    const uint32_t count = l3dReadModelCount(file, 4 + 4 + 4 + 4);
    rcptr<L3D_ANIMDATA_MOT> records;
    records.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        ReadMotion(file, *owner, records[i]);
        motions.AddTail(records.CopyOffset(i));
    }
}

rcptr<L3D_ANIMDATA_MOT> L3DAnimData::GetMotion(const L3DPartData* part, const L3DBoneData* bone) {
    for (auto it = motions._GetFirstNode(); it != motions._GetEndNode(); it = it.Next()) {
        const L3D_ANIMDATA_MOT& motion = *it.GetRef();
        if (motion.part.Get() == part && motion.bone.Get() == bone) return it.GetRef();
    }
    l3dError(DSjis<"[L3DAnimData::GetMotion] 指定されたモーションは無い">());
}
