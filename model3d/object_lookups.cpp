// A loaded model's look-ups of parts, part groups and bones by number, of its own records by
// address, and of parts by name.
#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// The element numbered `number` (from 1) of the list; empty for 0 or past the end.
template <class T>
rcptr<T> ByNumber(DList<T>& list, uint32_t number) {
    if (number == 0) return {};
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        if (--number == 0) return it.GetRef();
    return {};
}

template <class T>
rcptr<T> ByAddress(DList<T>& list, const T* record) {
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        if (it.GetRef().Get() == record) return it.GetRef();
    return {};
}

}  // namespace

rcptr<L3DPartData> L3DObjectData::GetPartDataFromNumber(uint32_t number) {
    rcptr<L3DPartData> part = ByNumber(parts, number);
    if (number != 0 && !part)
        l3dError(
            DSjis<"[L3DObjectData::GetPartDataFromNumber] 指定された番号のパーツは存在しない">());
    return part;
}

rcptr<L3DPartGroupData> L3DObjectData::GetPartGroupDataFromNumber(uint32_t number) {
    rcptr<L3DPartGroupData> group = ByNumber(partGroups, number);
    if (number != 0 && !group)
        l3dError(DSjis<"[L3DObjectData::GetPartGroupDataFromNumber] "
                       "指定された番号のパーツグループは存在しない">());
    return group;
}

rcptr<L3DBoneData> L3DObjectData::GetPartBoneDataFromNumber(const L3DPartData* part,
                                                            uint32_t number) {
    if (!part || number == 0) return {};
    rcptr<L3DBoneData> bone = part->_BoneFromNumber(number);
    if (!bone)
        l3dError(
            DSjis<
                "[L3DObjectData::GetPartBoneDataFromNumber] 指定された番号のボーンは存在しない">());
    return bone;
}

rcptr<L3DPartData> L3DObjectData::GetValidPartData(const L3DPartData* part) {
    rcptr<L3DPartData> found = ByAddress(parts, part);
    if (!found)
        l3dError(DSjis<"[L3DObjectData::GetValidPartData] 有効なパーツが見つかりませんでした">());
    return found;
}

rcptr<L3DAnimData> L3DObjectData::GetValidAnimData(const L3DAnimData* anim) {
    rcptr<L3DAnimData> found = ByAddress(anims, anim);
    if (!found)
        l3dError(DSjis<"[L3DObjectData::GetValidAnimData] 有効なアニメが見つかりませんでした">());
    return found;
}

rcptr<L3DPartData> L3DObjectData::FindPartData(const char* wanted) {
    for (auto it = parts._GetFirstNode(); it != parts._GetEndNode(); it = it.Next())
        if (DStrEqualsNoCase(it.GetRef()->name.Text(), wanted) == 0) return it.GetRef();
    return {};
}
