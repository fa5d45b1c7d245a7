#pragma once
#include <gtest/gtest.h>

#include "framework/timer/timer.h"
#include "platform/os/clock.h"

namespace tessera::test {

// Installs a clock and starts the timer module on it; stops the module and restores the system
// clock afterwards.
class TimerOn : public ::testing::Test {
protected:
    void start(platform::os::Clock& clock) {
        pelTimerFinalize();
        platform::os::setClock(&clock);
        pelTimerInitialize();
    }
    void TearDown() override {
        pelTimerFinalize();
        platform::os::setClock(nullptr);
    }
};

}  // namespace tessera::test
