// Reading part groups and collision groups, and the part-group member look-up.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

constexpr uint32_t CollisionTypeCount = 7;
// Files older than this store type 0 as 6.
constexpr uint32_t CollisionType6Version = 15;

}  // namespace

void L3DPartGroupData::_Load(DFile& file, uint32_t version) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DPartGroupData::_Load] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    lfmReadString(file, name);
    members._EraseAllNodes();
    const uint32_t count = l3dReadModelCount(file, 4 + 4 + 4 + 4 + 12 + 4);
    rcptr<L3DPartInfoData> records;
    records.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        L3DPartInfoData& member = records[i];
        member.part = owner->GetPartDataFromNumber(lfmReadU32(file));
        const L3DModelPool pool = l3dReadModelPool(file, member.pool);
        member.parentPart = owner->GetPartDataFromNumber(lfmReadU32(file));
        member.parentBone =
            owner->GetPartBoneDataFromNumber(member.parentPart.Get(), lfmReadU32(file));
        lfmReadBytes(member.pivot, sizeof member.pivot, file);
        L3DObjectData::_LoadShader(file, version, pool, member.shaderOptions);
        members.AddTail(records.CopyOffset(i));
    }
}

rcptr<L3DPartInfoData> L3DPartGroupData::GetInfo(const L3DPartData* part) {
    for (auto it = members._GetFirstNode(); it != members._GetEndNode(); it = it.Next())
        if (it.GetRef()->part.Get() == part) return it.GetRef();
    l3dError(DSjis<"[L3DPartGroupData::GetInfo] 指定されたパーツは存在しない">());
}

void L3DCollGroupData::_Load(DFile& file, uint32_t version) {
    if (version < 4 || version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DCollGroupData::_Load] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    lfmReadString(file, name);
    lfmReadString(file, name2);
    type = lfmReadU32(file);
    if (version < CollisionType6Version && type == 6) type = 0;
    flags = lfmReadU32(file) & ~FlagBound;
    _SetFlagsFromType();

    const bool radiusStored = version != 5 && version != 6;
    spheres._EraseAllNodes();
    const uint32_t count = l3dReadModelCount(file, 4 + 4 + 12 + (radiusStored ? 4 : 12));
    rcptr<L3D_COLLDATA_SPHERE> records;
    records.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        L3D_COLLDATA_SPHERE& sphere = records[i];
        sphere.part = owner->GetPartDataFromNumber(lfmReadU32(file));
        sphere.bone = owner->GetPartBoneDataFromNumber(sphere.part.Get(), lfmReadU32(file));
        lfmReadBytes(sphere.centre, sizeof sphere.centre, file);
        if (radiusStored) {
            sphere.radius = lfmReadF32(file);
        } else {
            float dropped[3];
            lfmReadBytes(dropped, sizeof dropped, file);
            sphere.radius = 0.0f;
        }
        spheres.AddTail(records.CopyOffset(i));
    }
    if (!radiusStored && count > 0)
        l3dLog(2, "[L3DCollGroupData::_Load] \"%s\": version %u stores no radius; 0 is used",
               name.Text(), version);
}

void L3DCollGroupData::_SetFlagsFromType() {
    if (type >= CollisionTypeCount)
        l3dError(DSjis<"[L3DCollGroupData::_SetFlagsFromType] 認識できない種類(%d)">(),
                 static_cast<int>(type));
    if (type >= 3)
        flags |= FlagBound;
    else
        flags &= ~FlagBound;
}
