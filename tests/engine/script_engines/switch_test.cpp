// Engine switching: the switch natives build the next engine, hand it its directory and
// arguments across VMs, and the main loop runs it.
#include <gtest/gtest.h>

#include "engine/main_loop.h"
#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/engine_switch.h"
#include "engine/script_engines/simple_engine.h"
#include "tests/engine/script_engines/script_engines_fixture.h"

namespace tessera::test {
namespace {

class SwitchTest : public ScriptEnginesTest {};

TEST_F(SwitchTest, ArgumentsCrossIntoTheScriptOnlyEnginesVm) {
    System& system = startSystem();
    installScript("switch");
    installScript("args");
    // "discarded" has no script: were it run, the loop would never end.
    prepareNextSimpleEngine(system, u"switch");
    runMainLoop(system);
    ASSERT_EQ(system.parameters().ints.size(), 1u);
    EXPECT_EQ(system.parameters().ints[0], 3);
    EXPECT_EQ(system.parameters().strings[0], u"ステージ32.5");
    EXPECT_EQ(system.nextEngine(), nullptr);
}

TEST_F(SwitchTest, WithoutArgumentsTheArgumentsAreNull) {
    System& system = startSystem();
    installScript("noargs");
    installScript("args");
    prepareNextSimpleEngine(system, u"noargs");
    runMainLoop(system);
    ASSERT_EQ(system.parameters().ints.size(), 1u);
    EXPECT_EQ(system.parameters().ints[0], -1);
}

TEST_F(SwitchTest, ThePreparedEngineHasItsDirectoryAndArgumentsButNoScriptYet) {
    System& system = startSystem();
    basic::Engine* engine = prepareNextBasicEngine(system, u"Menu", nullptr);
    EXPECT_EQ(system.nextEngine(), engine);
    EXPECT_EQ(std::u16string(engine->scriptDirectory()), u"menu/");
    EXPECT_EQ(engine->scriptRoot(), nullptr);
    EXPECT_EQ(engine->argumentBuffer(), nullptr);
}

TEST_F(SwitchTest, ANextEngineReplacedBeforeItRanIsDeleted) {
    System& system = startSystem();
    bool firstDeleted = false;
    bool secondDeleted = false;
    std::unique_ptr<TestEngine> first = makeEngine(1);
    std::unique_ptr<TestEngine> second = makeEngine(1);
    first->deleted = &firstDeleted;
    second->deleted = &secondDeleted;
    recordNextEngine(system, first.release());
    recordNextEngine(system, second.get());
    EXPECT_TRUE(firstDeleted);
    EXPECT_FALSE(secondDeleted);
    EXPECT_EQ(system.nextEngine(), second.get());
    system.setNextEngine(nullptr);
}

TEST_F(SwitchTest, AMissingMainOrSeListIsSilent) {
    System& system = startSystem();
    for (bool bootstrap : {true, false}) {
        ScriptedEngine* engine =
            bootstrap ? static_cast<ScriptedEngine*>(prepareNextSimpleEngine(system, u"nothing"))
                      : prepareNextBasicEngine(system, u"nothing", nullptr);
        system.setNextEngine(nullptr);
        engine->start();
        EXPECT_NE(engine->mainTask(), nullptr);
        EXPECT_EQ(engine->seGroup(), nullptr);
        EXPECT_EQ(std::u16string(engine->scriptRoot()), u"nothing/");
        engine->update();
        delete engine;
    }
    for (const auto& entry : ReportCapture::entries()) {
        EXPECT_GT(entry.level, PEL_REPORT_WARNING);
        EXPECT_EQ(entry.text.find(u"Script Error"), std::u16string::npos);
    }
}

}  // namespace
}  // namespace tessera::test
