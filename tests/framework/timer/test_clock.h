#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/os/clock.h"

namespace tessera::test {

// A manual clock with a counter of any frequency that records the sleeps asked of it. A sleep
// advances it by the time slept, a sleep of 0 by a tenth of a millisecond.
class TestClock final : public platform::os::Clock {
public:
    explicit TestClock(uint64_t frequency, uint64_t startMilliseconds = 0)
        : frequency_(frequency), ticks_(ticksOf(startMilliseconds)) {}

    void advanceMilliseconds(uint64_t milliseconds) { ticks_ += ticksOf(milliseconds); }
    void advanceTicks(uint64_t ticks) { ticks_ += ticks; }
    std::vector<uint32_t> sleeps() {
        std::lock_guard lock(mutex_);
        return sleeps_;
    }

    uint32_t milliseconds() override {
        return static_cast<uint32_t>(static_cast<unsigned __int128>(ticks_.load()) * 1000 /
                                     frequency_);
    }
    uint64_t counter() override { return ticks_.load(); }
    uint64_t counterFrequency() override { return frequency_; }
    void sleep(uint32_t milliseconds) override {
        {
            std::lock_guard lock(mutex_);
            sleeps_.push_back(milliseconds);
        }
        if (milliseconds == 0)
            ticks_ += frequency_ / 10'000 ? frequency_ / 10'000 : 1;
        else
            advanceMilliseconds(milliseconds);
    }

private:
    // Rounded up, so that the millisecond reading moves by the whole amount.
    uint64_t ticksOf(uint64_t milliseconds) const {
        return (milliseconds * frequency_ + 999) / 1000;
    }

    const uint64_t frequency_;
    std::atomic<uint64_t> ticks_;
    std::mutex mutex_;
    std::vector<uint32_t> sleeps_;
};

}  // namespace tessera::test
