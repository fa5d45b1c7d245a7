#include "platform/os/event.h"

#include <algorithm>
#include <chrono>

namespace platform::os {

Event::Event(bool manualReset, bool initiallySignalled)
    : manualReset_(manualReset), signalled_(initiallySignalled) {}

void Event::releaseFirstWaiter() {
    waiters_.front()->released = true;
    waiters_.pop_front();
    changed_.notify_all();
}

void Event::releaseAllWaiters() {
    for (Waiter* waiter : waiters_) waiter->released = true;
    waiters_.clear();
    changed_.notify_all();
}

void Event::raiseWatchers() {
    for (EventWatcher* watcher : watchers_) {
        std::lock_guard guard(watcher->mutex);
        watcher->raised = true;
        watcher->changed.notify_all();
    }
}

void Event::addWatcher(EventWatcher* watcher) {
    std::lock_guard lock(mutex_);
    watchers_.push_back(watcher);
}

void Event::removeWatcher(EventWatcher* watcher) {
    std::lock_guard lock(mutex_);
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

void Event::set() {
    std::lock_guard lock(mutex_);
    if (manualReset_) {
        signalled_ = true;
        releaseAllWaiters();
        raiseWatchers();
    } else if (!waiters_.empty()) {
        releaseFirstWaiter();  // the released waiter consumes the signal
    } else {
        signalled_ = true;
        raiseWatchers();
    }
}

void Event::reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

void Event::pulse() {
    std::lock_guard lock(mutex_);
    if (manualReset_) {
        releaseAllWaiters();
    } else if (!waiters_.empty()) {
        releaseFirstWaiter();
    }
    signalled_ = false;
}

size_t Event::waiterCount() {
    std::lock_guard lock(mutex_);
    return waiters_.size();
}

uint32_t Event::wait(uint32_t milliseconds) {
    std::unique_lock lock(mutex_);
    if (signalled_) {
        if (!manualReset_) signalled_ = false;
        return kWaitObject0;
    }
    if (milliseconds == 0) return kWaitTimeout;

    Waiter self;
    waiters_.push_back(&self);
    const auto released = [&self] { return self.released; };
    if (milliseconds == kInfinite) {
        changed_.wait(lock, released);
    } else {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        if (!changed_.wait_until(lock, deadline, released)) {
            waiters_.erase(std::find(waiters_.begin(), waiters_.end(), &self));
            return kWaitTimeout;
        }
    }
    return kWaitObject0;
}

uint32_t waitForMultipleObjects(const EventHandle* events, uint32_t count, uint32_t milliseconds) {
    if (count == 0 || events == nullptr) return kWaitFailed;
    for (uint32_t i = 0; i < count; ++i)
        if (!events[i]) return kWaitFailed;

    // The watcher is registered before the first look, so a signal that arrives between a look
    // and the sleep raises it and the sleep returns at once.
    EventWatcher watcher;
    for (uint32_t i = 0; i < count; ++i) events[i]->addWatcher(&watcher);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    uint32_t result = kWaitTimeout;
    for (;;) {
        uint32_t taken = count;
        for (uint32_t i = 0; i < count && taken == count; ++i)
            if (events[i]->wait(0) == kWaitObject0) taken = i;
        if (taken < count) {
            result = kWaitObject0 + taken;
            break;
        }
        std::unique_lock lock(watcher.mutex);
        const auto raised = [&watcher] { return watcher.raised; };
        if (milliseconds == kInfinite) {
            watcher.changed.wait(lock, raised);
        } else if (!watcher.changed.wait_until(lock, deadline, raised)) {
            break;
        }
        watcher.raised = false;
    }
    for (uint32_t i = 0; i < count; ++i) events[i]->removeWatcher(&watcher);
    return result;
}

}  // namespace platform::os
