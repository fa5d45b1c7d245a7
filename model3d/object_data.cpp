// Reading a whole model file in one forward pass: the container, the model's own sections,
// then parts, part groups, collision groups (or the old sections) and animations.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// Reads `count` records into one array, each set up by `prepare` before `load` reads it, and
// lists handles into that array.
template <class T, class Prepare, class LoadOne>
void ReadSection(DFile& file, uint32_t minRecordBytes, DList<T>& list, Prepare prepare,
                 LoadOne load) {
    list._EraseAllNodes();
    const uint32_t count = l3dReadModelCount(file, minRecordBytes);
    rcptr<T> records;
    records.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        prepare(records[i]);
        load(records[i]);
        list.AddTail(records.CopyOffset(i));
    }
}

}  // namespace

void L3DObjectData::Load(DFile& file) {
    if (lfmReadU32(file) != L3DObjectDataMagic)
        l3dError(DSjis<"[L3DObjectData::Load] ファイルの形式がおかしい">());
    const uint32_t version = lfmReadU32(file);
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DObjectData::Load] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    lfmReadString(file, name);
    const L3DModelPool modelPool = l3dReadModelPool(file, pool);
    if (version == 0) lfmReadU32(file);
    _LoadShader(file, version, modelPool, shaderOptions);
    _LoadTexArea(file, version, modelPool, texAreas);
    _LoadEvent(file, events, modelPool, version);

    auto noSetUp = [](auto&) {};
    auto setOwner = [this](auto& record) { record.owner = this; };
    // The smallest records: a part of empty tables, a part group, a collision group, an
    // animation of empty sections.
    ReadSection(file, 4 * 9, parts, noSetUp, [&](L3DPartData& part) { part._Load(file, version); });
    ReadSection(file, 8, partGroups, setOwner,
                [&](L3DPartGroupData& group) { group._Load(file, version); });
    if (version >= 4)
        ReadSection(file, 4 * 5, collGroups, setOwner,
                    [&](L3DCollGroupData& group) { group._Load(file, version); });
    else
        collGroups._EraseAllNodes();
    _SkipOldSections(file, version);
    ReadSection(file, 4 * 10, anims, setOwner,
                [&](L3DAnimData& anim) { anim._Load(file, version); });
}
