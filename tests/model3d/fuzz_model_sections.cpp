// Fuzz target: the model's whole-model sections over arbitrary bytes. The first byte is the
// version; then a pool, shader options, texture areas, events and the old sections are read in
// turn. Every failure must be the fatal LExceptGame, never a crash or a read outside a table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/memory_stream.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    l3dDiagMode = 0;  // no message boxes, nothing kept
    if (size == 0) return 0;
    const uint32_t version = data[0] % (L3DObjectDataMaxVersion + 1);
    DFile file;
    tessera::test::attachMemory(file,
                                std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    try {
        DString poolText;
        const L3DModelPool pool = l3dReadModelPool(file, poolText);
        DList<L3D_RENDERER_SHADEROPT> options;
        DList<L3D_OBJDATA_TEXAREA> areas;
        L3DObjectData::_LoadShader(file, version, pool, options);
        L3DObjectData::_LoadTexArea(file, version, pool, areas);
        DList<L3D_OBJDATA_EVENT> events;
        L3DObjectData::_LoadEvent(file, events, pool, version);
        L3DObjectData::_SkipOldSections(file, version);
        // Touch every resolved name so that ASan sees a reference outside its pool.
        volatile char sink = 0;
        for (auto it = areas._GetFirstNode(); it != areas._GetEndNode(); it = it.Next()) {
            const L3D_NAMEREF& name = it.GetRef()->areaName;
            for (uint32_t i = 0; i < name.length; ++i) sink = sink ^ name.text[i];
        }
    } catch (const LExceptGame&) {
    }
    return 0;
}
