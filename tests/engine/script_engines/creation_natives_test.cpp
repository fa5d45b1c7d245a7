// The four natives through which the bootstrap engine's scripts create the older layer's
// images, fonts and renderers.
#include <gtest/gtest.h>

#include "engine/script_engines/engine_switch.h"
#include "engine/script_engines/simple_engine.h"
#include "engine/spriterect/sprite_rect_layer.h"
#include "tests/engine/script_engines/script_engines_fixture.h"

namespace tessera::test {
namespace {

class CreationNativesTest : public ScriptEnginesTest {};

TEST_F(CreationNativesTest, RendererSizesAndLevelCountsAreBounded) {
    startSystem();
    installScript("creation");
    std::unique_ptr<simple::Engine> engine(prepareNextSimpleEngine(*system_, u"creation"));
    system_->setNextEngine(nullptr);
    engine->start();
    const ScriptObject result = call(*engine, u"create");
    ASSERT_EQ(result.getType(), OT_TABLE);

    const SpriteRectIds& ids = engine->spriteRectLayer()->ids();
    const SpriteRectRenderer* deep =
        ids.renderers.find(spriteRectIdOf(result.getUserPointer(u"deep")));
    const SpriteRectRenderer* flat =
        ids.renderers.find(spriteRectIdOf(result.getUserPointer(u"flat")));
    ASSERT_NE(deep, nullptr);
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(deep->width, 0u);
    EXPECT_EQ(deep->levelCount, 4096u);
    EXPECT_EQ(flat->levelCount, 0u);
    EXPECT_TRUE(
        reported(PEL_REPORT_MESSAGE, u"[] Script Error: renderer levels out of range(100000)"));
    EXPECT_TRUE(result.getBool(u"font"));
}

}  // namespace
}  // namespace tessera::test
