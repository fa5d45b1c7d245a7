// The frame natives: a script's redraw request reaches the frame loop of its engine.
#include <gtest/gtest.h>

#include "engine/main_loop.h"
#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/engine_switch.h"
#include "tests/engine/script_engines/script_engines_fixture.h"

namespace tessera::test {
namespace {

class FrameNativesTest : public ScriptEnginesTest {
protected:
    // Runs "frames" (five frames) asking for a redraw on `resetFrame` (0: never) while the
    // pacer asks to skip every frame; the log of the pacer and the presents.
    std::string runFrames(int32_t resetFrame) {
        startSystem();
        installScript("frames");
        system_->parameters().ints = {resetFrame};
        prepareNextBasicEngine(*system_, u"frames", nullptr)->setPacer(&pacer_);
        pacer_.steps = {true, true, true, true, true};
        runMainLoop(*system_);
        const std::string log = log_.text();
        stopSystem();
        return log;
    }
};

TEST_F(FrameNativesTest, ResetFrameControllerDrawsTheNextFrameAndRestartsThePacer) {
    EXPECT_EQ(runFrames(0), "r P r P s1 w P s1 w s1 w");
    EXPECT_EQ(runFrames(4), "r P r P s1 w P r P s1 w P");
}

}  // namespace
}  // namespace tessera::test
