// Fuzz target: the effect definition file from arbitrary bytes. Every failure must be the
// fatal LExceptGame, never a crash, a read outside a table or a huge allocation.
#include "render3d/diagnostics/diagnostics.h"
#include "tests/effects/fuzz_effect_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    L3DEffectManager& manager = tessera::test::fuzzManager();
    const uint32_t pack = tessera::test::serveFuzzFile(data, size);
    try {
        manager.SetProp(pack, "fuzz");
        // Touch every index so that ASan sees one outside its model.
        volatile uint32_t sink = 0;
        for (uint32_t m = 0; m < manager.modelCount; ++m)
            for (uint32_t i = 0; i < manager.models[m].indexCount; ++i)
                sink = sink + static_cast<uint32_t>(
                                  manager.models[m].vertices[manager.models[m].indices[i]].s);
    } catch (const LExceptGame&) {
    }
    return 0;
}
