#pragma once
#include <atomic>
#include <cstdint>

#include "framework/core/status.h"

// The framework's recursive spin lock for short regions. A zero-filled record is free.
struct PEL_SPINLOCK {
    std::atomic<uint32_t> state;  // 0 free, 1 being taken, 2 held
    uint32_t depth;               // recursion depth, touched only by the holder
    std::atomic<uint32_t> owner;  // the holder's thread number (left in place after release)
};

// PEL_OK once the calling thread holds the lock (again, when it already held it).
PEL_STATUS pelSpinLock(PEL_SPINLOCK* lock);
// PEL_OK when the calling thread now holds the lock, PEL_E_BUSY at once when another does.
PEL_STATUS pelSpinTryLock(PEL_SPINLOCK* lock);
// Releases one level; the lock is free again when the depth reaches 0.
void pelSpinUnlock(PEL_SPINLOCK* lock);

// Holds a spin lock for a scope, so that a report that throws out of it releases the lock.
class PelSpinGuard {
public:
    explicit PelSpinGuard(PEL_SPINLOCK* lock) : lock_(lock) { pelSpinLock(lock_); }
    ~PelSpinGuard() { pelSpinUnlock(lock_); }
    PelSpinGuard(const PelSpinGuard&) = delete;
    PelSpinGuard& operator=(const PelSpinGuard&) = delete;

private:
    PEL_SPINLOCK* lock_;
};
