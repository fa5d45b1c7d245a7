// The texture-area section of a model: one array of areas, listed in file order.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

void L3DObjectData::_LoadTexArea(DFile& file, uint32_t version, const L3DModelPool& pool,
                                 DList<L3D_OBJDATA_TEXAREA>& list) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DObjectData::_LoadTexArea] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    list._EraseAllNodes();
    const uint32_t count = lfmReadU32(file);
    constexpr uint32_t recordBytes = 4 * 12 + 4 * 4;
    l3dCheckModelCount(file, count, recordBytes);
    rcptr<L3D_OBJDATA_TEXAREA> areas;
    areas.Allocate(count);
    for (uint32_t i = 0; i < count; ++i) {
        L3D_OBJDATA_TEXAREA& area = areas.Get()[i];
        area.areaName = l3dReadNameRef(file, pool);
        area.partName = l3dReadNameRef(file, pool);
        area.materialName = l3dReadNameRef(file, pool);
        area.textureName = l3dReadNameRef(file, pool);
        area.u = lfmReadF32(file);
        area.v = lfmReadF32(file);
        area.width = lfmReadF32(file);
        area.height = lfmReadF32(file);
        list.AddTail(areas.CopyOffset(i));
    }
}
