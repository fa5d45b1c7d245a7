#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/allocator.h"

// A ring buffer of fixed-size items. One slot always stays empty: the ring is empty when the
// indices are equal and full when the write index is one behind the read index.
struct PEL_RING {
    size_t itemSize;
    uint32_t growthStep;  // in items; 0 = fixed capacity
    const PEL_ALLOCATOR* allocator;
    unsigned char* storage;
    uint32_t capacity;  // in items
    uint32_t readIndex;
    uint32_t writeIndex;
};

// Sets up an empty ring with storage for `capacity` items (at least 1); out of memory is the
// fatal report.
void pelRingInit(PEL_RING* ring, size_t itemSize, uint32_t capacity, uint32_t growthStep,
                 const PEL_ALLOCATOR* allocator = nullptr);
void pelRingDestroy(PEL_RING* ring);

// Stores up to count items (growing by the step when full); returns how many were stored.
uint32_t pelRingPush(PEL_RING* ring, const void* items, uint32_t count);
// Takes up to count items; returns how many.
uint32_t pelRingPop(PEL_RING* ring, void* destination, uint32_t count);
// Copies up to count items starting `offset` items after the read index without taking them;
// 0 when fewer than offset items are stored.
uint32_t pelRingPeek(PEL_RING* ring, void* destination, uint32_t count, uint32_t offset);
// Drops up to count items; returns how many.
uint32_t pelRingSkip(uint32_t count, PEL_RING* ring);
uint32_t pelRingGetCount(const PEL_RING* ring);
// Capacity minus items stored: one more than can be pushed without growing.
uint32_t pelRingGetFree(const PEL_RING* ring);
