// The frame loop's drawing and pacing decisions over its three cases: a network session sets
// the pace; a full-screen device presenting at the vertical blank; the pacer alone. Each row
// scripts the pacer's steps, the session's "behind" answers and the frames on which the device
// is lost, and lists what happened in order (see engine_fixture.h for the letters).
#include <gtest/gtest.h>

#include <set>

#include "engine/main_loop.h"
#include "framework/timer/timer.h"
#include "platform/d3d9/device.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

enum class Pacing { Session, Blank, Window };

struct PacingCase {
    const char* name;
    Pacing pacing;
    int frames;
    std::vector<bool> steps;   // the pacer's answers, in order
    std::vector<bool> behind;  // the session's answers, in order
    std::set<int> lostFrames;  // the device is lost during these frames
    const char* expected;
    int resets;  // device resets recorded
};

const PacingCase kPacingCases[] = {
    {"WindowDrawsUntilTheStepFallsBehind",
     Pacing::Window,
     5,
     {false, true, false},
     {},
     {},
     "U D r P U D r P U D s0 w P U D s1 w P U s0 w",
     0},
    {"WindowRedrawsAndRestartsAfterAFailedPresent",
     Pacing::Window,
     4,
     {true, true},
     {},
     {3},
     "U D r P U D r P U D s1 w U D r P",
     1},
    {"BlankPresentsThenSteps",
     Pacing::Blank,
     5,
     {false, true, false},
     {},
     {},
     "U D P m r U D P m r U D q P s0 U D q P s1 U s0",
     0},
    {"BlankRedrawsAndRestartsAfterAFailedPresent",
     Pacing::Blank,
     4,
     {true},
     {},
     {3},
     "U D P m r U D P m r U D q U D P m r",
     1},
    {"SessionSkipsDrawingWhileBehind",
     Pacing::Session,
     5,
     {},
     {false, false, true, false, false},
     {},
     "U D n0 r P ready U D n0 r P U D s0 n1 P U s0 n0 U D s0 n0 P n0 round",
     0},
    {"SessionForcesNoRedrawAfterAFailedPresent",
     Pacing::Session,
     5,
     {},
     {false, false, true, false, false},
     {3},
     "U D n0 r P ready U D n0 r P U D s0 n1 U s0 n0 U D s0 n0 P n0 round",
     1},
};

class PacingTest : public EngineTest, public testing::WithParamInterface<PacingCase> {};

TEST_P(PacingTest, FollowsTheDecisionTable) {
    const PacingCase& row = GetParam();
    System& system =
        startSystem(row.pacing == Pacing::Blank ? 0 : 2, row.pacing == Pacing::Session);
    ASSERT_EQ((system.device().flags() & L3DDevice::FlagPresentWaits) != 0,
              row.pacing == Pacing::Blank);
    if (net_) net_->behind = row.behind;
    pacer_.steps = row.steps;
    system.device().device()->recorder().setEnabled(true);

    auto engine = makeEngine(row.frames);
    engine->onUpdate = [&](TestEngine&, int frame) {
        failures().testCooperativeLevel = row.lostFrames.count(frame) ? D3DERR_DEVICELOST : D3D_OK;
    };
    runEngine(std::move(engine));

    EXPECT_EQ(log_.text(), row.expected);
    int resets = 0;
    for (const RecordedCall& call : system.device().device()->recorder().calls())
        resets += call.method == "Reset";
    EXPECT_EQ(resets, row.resets);
    EXPECT_FALSE(system.device().lost());
}

INSTANTIATE_TEST_SUITE_P(Cases, PacingTest, testing::ValuesIn(kPacingCases),
                         [](const testing::TestParamInfo<PacingCase>& info) {
                             return info.param.name;
                         });

using PacingWaitTest = EngineTest;

// Before a present that waits for the vertical blank the loop sleeps until 6 ms before the
// frame's due time, and not at all when less remains.
TEST_F(PacingWaitTest, BlankSleepsUntilSixMillisecondsBeforeTheDueTime) {
    const uint64_t millisecond = platform::os::kCounterFrequency / 1000;
    struct Row {
        uint64_t remaining;
        uint64_t sleptAtLeast, sleptBelow;
    };
    for (const Row& row : {Row{10 * millisecond, 4 * millisecond, 5 * millisecond},
                           Row{6 * millisecond, 0, 1}, Row{0, 0, 1}}) {
        SCOPED_TRACE(row.remaining);
        startSystem(0);
        pacer_.remainingTicks = row.remaining;
        auto engine = makeEngine(3);
        uint64_t before = 0;
        engine->onUpdate = [&](TestEngine&, int frame) {
            if (frame == 3) before = clock_.counter();
        };
        runEngine(std::move(engine));
        const uint64_t slept = clock_.counter() - before;
        EXPECT_GE(slept, row.sleptAtLeast);
        EXPECT_LT(slept, row.sleptBelow);
        // The allowance after each restart: 6 ms of timer ticks.
        EXPECT_EQ(pacer_.allowance, 6 * millisecond);
        stopSystem();
    }
}

TEST_F(PacingWaitTest, TimerPacerCountsTheRemainingTimeFromItsBase) {
    TimerFramePacer pacer(60);
    EXPECT_EQ(pacer.remaining(), 0u);  // nothing is due right after a reset
    pacer.step();
    const uint64_t frame = pelTimerGetFrequency() / 60;
    EXPECT_EQ(pacer.remaining(), frame);
    clock_.advanceTicks(frame / 4);
    EXPECT_EQ(pacer.remaining(), frame - frame / 4);
    clock_.advanceTicks(frame);
    EXPECT_EQ(pacer.remaining(), 0u);
    Engine::initPresentMargin(pacer);
    EXPECT_EQ(pacer.frame().lateAllowance, pelTimerGetFrequency() * 6 / 1000);
}

}  // namespace
}  // namespace tessera::test
