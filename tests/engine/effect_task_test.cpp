// The frame loop's effect task: bit 0 of the frame flags after a frame whose effect task
// stepped a part drawn with an order-dependent blend, kept while the task is switched off.
#include <gtest/gtest.h>

#include <vector>

#include "effects/L3DEffectManager.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/L3DRenderer.h"
#include "tests/engine/engine_fixture.h"
#include "tools/writers/effect_writers.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

using EngineEffectTask = EngineTest;

TEST_F(EngineEffectTask, FrameFlagBitZeroFollowsTheLastEffectTask) {
    // Image definition 0 blends by mode 0 (order-dependent), definition 1 by mode 1.
    EffectDefinition definition;
    definition.imageOptions = {0};
    definition.imageDefs.resize(2);
    definition.imageDefs[1].blend = 1;
    writeBesideExecutable("effect/def.dat", effectDefinitionFile(definition));
    ASSERT_TRUE(writePng(writeBesideExecutable("effect/def0.png", ""), 2, 2,
                         std::vector<uint32_t>(4, 0xFFFFFFFFu)));
    // Root r holds image r from frame 0 and ends at frame 3.
    EffectData data;
    for (uint32_t image = 0; image < 2; ++image) {
        EffectRoot root;
        root.rootPart.events = {{0, 3, {image, static_cast<uint32_t>(-1), 0}}, {3, 0, {}}};
        data.roots.push_back(root);
    }
    writeBesideExecutable("effect/data.dat", effectDataFile(data));

    startSystem();
    L3DRenderer& renderer = *system_->renderer();
    ASSERT_TRUE(renderer.effectManager);
    L3DEffectManager& effects = *renderer.effectManager;
    const uint32_t pack = lfmRegistPack("");
    effects.SetProp(pack, "effect/def");
    const L3D_EFFECT_DATA* loaded =
        effects.LoadData(renderer.names.AddNnid("effect/data"), pack, "effect/data");

    struct Case {
        uint32_t root;
        std::vector<uint32_t> flags;  // of frames 1 to 6
    };
    // Played in frame 1; the task is off in frames 3 and 4; the effect ends in frame 6.
    const Case cases[] = {{0, {1, 1, 1, 1, 1, 0}}, {1, {0, 0, 0, 0, 0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        auto engine = makeEngine(6);
        TestEngine* running = engine.get();
        std::vector<uint32_t> flags;
        engine->onUpdate = [&](TestEngine& e, int frame) {
            const float origin[3] = {}, unturned[4] = {0, 0, 0, 1}, unscaled[3] = {1, 1, 1};
            if (frame == 1)
                effects.PlayAt(nullptr, nullptr, loaded, c.root, L3DEffectEndless, origin, unturned,
                               unscaled);
            if (frame == 3) e.setTaskEnable(false);
            if (frame == 5) e.setTaskEnable(true);
        };
        engine->onDraw = [&] { flags.push_back(running->frameFlags()); };
        runEngine(std::move(engine));
        EXPECT_EQ(flags, c.flags);
        EXPECT_EQ(effects.active, nullptr);
    }
}

}  // namespace
}  // namespace tessera::test
