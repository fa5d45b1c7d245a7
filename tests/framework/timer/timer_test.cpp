// The timer module's clock and waits, on clocks that move only when told.
#include <thread>
#include <vector>

#include "framework/timer/timer.h"
#include "tests/framework/support/report_capture.h"
#include "tests/framework/timer/test_clock.h"
#include "tests/framework/timer/timer_fixture.h"

namespace {

using tessera::test::ReportCapture;
using tessera::test::TestClock;
using Timer = tessera::test::TimerOn;

TEST_F(Timer, CounterIsUsedUpToFiveHundredMegahertz) {
    struct Case {
        uint64_t counterFrequency;
        uint64_t ticksPerSecond;
        const char16_t* report;
    };
    const Case cases[] = {
        {10'000'000, 10'000'000,
         u"Information: [pelTimerSetEnable64] enable performance counter(10000000)"},
        {500'000'000, 500'000'000,
         u"Information: [pelTimerSetEnable64] enable performance counter(500000000)"},
        {500'000'001, 1000, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.counterFrequency);
        TestClock clock(c.counterFrequency, 7);
        ReportCapture reports;
        start(clock);
        EXPECT_EQ(pelTimerGetFrequency(), c.ticksPerSecond);
        clock.advanceMilliseconds(5);
        // The counter's own value, or milliseconds since start-up.
        EXPECT_EQ(pelTimerGetTick(), c.report ? c.counterFrequency * 12 / 1000 : 5u);
        if (c.report) {
            ASSERT_EQ(ReportCapture::entries().size(), 1u);
            EXPECT_EQ(ReportCapture::entries()[0].level, PEL_REPORT_INFORMATION);
            EXPECT_EQ(ReportCapture::entries()[0].text, c.report);
        } else {
            EXPECT_TRUE(ReportCapture::entries().empty());
        }
        pelTimerFinalize();
        EXPECT_EQ(pelTimerGetFrequency(), 1000u);
    }
}

TEST_F(Timer, SwitchingTheCounterOffReportsAndFallsBackToMilliseconds) {
    platform::os::ManualClock clock(123'456'789);
    start(clock);
    ReportCapture reports;
    pelTimerSetEnable64(false);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].text,
              u"Information: [pelTimerSetEnable64] disable performance counter");
    EXPECT_EQ(pelTimerGetFrequency(), 1000u);
    pelTimerSetEnable64(false);  // already off: nothing
    EXPECT_EQ(ReportCapture::entries().size(), 1u);
    clock.advanceMilliseconds(40);
    EXPECT_EQ(pelTimerGetTick(), 40u);
}

TEST_F(Timer, MillisecondClockStartsAtZeroAndPassesTheWrap) {
    // Five milliseconds before the 32-bit millisecond clock wraps.
    TestClock clock(500'000'001, 0xFFFFFFFFull - 4);
    start(clock);
    EXPECT_EQ(pelTimerGetTick(), 0u);
    uint64_t previous = 0;
    for (int i = 0; i < 20; ++i) {
        clock.advanceMilliseconds(1);
        const uint64_t tick = pelTimerGetTick();
        EXPECT_EQ(tick, previous + 1);
        previous = tick;
    }
}

TEST_F(Timer, MillisecondClockStaysConsistentAcrossThreads) {
    TestClock clock(500'000'001);
    start(clock);
    constexpr int kReaders = 4;
    constexpr int kSteps = 2000;
    std::atomic<bool> done{false};
    std::atomic<int> backwards{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < kReaders; ++r)
        readers.emplace_back([&] {
            uint64_t last = 0;
            while (!done.load()) {
                const uint64_t tick = pelTimerGetTick();
                if (tick < last) ++backwards;
                last = tick;
            }
        });
    for (int i = 0; i < kSteps; ++i) {
        clock.advanceMilliseconds(1);
        pelTimerGetTick();
    }
    done = true;
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(backwards.load(), 0);
    EXPECT_EQ(pelTimerGetTick(), static_cast<uint64_t>(kSteps));
}

TEST_F(Timer, WaitsOfNothingReturnAtOnce) {
    TestClock clock(10'000'000);
    start(clock);
    pelTimerWait(0);
    pelTimerWait(-5);
    pelTimerWaitMs(0);
    EXPECT_TRUE(clock.sleeps().empty());
    EXPECT_EQ(clock.counter(), 0u);
}

TEST_F(Timer, CounterWaitSleepsAllButTheLastThreeMillisecondsThenYields) {
    TestClock clock(10'000'000);
    start(clock);
    pelTimerWait(10 * 10'000 + 5);  // 10 ms and half a tenth
    const std::vector<uint32_t> sleeps = clock.sleeps();
    ASSERT_FALSE(sleeps.empty());
    EXPECT_EQ(sleeps[0], 7u);
    for (size_t i = 1; i < sleeps.size(); ++i) EXPECT_EQ(sleeps[i], 0u);
    EXPECT_GE(clock.counter(), 100'005u);
    EXPECT_LT(clock.counter(), 100'005u + 1000);
}

TEST_F(Timer, MillisecondWaitOfTwoOnlyYields) {
    TestClock clock(500'000'001);
    start(clock);
    const uint32_t before = clock.milliseconds();
    pelTimerWaitMs(2);
    for (uint32_t slept : clock.sleeps()) EXPECT_EQ(slept, 0u);
    EXPECT_GE(clock.milliseconds() - before, 2u);

    // Through the tick wait while the counter is off: a tick is a millisecond.
    const uint32_t again = clock.milliseconds();
    pelTimerWait(9);
    const std::vector<uint32_t> sleeps = clock.sleeps();
    EXPECT_NE(std::find(sleeps.begin(), sleeps.end(), 6u), sleeps.end());
    EXPECT_GE(clock.milliseconds() - again, 9u);
}

TEST(TimerOnTheSystemClock, RealWaitsLastAtLeastWhatWasAsked) {
    platform::os::setClock(nullptr);
    pelTimerInitialize();
    const uint64_t frequency = pelTimerGetFrequency();
    const uint64_t ticks = frequency * 12 / 1000;
    const uint64_t before = pelTimerGetTick();
    pelTimerWait(static_cast<int64_t>(ticks));
    EXPECT_GE(pelTimerGetTick() - before, ticks);

    platform::os::Clock& clock = platform::os::clock();
    const uint32_t start = clock.milliseconds();
    pelTimerWaitMs(5);
    EXPECT_GE(clock.milliseconds() - start, 5u);
    pelTimerFinalize();
}

}  // namespace
