// The natives both engine kinds share, called from the main script of each kind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/script/core_natives.h"
#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/engine_switch.h"
#include "engine/script_engines/simple_engine.h"
#include "framework/core/random.h"
#include "render3d/L3DRenderer.h"
#include "tests/engine/script_engines/script_engines_fixture.h"

namespace tessera::test {
namespace {

enum class Kind { Bootstrap, ScriptOnly };

class SharedNativesTest : public ScriptEnginesTest, public testing::WithParamInterface<Kind> {
protected:
    // A started engine of the parameter's kind running "natives", taken off the System's
    // next-engine slot (the test deletes it).
    std::unique_ptr<ScriptedEngine> startEngine() {
        installScript("natives");
        ScriptedEngine* engine =
            GetParam() == Kind::Bootstrap
                ? static_cast<ScriptedEngine*>(prepareNextSimpleEngine(*system_, u"natives"))
                : prepareNextBasicEngine(*system_, u"natives", nullptr);
        system_->setNextEngine(nullptr);
        engine->start();
        return std::unique_ptr<ScriptedEngine>(engine);
    }
    bool messaged(const char16_t* text) const {
        return reported(PEL_REPORT_MESSAGE, std::u16string(u"[] Script Error: ") + text);
    }
};

TEST_P(SharedNativesTest, ParametersGrowOnlyAndIndicesOutsideReadEmptyAndWriteNothing) {
    startSystem();
    std::unique_ptr<ScriptedEngine> engine = startEngine();
    const ScriptObject result = call(*engine, u"parameters");
    EXPECT_EQ(result.getInt(u"intCount"), 4);
    EXPECT_EQ(system_->parameters().ints, (std::vector<int32_t>{0, 0x43, 0, 0}));
    EXPECT_EQ(result.getInt(u"intValue"), 0x43);
    EXPECT_EQ(result.getInt(u"intPast"), 0);
    EXPECT_EQ(result.getInt(u"intNegative"), 0);
    EXPECT_EQ(system_->parameters().strings, (std::vector<std::u16string>{u"", u"名前"}));
    EXPECT_EQ(std::u16string(result.getString(u"stringValue")), u"名前");
    EXPECT_EQ(std::u16string(result.getString(u"stringPast")), u"");
    EXPECT_TRUE(messaged(u"integer parameter index out of range(4)"));
    EXPECT_TRUE(messaged(u"integer parameter index out of range(-1)"));
    EXPECT_TRUE(messaged(u"string parameter index out of range(2)"));
}

TEST_P(SharedNativesTest, SystemNativesOfflineAndInASession) {
    struct Case {
        bool session;
        bool netSync;
        int32_t count, id, connect;
        bool ready;
    };
    for (const Case& c : {Case{false, false, 1, -1, 0, true}, Case{true, true, 2, 0, 1, true}}) {
        SCOPED_TRACE(c.session);
        config_.gameVersion = 0x01020304;
        startSystem(2, c.session);
        {
            std::unique_ptr<ScriptedEngine> engine = startEngine();
            const ScriptObject result = call(*engine, u"system");
            EXPECT_FALSE(result.getBool(u"debug"));
            EXPECT_EQ(result.getSlot(u"screen").getInt(u"width"), 160);
            EXPECT_EQ(result.getSlot(u"screen").getInt(u"height"), 120);
            EXPECT_EQ(result.getBool(u"netSync"), c.netSync);
            EXPECT_EQ(result.getInt(u"netCount"), c.count);
            EXPECT_EQ(result.getInt(u"netId"), c.id);
            EXPECT_EQ(result.getInt(u"netConnect"), c.connect);
            EXPECT_EQ(result.getBool(u"netReady"), c.ready);
            EXPECT_EQ(result.getInt(u"version"), 0x01020304);
        }
        stopSystem();
    }
}

// The headless System has a virtual controller for player 0 only (the keyboard's row).
TEST_P(SharedNativesTest, ControllersReadTheirPlanesAndOnlyRealControllersExist) {
    startSystem();
    std::unique_ptr<ScriptedEngine> engine = startEngine();
    ASSERT_NE(engine->controller(0), nullptr);
    // The script-only engine fills the empty slots with controllers that read nothing.
    EXPECT_EQ(engine->controller(1) != nullptr, GetParam() == Kind::ScriptOnly);
    engine->controller(0)->held[3] = 1;
    engine->controller(0)->pressed[4] = 1;
    const ScriptObject result = call(*engine, u"controllers");
    const ScriptObject exist = result.getSlot(u"exist");
    const bool expectedExist[] = {true, true, false, false, false};
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(exist.getBoolAt(i), expectedExist[i]) << i;
    const ScriptObject status = result.getSlot(u"status");
    const bool expectedStatus[] = {true, true, false, false};
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(status.getBoolAt(i), expectedStatus[i]) << i;
    const ScriptObject event = result.getSlot(u"event");
    const bool expectedEvent[] = {false, true, false};
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(event.getBoolAt(i), expectedEvent[i]) << i;
    EXPECT_TRUE(messaged(u"controller player out of range(4)"));
    EXPECT_TRUE(messaged(u"controller button out of range(16)"));
    EXPECT_TRUE(messaged(u"controller button out of range(-1)"));
}

// Engines seeded by the session draw the same sequence: the generator's values times 2^-32
// rounded once to float, and the ranges of randomRangeInt.
TEST_P(SharedNativesTest, EnginesSeededAlikeDrawTheSameRandomNumbers) {
    startSystem(2, true);
    net_->seed = 0xC0FFEE;
    PEL_RAND* values = pelRandCreate(0xC0FFEE);
    std::vector<float> expectedValues;
    std::vector<int32_t> expectedRanges;
    for (int i = 0; i < 8; ++i) {
        expectedValues.push_back(static_cast<float>(pelRandNext(values) / 4294967296.0));
        // The script draws a value, then a range, from the one generator.
        expectedRanges.push_back(randomRangeInt(6, -2, values));
    }
    std::free(values);
    for (int run = 0; run < 2; ++run) {
        std::unique_ptr<ScriptedEngine> engine = startEngine();
        const ScriptObject result = call(*engine, u"random");
        for (int32_t i = 0; i < 8; ++i) {
            EXPECT_EQ(result.getSlot(u"values").getFloatAtOr(i, -1.0f), expectedValues[i]) << i;
            EXPECT_EQ(result.getSlot(u"ranges").getIntAtOr(i, 99), expectedRanges[i]) << i;
        }
    }
}

TEST_P(SharedNativesTest, AudioVolumesOutsideTheThreeTypesAreIgnored) {
    startSystem();
    std::unique_ptr<ScriptedEngine> engine = startEngine();
    call(*engine, u"volumes");
    EXPECT_EQ(system_->soundVolume(0), 1.0f);
    EXPECT_EQ(system_->soundVolume(1), 0.5f);
    EXPECT_EQ(system_->soundVolume(2), 1.0f);
    EXPECT_EQ(system_->renderer()->seManager->_GetTypeVolume(1), 0.5f);
    EXPECT_TRUE(messaged(u"audio type out of range(3)"));
    EXPECT_TRUE(messaged(u"audio type out of range(-1)"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SharedNativesTest,
                         testing::Values(Kind::Bootstrap, Kind::ScriptOnly),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return info.param == Kind::Bootstrap ? "Bootstrap" : "ScriptOnly";
                         });

}  // namespace
}  // namespace tessera::test
