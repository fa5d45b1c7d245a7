// The virtual 60 Hz vertical blank, on a manual clock.
#include <gtest/gtest.h>

#include "platform/os/clock.h"
#include "platform/window/vertical_blank.h"

namespace {

using platform::os::kCounterFrequency;
using platform::window::nextVerticalBlank;

TEST(VerticalBlank, BlanksFallOnSixtiethsOfASecond) {
    struct Case {
        std::uint64_t counter, blank;
    };
    // 10 MHz counter: a frame lasts 166666.67 ticks; blank n at floor(n * 10^7 / 60).
    const Case cases[] = {
        {0, 166666},
        {166665, 166666},
        {166666, 333333},
        {333332, 333333},
        {kCounterFrequency - 1, kCounterFrequency},
        {kCounterFrequency, kCounterFrequency + 166666},
    };
    for (const Case& c : cases) EXPECT_EQ(nextVerticalBlank(c.counter), c.blank) << c.counter;
}

TEST(VerticalBlank, WaitEndsAtTheNextBlank) {
    platform::os::ManualClock clock(1'000'000);  // 0.1 s: between blanks 6 and 7
    platform::os::setClock(&clock);
    const std::uint64_t blank = platform::window::waitForVerticalBlank();
    EXPECT_EQ(blank, 7 * kCounterFrequency / 60);
    EXPECT_GE(clock.counter(), blank);
    EXPECT_LT(clock.counter(), blank + kCounterFrequency / 1000);
    // The next wait goes on to the following blank.
    EXPECT_EQ(platform::window::waitForVerticalBlank(), 8 * kCounterFrequency / 60);
    platform::os::setClock(nullptr);
}

}  // namespace
