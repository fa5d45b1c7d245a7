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

void Event::set() {
    std::lock_guard lock(mutex_);
    if (manualReset_) {
        signalled_ = true;
        releaseAllWaiters();
    } else if (!waiters_.empty()) {
        releaseFirstWaiter();  // the released waiter consumes the signal
    } else {
        signalled_ = true;
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

}  // namespace platform::os
