// The engine's default post effects: the screen effects of render3d/posteffect, set up from the
// System's device and video settings with the shaders beside the program and run over the 3D
// scene of every drawn frame; compatible rendering leaves the engine without them.
#include <gtest/gtest.h>

#include "engine/screen_post_effect.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {
namespace {

using ScreenPostEffectTest = EngineTest;

TEST_F(ScreenPostEffectTest, EnginesDrawThroughTheScreenEffectsUnlessRenderingIsCompatible) {
    for (const bool compatible : {false, true}) {
        SCOPED_TRACE(compatible ? "compatible rendering" : "post effects on");
        config_.video.flags = compatible ? PEL_D3D9_COMPATIBLE : 0;
        startSystem();
        auto engine = makeEngine(1);
        engine->logSprites = true;
        TestEngine* raw = engine.get();
        engine->onStart = [&] {
            auto* screen = dynamic_cast<ScreenPostEffect*>(raw->postEffect());
            ASSERT_EQ(screen != nullptr, !compatible);
            if (!screen) return;
            EXPECT_TRUE(screen->effect().active());
            screen->effect().addOverlayRequest({1, 0, 0, 0.5f});
            screen->effect().setPassTrace(
                [this](const char* pass, const L3DTexture*) { log_.add(pass); });
        };
        runEngine(std::move(engine));
        // The overlay runs over the scene, before the sprites.
        EXPECT_EQ(log_.text(), compatible ? "U D S r P" : "U D overlay copy S r P");
        stopSystem();
    }
}

}  // namespace
}  // namespace tessera::test
