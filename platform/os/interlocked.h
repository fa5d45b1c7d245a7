#pragma once
#include <atomic>
#include <cstdint>

namespace platform::os {

// Interlocked operations on plain 32-bit words, so records laid out in 32-bit fields (a
// zero-filled lock word, a reference count) stay plain data. Every operation is sequentially
// consistent. Each returns what its Win32 counterpart returns.

// The new value.
inline int32_t interlockedIncrement(int32_t& value) {
    return std::atomic_ref<int32_t>(value).fetch_add(1) + 1;
}

// The new value.
inline int32_t interlockedDecrement(int32_t& value) {
    return std::atomic_ref<int32_t>(value).fetch_sub(1) - 1;
}

// The old value.
inline int32_t interlockedExchange(int32_t& target, int32_t value) {
    return std::atomic_ref<int32_t>(target).exchange(value);
}

// The old value.
inline int32_t interlockedExchangeAdd(int32_t& target, int32_t addend) {
    return std::atomic_ref<int32_t>(target).fetch_add(addend);
}

// Stores `exchange` when the target equals `comparand`; returns the old value either way.
inline int32_t interlockedCompareExchange(int32_t& target, int32_t exchange, int32_t comparand) {
    std::atomic_ref<int32_t>(target).compare_exchange_strong(comparand, exchange);
    return comparand;
}

// A plain read that other threads' interlocked writes are visible to.
inline int32_t interlockedRead(int32_t& value) { return std::atomic_ref<int32_t>(value).load(); }

}  // namespace platform::os
