#include "platform/os/clock.h"

#include <sched.h>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform::os {
namespace {

using Ticks = std::chrono::duration<uint64_t, std::ratio<1, kCounterFrequency>>;

SystemClock systemClock;
std::atomic<Clock*> installedClock{nullptr};

}  // namespace

uint32_t SystemClock::milliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

uint64_t SystemClock::counter() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<Ticks>(now).count();
}

void SystemClock::sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t Clock::calendarSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

void ManualClock::sleep(uint32_t milliseconds) {
    if (milliseconds == 0) {
        advanceTicks(kCounterFrequency / 10'000);
        sched_yield();
        return;
    }
    advanceMilliseconds(milliseconds);
}

Clock& clock() {
    Clock* installed = installedClock.load();
    return installed ? *installed : systemClock;
}

void setClock(Clock* clock) { installedClock.store(clock); }

}  // namespace platform::os
