#include "platform/os/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace platform::os {
namespace {

using namespace std::chrono_literals;

TEST(Event, ZeroWaitReportsStateAndAutoResetConsumesIt) {
    Event autoReset(false, true);
    EXPECT_EQ(autoReset.wait(0), kWaitObject0);
    EXPECT_EQ(autoReset.wait(0), kWaitTimeout);  // consumed
    autoReset.set();
    autoReset.reset();
    EXPECT_EQ(autoReset.wait(0), kWaitTimeout);

    Event manual(true, false);
    EXPECT_EQ(manual.wait(0), kWaitTimeout);
    manual.set();
    EXPECT_EQ(manual.wait(0), kWaitObject0);
    EXPECT_EQ(manual.wait(0), kWaitObject0);  // stays signalled
    manual.reset();
    EXPECT_EQ(manual.wait(0), kWaitTimeout);

    EXPECT_EQ(waitForSingleObject(nullptr, 0), kWaitFailed);
}

TEST(Event, TimedWaitTimesOutAfterTheTime) {
    Event event(false, false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event.wait(50), kWaitTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
}

// Starts `count` threads that each wait once on the event with no time-out, and waits until
// all of them are blocked inside wait (so a pulse is sure to find them).
class Waiters {
public:
    Waiters(Event& event, int count, uint32_t timeout = kInfinite) : event_(event) {
        for (int i = 0; i < count; ++i) {
            threads_.emplace_back([this, timeout] {
                if (event_.wait(timeout) == kWaitObject0) ++released_;
            });
        }
        while (event_.waiterCount() < static_cast<size_t>(count)) std::this_thread::yield();
    }
    ~Waiters() { join(); }
    void join() {
        for (auto& t : threads_) {
            if (t.joinable()) t.join();
        }
    }
    int released() const { return released_; }

private:
    Event& event_;
    std::vector<std::thread> threads_;
    std::atomic<int> released_{0};
};

TEST(Event, SetFromAnotherThreadWakesWaiter) {
    Event event(false, false);
    std::thread setter([&] {
        while (event.waiterCount() == 0) std::this_thread::yield();
        event.set();
    });
    EXPECT_EQ(event.wait(kInfinite), kWaitObject0);
    setter.join();
    EXPECT_EQ(event.wait(0), kWaitTimeout);  // the waiter consumed the signal
}

TEST(Event, AutoResetSetReleasesOneWaiterPerSet) {
    Event event(false, false);
    Waiters waiters(event, 3, 2000);
    event.set();
    event.set();
    waiters.join();
    EXPECT_EQ(waiters.released(), 2);
    EXPECT_EQ(event.wait(0), kWaitTimeout);
}

TEST(Event, ManualPulseReleasesAllCurrentWaitersAndEndsUnsignalled) {
    Event event(true, false);
    Waiters waiters(event, 3);
    event.pulse();
    waiters.join();
    EXPECT_EQ(waiters.released(), 3);
    EXPECT_EQ(event.wait(0), kWaitTimeout);
}

TEST(Event, AutoPulseReleasesOneWaiter) {
    Event event(false, false);
    Waiters waiters(event, 2, 300);
    event.pulse();
    waiters.join();
    EXPECT_EQ(waiters.released(), 1);
    EXPECT_EQ(event.wait(0), kWaitTimeout);
}

TEST(Event, PulseWithoutWaitersLeavesItUnsignalled) {
    for (bool manual : {true, false}) {
        Event event(manual, true);
        event.pulse();
        EXPECT_EQ(event.wait(0), kWaitTimeout);
    }
}

TEST(Event, SharedHandleSignalledByAnotherLayer) {
    EventHandle handle = createEvent(false, false);
    EventHandle notifier = handle;  // what a sound buffer keeps for its notifications
    std::thread other([notifier] { notifier->set(); });
    EXPECT_EQ(waitForSingleObject(handle, kInfinite), kWaitObject0);
    other.join();
}

}  // namespace
}  // namespace platform::os

namespace platform::os {
namespace {

TEST(WaitForMultipleObjects, FirstSignalledInOrderWinsAndOnlyItIsReset) {
    const EventHandle notify = createEvent(false, false);
    const EventHandle command = createEvent(false, false);
    const EventHandle events[2] = {notify, command};
    command->set();
    notify->set();
    EXPECT_EQ(waitForMultipleObjects(events, 2, 0), kWaitObject0);
    EXPECT_EQ(command->wait(0), kWaitObject0) << "the command event kept its signal";
    EXPECT_EQ(waitForMultipleObjects(events, 2, 0), kWaitTimeout);

    const EventHandle manual = createEvent(true, true);
    const EventHandle both[2] = {command, manual};
    EXPECT_EQ(waitForMultipleObjects(both, 2, kInfinite), kWaitObject0 + 1);
    EXPECT_EQ(manual->wait(0), kWaitObject0) << "a manual-reset event stays signalled";
}

TEST(WaitForMultipleObjects, SleepsUntilAnyEventIsSetFromAnotherThread) {
    const EventHandle first = createEvent(false, false);
    const EventHandle second = createEvent(false, false);
    const EventHandle events[2] = {first, second};
    for (int round = 0; round < 50; ++round) {
        std::thread setter([&] { second->set(); });
        EXPECT_EQ(waitForMultipleObjects(events, 2, kInfinite), kWaitObject0 + 1);
        setter.join();
    }
    EXPECT_EQ(waitForMultipleObjects(events, 2, 1), kWaitTimeout);
}

TEST(WaitForMultipleObjects, FailsWithoutEventsOrWithANullHandle) {
    const EventHandle events[2] = {createEvent(false, true), nullptr};
    EXPECT_EQ(waitForMultipleObjects(events, 0, 0), kWaitFailed);
    EXPECT_EQ(waitForMultipleObjects(events, 2, 0), kWaitFailed);
    EXPECT_EQ(events[0]->wait(0), kWaitObject0) << "a failed wait takes nothing";
}

}  // namespace
}  // namespace platform::os
