// Fuzz target: an effect data file from arbitrary bytes, loaded against a definition of blank
// image definitions (the low half of the first byte gives their number) and pretended models
// (the high half), then every root played for a few frames of the effect task and stopped.
// Every failure must be the fatal LExceptGame, and every task must end.
#include "render3d/diagnostics/diagnostics.h"
#include "tests/effects/fuzz_effect_files.h"

namespace {

constexpr uint32_t kFrames = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    L3DEffectManager& manager = tessera::test::fuzzManager();
    manager.imageDefCount = data[0] & 0x0F;
    manager.imageDefs.Allocate(manager.imageDefCount);
    for (uint32_t d = 0; d < manager.imageDefCount; ++d) manager.imageDefs[d] = {};
    manager.modelCount = data[0] >> 4;
    const uint32_t pack = tessera::test::serveFuzzFile(data + 1, size - 1);
    static L3D_RENDERER_NNID nnid;
    try {
        const L3D_EFFECT_DATA* loaded = manager.LoadData(&nnid, pack, "fuzz");
        const float zero[3] = {}, turn[4] = {0, 0, 0, 1}, unit[3] = {1, 1, 1};
        const float pointA[3] = {0, 0, 0}, pointB[3] = {0, 1, 0};
        const uint32_t user[2] = {};
        for (uint32_t r = 0; r < loaded->rootCount; ++r)
            manager.Play(loaded, r, 0, kFrames, zero, turn, unit, user, &nnid, nullptr, pointA,
                         pointB);
        for (uint32_t f = 0; f < kFrames; ++f) {
            if (f == kFrames / 2) manager.StopByKey(&nnid);
            manager.Task();
        }
        manager.StopAll();
    } catch (const LExceptGame&) {
    }
    // The model count was pretended: no table stands behind it.
    manager.StopAll();
    manager.imageDefCount = 0;
    manager.imageDefs.Reset();
    manager.modelCount = 0;
    return 0;
}
