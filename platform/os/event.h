#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/os/wait_result.h"

namespace platform::os {

// What a wait on several events sleeps on: every event it watches raises the flag when it
// becomes signalled.
struct EventWatcher {
    std::mutex mutex;
    std::condition_variable changed;
    bool raised = false;
};

// A Win32-style event. A manual-reset event stays signalled until reset and releases every
// waiter; an auto-reset event releases one waiter and falls back to non-signalled. Shared by
// handle (EventHandle), so any layer holding the handle (a sound buffer's position
// notifications, say) can signal it while its owner waits. All operations are thread-safe.
class Event {
public:
    Event(bool manualReset, bool initiallySignalled);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // Signals: a manual-reset event releases all waiters and stays signalled; an auto-reset event
    // releases the longest waiter, or stays signalled until one arrives.
    void set();
    void reset();
    // Releases the threads waiting now (all of them, or one for an auto-reset event) and leaves
    // the event non-signalled.
    void pulse();
    // kWaitObject0 when signalled within `milliseconds` (kInfinite: no limit), else kWaitTimeout.
    uint32_t wait(uint32_t milliseconds);

    bool manualReset() const { return manualReset_; }
    // While registered, the watcher is raised whenever the event becomes signalled.
    void addWatcher(EventWatcher* watcher);
    void removeWatcher(EventWatcher* watcher);
    // Threads blocked in wait now: lets a caller know that a pulse will find them.
    size_t waiterCount();

private:
    struct Waiter {
        bool released = false;
    };
    void releaseFirstWaiter();
    void releaseAllWaiters();
    void raiseWatchers();

    const bool manualReset_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_;
    std::deque<Waiter*> waiters_;  // in arrival order
    std::vector<EventWatcher*> watchers_;
};

using EventHandle = std::shared_ptr<Event>;

inline EventHandle createEvent(bool manualReset, bool initiallySignalled) {
    return std::make_shared<Event>(manualReset, initiallySignalled);
}

// The Win32 wait on an event handle: kWaitFailed for a null handle.
inline uint32_t waitForSingleObject(const EventHandle& event, uint32_t milliseconds) {
    return event ? event->wait(milliseconds) : kWaitFailed;
}

// The Win32 wait for any of `count` events: kWaitObject0 + i for the first signalled event in
// the order given (only that one is taken: an auto-reset event is reset, the others keep their
// state), kWaitTimeout when none is signalled within `milliseconds` (kInfinite: no limit),
// kWaitFailed for no events or a null handle.
uint32_t waitForMultipleObjects(const EventHandle* events, uint32_t count, uint32_t milliseconds);

}  // namespace platform::os
