#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/DAllocator.h"

namespace mirel {

// The count block of one shared allocation. The allocation is always an array; `destroy`
// knows its real element type (captured when the array was made), so a handle declared for a
// base class, or pointing inside the array, still destroys and frees it correctly.
struct DRefCount {
    std::atomic<int32_t> count;
    void* object;                   // the first element of the array
    void (*destroy)(void* object);  // destroys the elements and frees the array
};

using DRefCountAllocator = DAllocator<DRefCount, 4096>;

// The global pool of count blocks. Made on first use and never destroyed, so it outlives every
// handle, including those held by other static objects.
DRefCountAllocator& DRefCountPool();

// A block with count 1 governing `object`.
DRefCount* DRefCountNew(void* object, void (*destroy)(void*));

inline void DRefCountAdd(DRefCount* rc) { rc->count.fetch_add(1, std::memory_order_relaxed); }

// Returns a block whose allocation never came about to the pool.
void DRefCountDiscard(DRefCount* rc);

// Drops one reference; the last one destroys the array and returns the block to the pool.
void DRefCountRelease(DRefCount* rc);

}  // namespace mirel
