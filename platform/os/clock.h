#pragma once
#include <atomic>
#include <cstdint>

namespace platform::os {

// The process's time source: a millisecond clock (wrapping at 2^32, like the multimedia timer),
// a high-resolution counter with its frequency, and a sleep. Everything that measures or waits
// asks clock(), so headless tests can install a ManualClock and run time-driven code instantly.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start.
    virtual uint32_t milliseconds() = 0;
    // Counter ticks since an arbitrary start; counterFrequency() ticks per second.
    virtual uint64_t counter() = 0;
    virtual uint64_t counterFrequency() = 0;
    // Sleeps for the given milliseconds; 0 gives up the rest of the time slice.
    virtual void sleep(uint32_t milliseconds) = 0;
    // The calendar time in seconds since 1970-01-01 UTC (what seeds drawn from "now" use); the
    // system's unless the clock fixes it.
    virtual int64_t calendarSeconds();
};

// Both clocks tick at 10 MHz.
inline constexpr uint64_t kCounterFrequency = 10'000'000;

// The monotonic system clock.
class SystemClock final : public Clock {
public:
    uint32_t milliseconds() override;
    uint64_t counter() override;
    uint64_t counterFrequency() override { return kCounterFrequency; }
    void sleep(uint32_t milliseconds) override;
};

// A clock that moves only when told: advance() from the test, or a sleep, which advances it by
// the time slept (a sleep of 0 by one tenth of a millisecond, so that a loop yielding until some
// time has passed still ends). Its calendar time stands still at what the test set. Thread-safe.
class ManualClock final : public Clock {
public:
    explicit ManualClock(uint64_t startTicks = 0) : ticks_(startTicks) {}
    void advanceTicks(uint64_t ticks) { ticks_ += ticks; }
    void advanceMilliseconds(uint64_t milliseconds) {
        advanceTicks(milliseconds * (kCounterFrequency / 1000));
    }

    uint32_t milliseconds() override {
        return static_cast<uint32_t>(ticks_.load() / (kCounterFrequency / 1000));
    }
    uint64_t counter() override { return ticks_.load(); }
    uint64_t counterFrequency() override { return kCounterFrequency; }
    void sleep(uint32_t milliseconds) override;
    int64_t calendarSeconds() override { return calendar_.load(); }
    void setCalendarSeconds(int64_t seconds) { calendar_ = seconds; }

private:
    std::atomic<uint64_t> ticks_;
    std::atomic<int64_t> calendar_{0};
};

// The clock in use: the system clock unless a test installed another.
Clock& clock();
// Installs a clock (not owned; it must outlive its use); nullptr restores the system clock.
void setClock(Clock* clock);

}  // namespace platform::os
