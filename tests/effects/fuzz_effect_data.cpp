// Fuzz target: an effect data file from arbitrary bytes, loaded against an empty definition
// (the first byte sets how many image definitions and models the check pretends to have), then
// every root played and stopped. Every failure must be the fatal LExceptGame.
#include "render3d/diagnostics/diagnostics.h"
#include "tests/effects/fuzz_effect_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    L3DEffectManager& manager = tessera::test::fuzzManager();
    manager.imageDefCount = data[0] & 0x0F;
    manager.modelCount = data[0] >> 4;
    const uint32_t pack = tessera::test::serveFuzzFile(data + 1, size - 1);
    static L3D_RENDERER_NNID nnid;
    try {
        const L3D_EFFECT_DATA* loaded = manager.LoadData(&nnid, pack, "fuzz");
        const float zero[3] = {}, turn[4] = {0, 0, 0, 1}, unit[3] = {1, 1, 1};
        const uint32_t user[2] = {};
        for (uint32_t r = 0; r < loaded->rootCount; ++r)
            manager.Play(loaded, r, 0, 1, zero, turn, unit, user, &nnid, nullptr, zero, nullptr);
        manager.StopByKey(&nnid);
        manager.StopAll();
    } catch (const LExceptGame&) {
    }
    // The counts were pretended: no table stands behind them.
    manager.imageDefCount = 0;
    manager.modelCount = 0;
    return 0;
}
