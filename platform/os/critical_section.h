#pragma once
#include <mutex>

namespace platform::os {

// A recursive lock, the counterpart of a Win32 critical section: the owning thread may enter
// it again and must leave it as often as it entered. Created ready to use.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter() { mutex_.lock(); }
    bool tryEnter() { return mutex_.try_lock(); }
    void leave() { mutex_.unlock(); }

    // BasicLockable, so std::lock_guard and std::unique_lock work on it.
    void lock() { enter(); }
    void unlock() { leave(); }

private:
    std::recursive_mutex mutex_;
};

}  // namespace platform::os
