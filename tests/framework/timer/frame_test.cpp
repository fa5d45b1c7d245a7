// The frame pacer on clocks that move only when told.
#include <vector>

#include "framework/timer/frame.h"
#include "framework/timer/timer.h"
#include "tests/framework/timer/test_clock.h"
#include "tests/framework/timer/timer_fixture.h"

namespace {

using platform::os::ManualClock;
using tessera::test::TestClock;

class FramePacer : public tessera::test::TimerOn {
protected:
    void SetUp() override { start(clock_); }

    // The due time the next step will have.
    uint64_t nextDue(const PEL_FRAME& frame) const {
        return frame.due + ((frame.fraction + frame.ticksPerFrame) >> 16);
    }
    // Moves the clock to just before (on time) or onto (late) the next frame's due time and
    // steps.
    bool stepAt(PEL_FRAME& frame, bool late) {
        const uint64_t target = frame.baseTime + nextDue(frame) - (late ? 0 : 1);
        const uint64_t now = clock_.counter();
        if (target > now) clock_.advanceTicks(target - now);
        return pelFrameStep(&frame);
    }
    // Steps until a one-second window closes, drawing (stepping on time) until `drawn` frames
    // were drawn and stepping late after that. Returns the frames drawn.
    uint32_t runSecond(PEL_FRAME& frame, uint32_t drawn) {
        uint32_t count = 0;
        do {
            if (!stepAt(frame, count >= drawn)) ++count;
        } while (frame.stepsThisSecond != 0);
        return count;
    }

    ManualClock clock_{1'000'000};
};

TEST(FramePacerSetUp, TicksPerFrameRoundToNearest) {
    struct Case {
        uint64_t counterFrequency;
        uint32_t framesPerSecond;
        uint64_t ticksPerFrame;
    };
    const Case cases[] = {
        {500'000'001, 60, 1'092'267},  // refused counter: milliseconds
        {500'000'001, 120, 546'133},
        {10'000'000, 60, 10'922'666'667},
        {500'000'000, 60, 546'133'333'333},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.framesPerSecond);
        TestClock clock(c.counterFrequency);
        pelTimerFinalize();
        platform::os::setClock(&clock);
        pelTimerInitialize();
        PEL_FRAME frame;
        pelFrameInit(&frame, c.framesPerSecond);
        EXPECT_EQ(frame.ticksPerFrame, c.ticksPerFrame);
        EXPECT_EQ(frame.lateAllowance, 0u);
        EXPECT_EQ(frame.frameRate, c.framesPerSecond);
        pelTimerFinalize();
        platform::os::setClock(nullptr);
    }
}

TEST(FramePacerSetUp, MillisecondDueTimesAverageFiftyTicksPerThreeFrames) {
    TestClock clock(500'000'001);
    pelTimerFinalize();
    platform::os::setClock(&clock);
    pelTimerInitialize();
    PEL_FRAME frame;
    pelFrameInit(&frame, 60);
    uint64_t previous = 0;
    for (int i = 1; i <= 300; ++i) {
        pelFrameStep(&frame);
        const uint64_t step = frame.due - previous;
        EXPECT_TRUE(step == 16 || step == 17) << i;
        previous = frame.due;
        if (i % 3 == 0) {
            EXPECT_EQ(frame.due, static_cast<uint64_t>(i / 3 * 50));
        }
    }
    pelTimerFinalize();
    platform::os::setClock(nullptr);
}

TEST_F(FramePacer, OnTimeStepWaitsUntilTheDueTimeAndLateStepDoesNotWait) {
    PEL_FRAME frame;
    pelFrameInit(&frame, 60);
    clock_.advanceMilliseconds(4);
    EXPECT_FALSE(pelFrameStep(&frame));
    pelFrameWait(&frame);
    const uint64_t elapsed = clock_.counter() - frame.baseTime;
    EXPECT_GE(elapsed, frame.due);
    EXPECT_LT(elapsed, frame.due + 1000);  // a yield moves the manual clock 0.1 ms

    clock_.advanceMilliseconds(20);  // past the second frame's due time
    EXPECT_TRUE(pelFrameStep(&frame));
    const uint64_t before = clock_.counter();
    pelFrameWait(&frame);
    EXPECT_EQ(clock_.counter(), before);
}

TEST_F(FramePacer, LatenessAllowanceLetsALateFrameDrawWithoutWaiting) {
    PEL_FRAME frame;
    pelFrameInit(&frame, 60);
    frame.lateAllowance = pelTimerGetFrequency() * 6 / 1000;
    // 5.9 ms past the due time: still drawn.
    clock_.advanceTicks(nextDue(frame) + 59'000);
    EXPECT_FALSE(pelFrameStep(&frame));
    const uint64_t before = clock_.counter();
    pelFrameWait(&frame);
    EXPECT_EQ(clock_.counter(), before);
    // 6 ms past: behind.
    clock_.advanceTicks(nextDue(frame) + 60'000 - (clock_.counter() - frame.baseTime));
    EXPECT_TRUE(pelFrameStep(&frame));
    // A reset keeps the allowance.
    pelFrameReset(&frame);
    EXPECT_EQ(frame.lateAllowance, 60'000u);
}

TEST_F(FramePacer, SkipLevelTwoSkipsTwoOfEveryThreeSteps) {
    PEL_FRAME frame;
    pelFrameInit(&frame, 60);
    frame.skipLevel = 2;
    std::vector<bool> results;
    for (int i = 0; i < 9; ++i) results.push_back(stepAt(frame, false));
    EXPECT_EQ(results,
              (std::vector<bool>{true, true, false, true, true, false, true, true, false}));
}

TEST_F(FramePacer, EveryStepLateStillDrawsOneFrameASecond) {
    PEL_FRAME frame;
    pelFrameInit(&frame, 60);
    const uint64_t second = pelTimerGetFrequency();
    uint64_t lastDrawn = frame.baseTime;
    uint64_t previousNow = lastDrawn;
    int drawn = 0;
    for (int i = 0; i < 600; ++i) {
        // Every frame takes 1/50 s, so the schedule falls further behind at every step.
        clock_.advanceTicks(second / 50);
        const uint64_t now = clock_.counter();
        if (!pelFrameStep(&frame)) {
            // The first step at least a second after the last drawn frame.
            EXPECT_GE(now - lastDrawn, second);
            EXPECT_LT(previousNow - lastDrawn, second);
            lastDrawn = now;
            ++drawn;
        }
        previousNow = now;
    }
    EXPECT_EQ(drawn, 12);  // 12 seconds of steps
}

TEST_F(FramePacer, SlowSecondsRaiseTheLevelUpToFour) {
    PEL_FRAME frame;
    pelFrameInit(&frame, 60);
    struct Second {
        uint32_t drawn;
        uint32_t levelAfter;
    };
    // clang-format off
    const std::vector<Second> seconds = {
        // Level 0, limit 60: 59 drawn is good, 58 slow; five slow seconds after a good one
        // raise the level.
        {59, 0}, {58, 0}, {58, 0}, {58, 0}, {58, 0}, {58, 1},
        // Level 1, limit 30: a good second restarts the count; after a raise it takes six.
        {28, 1}, {28, 1}, {29, 1}, {28, 1}, {28, 1}, {28, 1}, {28, 1}, {28, 2},
        // Level 2, limit 20; level 3, limit 15.
        {18, 2}, {18, 2}, {18, 2}, {18, 2}, {18, 2}, {18, 3},
        {13, 3}, {13, 3}, {13, 3}, {13, 3}, {13, 3}, {13, 4},
        // Level 4, limit 12: the level stays at 4.
        {11, 4}, {10, 4}, {10, 4}, {10, 4}, {10, 4}, {10, 4}, {10, 4}, {10, 4},
    };
    // clang-format on
    for (size_t i = 0; i < seconds.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(runSecond(frame, seconds[i].drawn), seconds[i].drawn);
        EXPECT_EQ(frame.drawnLastSecond, seconds[i].drawn);
        EXPECT_EQ(frame.skipLevel, seconds[i].levelAfter);
    }
    pelFrameReset(&frame);
    EXPECT_EQ(frame.skipLevel, 0u);
    EXPECT_EQ(frame.slowSeconds, -1);
}

}  // namespace
