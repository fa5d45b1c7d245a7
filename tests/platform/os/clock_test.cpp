#include "platform/os/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace platform::os {
namespace {

TEST(Clock, SystemClockAdvancesAndSleeps) {
    SystemClock system;
    EXPECT_EQ(system.counterFrequency(), kCounterFrequency);
    const uint64_t start = system.counter();
    const uint32_t startMs = system.milliseconds();
    system.sleep(20);
    EXPECT_GE(system.counter() - start, 20 * kCounterFrequency / 1000);
    EXPECT_GE(static_cast<uint32_t>(system.milliseconds() - startMs), 19u);
    system.sleep(0);
}

TEST(Clock, ManualClockMovesOnlyWhenToldAndIsInstalledProcessWide) {
    ManualClock manual(0xFFFFFFFFull * 10'000);  // just before the millisecond clock wraps
    setClock(&manual);
    EXPECT_EQ(&clock(), &manual);
    EXPECT_EQ(clock().milliseconds(), 0xFFFFFFFFu);
    clock().sleep(2);
    EXPECT_EQ(clock().milliseconds(), 1u);  // wrapped, as the 32-bit clock does
    const uint64_t before = clock().counter();
    clock().sleep(0);
    EXPECT_EQ(clock().counter() - before, kCounterFrequency / 10'000);
    manual.advanceTicks(5);
    EXPECT_EQ(clock().counter() - before, kCounterFrequency / 10'000 + 5);
    setClock(nullptr);
    EXPECT_NE(&clock(), &manual);
}

TEST(Clock, CalendarTimeIsTheSystemsUnlessTheManualClockFixesIt) {
    SystemClock system;
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    const int64_t now = system.calendarSeconds();
    EXPECT_GE(now, before);
    EXPECT_LE(now, static_cast<int64_t>(std::time(nullptr)));
    ManualClock manual;
    manual.setCalendarSeconds(0x1'0000'0005);
    manual.advanceMilliseconds(5000);
    EXPECT_EQ(manual.calendarSeconds(), 0x1'0000'0005);
}

}  // namespace
}  // namespace platform::os
