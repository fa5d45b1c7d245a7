// A part's bone tree in pre-order, and its look-ups of bones, weight maps and morph maps.
#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "model3d/L3DPartData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

uint32_t CountBones(const rcptr<L3DBoneData>& bones, uint32_t count) {
    uint32_t total = count;
    for (uint32_t i = 0; i < count; ++i)
        total += CountBones(bones[i].children, bones[i].childCount);
    return total;
}

void CollectBones(const rcptr<L3DBoneData>& bones, uint32_t count, L3DBoneData**& out) {
    for (uint32_t i = 0; i < count; ++i) {
        *out++ = &bones[i];
        CollectBones(bones[i].children, bones[i].childCount, out);
    }
}

// The bone at which a pre-order countdown from `left` reaches 1, as a handle into its
// siblings' array; empty when the tree ends first.
rcptr<L3DBoneData> CountDown(const rcptr<L3DBoneData>& bones, uint32_t count, uint32_t& left) {
    for (uint32_t i = 0; i < count; ++i) {
        if (left == 1) return bones.CopyOffset(i);
        --left;
        rcptr<L3DBoneData> found = CountDown(bones[i].children, bones[i].childCount, left);
        if (found) return found;
    }
    return {};
}

// The first bone of that name in pre-order.
rcptr<L3DBoneData> FindByName(const rcptr<L3DBoneData>& bones, uint32_t count, const char* name) {
    for (uint32_t i = 0; i < count; ++i) {
        if (DStrEqualsNoCase(bones[i].name, name) == 0) return bones.CopyOffset(i);
        rcptr<L3DBoneData> found = FindByName(bones[i].children, bones[i].childCount, name);
        if (found) return found;
    }
    return {};
}

}  // namespace

void L3DPartData::_BuildFlatBones() {
    flatBoneCount = CountBones(rootBones, rootBoneCount);
    flatBones.Allocate(flatBoneCount);
    L3DBoneData** out = flatBones.Get();
    CollectBones(rootBones, rootBoneCount, out);
}

rcptr<L3DBoneData> L3DPartData::_BoneFromNumber(uint32_t number) const {
    if (number == 0) return {};
    return CountDown(rootBones, rootBoneCount, number);
}

rcptr<L3DBoneData> L3DPartData::FindBone(const char* wanted) const {
    if (!wanted || wanted[0] == '\0') return {};
    return FindByName(rootBones, rootBoneCount, wanted);
}

rcptr<L3D_PARTDATA_VERTEXMAP> L3DPartData::FindWeightMap(const char* wanted) const {
    if (!wanted || wanted[0] == '\0') return {};
    for (uint32_t i = 0; i < weightMapCount; ++i)
        if (DStrEqualsNoCase(weightMaps[i].name, wanted) == 0) return weightMaps.CopyOffset(i);
    return {};
}

rcptr<L3D_PARTDATA_VERTEXMAP> L3DPartData::GetMmapDataFromNumber(uint32_t number) const {
    if (number == 0) return {};
    if (number > morphMapCount)
        l3dError(DSjis<"[L3DPartData::GetMmapDataFromNumber] "
                       "指定された番号のモーフマップが見つからない">());
    return morphMaps.CopyOffset(number - 1);
}
