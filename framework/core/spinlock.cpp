#include "framework/core/spinlock.h"

#include <thread>

#include "framework/core/core.h"
#include "platform/os/thread.h"

namespace {

constexpr int kSpinCount = 4096;

enum : uint32_t { kFree = 0, kTaking = 1, kHeld = 2 };

// Spins up to kSpinCount reads (only worth it with several processors) while the state is
// still `from`, then yields once if it has not changed.
void waitWhile(const PEL_SPINLOCK* lock, bool (*busy)(uint32_t)) {
    if (pelGetProcessorCount() >= 2) {
        for (int i = 0; i < kSpinCount; ++i) {
            if (!busy(lock->state.load(std::memory_order_acquire))) return;
        }
    }
    if (busy(lock->state.load(std::memory_order_acquire))) std::this_thread::yield();
}

}  // namespace

PEL_STATUS pelSpinTryLock(PEL_SPINLOCK* lock) {
    const uint32_t self = platform::os::currentThreadId();
    uint32_t expected = kFree;
    if (lock->state.compare_exchange_strong(expected, kTaking)) {
        lock->depth = 1;
        lock->owner.store(self);
        lock->state.store(kHeld);
        return PEL_OK;
    }
    // Another thread may be between its exchange and recording itself as owner.
    while (lock->state.load() == kTaking) waitWhile(lock, [](uint32_t s) { return s == kTaking; });
    if (lock->state.load() == kHeld && lock->owner.load() == self) {
        ++lock->depth;
        return PEL_OK;
    }
    return PEL_E_BUSY;
}

PEL_STATUS pelSpinLock(PEL_SPINLOCK* lock) {
    while (pelSpinTryLock(lock) == PEL_E_BUSY) {
        waitWhile(lock, [](uint32_t s) { return s != kFree; });
    }
    return PEL_OK;
}

void pelSpinUnlock(PEL_SPINLOCK* lock) {
    if (--lock->depth == 0) lock->state.store(kFree);
}
