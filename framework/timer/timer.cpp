#include "framework/timer/timer.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "framework/core/report.h"
#include "platform/os/clock.h"

namespace {

// A faster counter would overflow the pacer's 16.16 arithmetic; such a counter is refused.
constexpr uint64_t kMaxCounterFrequency = 500'000'000;
// The last part of every wait is spent yielding rather than sleeping, for precision.
constexpr uint64_t kSpinMilliseconds = 3;
constexpr uint64_t kLongestSleep = 0x7FFFFFFF;

struct TimerState {
    bool started = false;
    // Read by every thread that measures time; written only by start-up and shut-down.
    std::atomic<uint64_t> frequency{0};
    std::atomic<uint64_t> waitMargin{0};
    std::atomic<uint64_t> ticksPerMillisecond{0};
    // The millisecond clock: several threads read it, and each read moves the total.
    std::mutex millisecondLock;
    uint32_t lastReading = 0;
    uint64_t millisecondTotal = 0;
};
TimerState timer;

platform::os::Clock& osClock() { return platform::os::clock(); }

uint64_t millisecondTick() {
    std::lock_guard lock(timer.millisecondLock);
    const uint32_t reading = osClock().milliseconds();
    timer.millisecondTotal += static_cast<uint32_t>(reading - timer.lastReading);
    timer.lastReading = reading;
    return timer.millisecondTotal;
}

}  // namespace

void pelTimerInitialize() {
    if (timer.started) return;
    timer.started = true;
    // Linux sleeps at a fine granularity already: there is no timer period to raise.
    {
        std::lock_guard lock(timer.millisecondLock);
        timer.lastReading = osClock().milliseconds();
        timer.millisecondTotal = 0;
    }
    pelTimerSetEnable64(true);
    static bool registered = false;
    if (!registered) {
        registered = std::atexit(pelTimerFinalize) == 0;
        if (!registered) pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized.");
    }
}

void pelTimerFinalize() {
    if (!timer.started) return;
    timer.started = false;
    pelTimerSetEnable64(false);
}

void pelTimerSetEnable64(bool enable) {
    if (enable) {
        if (timer.frequency.load() != 0) return;
        const uint64_t frequency = osClock().counterFrequency();
        if (frequency == 0 || frequency > kMaxCounterFrequency) return;
        timer.waitMargin.store(frequency * kSpinMilliseconds / 1000);
        timer.ticksPerMillisecond.store(frequency / 1000);
        timer.frequency.store(frequency);
        pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] enable performance counter(%I64d)",
                  "pelTimerSetEnable64", static_cast<long long>(frequency));
    } else {
        if (timer.frequency.load() == 0) return;
        timer.frequency.store(0);
        timer.waitMargin.store(0);
        timer.ticksPerMillisecond.store(0);
        pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] disable performance counter",
                  "pelTimerSetEnable64");
    }
}

uint64_t pelTimerGetFrequency() {
    const uint64_t frequency = timer.frequency.load();
    return frequency != 0 ? frequency : 1000;
}

uint64_t pelTimerGetTick() {
    if (timer.frequency.load() != 0) return osClock().counter();
    return millisecondTick();
}

void pelTimerWait(int64_t ticks) {
    if (ticks <= 0) return;
    if (timer.frequency.load() == 0) {
        pelTimerWaitMs(static_cast<uint32_t>(ticks));
        return;
    }
    const uint64_t wanted = static_cast<uint64_t>(ticks);
    const uint64_t margin = timer.waitMargin.load();
    const uint64_t perMillisecond = timer.ticksPerMillisecond.load();
    const uint64_t start = osClock().counter();
    // A counter slower than 1 kHz has no whole milliseconds to sleep: it only yields.
    if (wanted >= margin && perMillisecond != 0) {
        const uint64_t sleepTicks = wanted - margin;
        uint64_t milliseconds = sleepTicks / perMillisecond;
        while (milliseconds > kLongestSleep) {
            osClock().sleep(static_cast<uint32_t>(kLongestSleep));
            const uint64_t elapsed = osClock().counter() - start;
            milliseconds = elapsed < sleepTicks ? (sleepTicks - elapsed) / perMillisecond : 0;
        }
        if (milliseconds != 0) osClock().sleep(static_cast<uint32_t>(milliseconds));
    }
    while (osClock().counter() - start < wanted) osClock().sleep(0);
}

void pelTimerWaitMs(uint32_t milliseconds) {
    if (milliseconds == 0) return;
    const uint32_t start = osClock().milliseconds();
    if (milliseconds >= kSpinMilliseconds) osClock().sleep(milliseconds - kSpinMilliseconds);
    while (static_cast<uint32_t>(osClock().milliseconds() - start) < milliseconds)
        osClock().sleep(0);
}
