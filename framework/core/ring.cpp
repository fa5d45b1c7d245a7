#include "framework/core/ring.h"

#include <cstring>

#include "framework/core/report.h"

namespace {

unsigned char* slot(PEL_RING* ring, uint32_t index) {
    return ring->storage + static_cast<size_t>(index) * ring->itemSize;
}

bool isFull(const PEL_RING* ring) {
    return (ring->writeIndex + 1) % ring->capacity == ring->readIndex;
}

// Moves the stored items to the start of a larger storage, in order.
bool grow(PEL_RING* ring) {
    const uint64_t capacity = static_cast<uint64_t>(ring->capacity) + ring->growthStep;
    if (capacity > UINT32_MAX) return false;
    auto* storage = pelCheckAlloc(static_cast<unsigned char*>(
        pelAllocatorAllocate(ring->allocator, capacity * ring->itemSize)));
    if (!storage) return false;
    const uint32_t count = pelRingGetCount(ring);
    if (ring->readIndex <= ring->writeIndex) {
        std::memcpy(storage, slot(ring, ring->readIndex), count * ring->itemSize);
    } else {
        const uint32_t first = ring->capacity - ring->readIndex;
        std::memcpy(storage, slot(ring, ring->readIndex), first * ring->itemSize);
        std::memcpy(storage + first * ring->itemSize, ring->storage,
                    ring->writeIndex * ring->itemSize);
    }
    pelAllocatorFree(ring->allocator, ring->storage);
    ring->storage = storage;
    ring->capacity = static_cast<uint32_t>(capacity);
    ring->readIndex = 0;
    ring->writeIndex = count;
    return true;
}

}  // namespace

void pelRingInit(PEL_RING* ring, size_t itemSize, uint32_t capacity, uint32_t growthStep,
                 const PEL_ALLOCATOR* allocator) {
    ring->itemSize = itemSize;
    ring->growthStep = growthStep;
    ring->allocator = allocator;
    ring->capacity = capacity > 0 ? capacity : 1;
    ring->storage = pelCheckAlloc(
        static_cast<unsigned char*>(pelAllocatorAllocate(allocator, ring->capacity * itemSize)));
    if (!ring->storage) ring->capacity = 1;
    ring->readIndex = 0;
    ring->writeIndex = 0;
}

void pelRingDestroy(PEL_RING* ring) {
    if (ring->storage) pelAllocatorFree(ring->allocator, ring->storage);
    ring->storage = nullptr;
    ring->readIndex = 0;
    ring->writeIndex = 0;
}

uint32_t pelRingPush(PEL_RING* ring, const void* items, uint32_t count) {
    if (!ring->storage) return 0;
    const auto* source = static_cast<const unsigned char*>(items);
    uint32_t pushed = 0;
    for (; pushed < count; ++pushed) {
        if (isFull(ring) && (ring->growthStep == 0 || !grow(ring))) break;
        std::memcpy(slot(ring, ring->writeIndex),
                    source + static_cast<size_t>(pushed) * ring->itemSize, ring->itemSize);
        ring->writeIndex = (ring->writeIndex + 1) % ring->capacity;
    }
    return pushed;
}

uint32_t pelRingPop(PEL_RING* ring, void* destination, uint32_t count) {
    auto* target = static_cast<unsigned char*>(destination);
    uint32_t popped = 0;
    for (; popped < count && ring->readIndex != ring->writeIndex; ++popped) {
        std::memcpy(target + static_cast<size_t>(popped) * ring->itemSize,
                    slot(ring, ring->readIndex), ring->itemSize);
        ring->readIndex = (ring->readIndex + 1) % ring->capacity;
    }
    return popped;
}

uint32_t pelRingPeek(PEL_RING* ring, void* destination, uint32_t count, uint32_t offset) {
    if (pelRingGetCount(ring) < offset) return 0;
    const uint32_t savedRead = ring->readIndex;
    pelRingSkip(offset, ring);
    const uint32_t copied = pelRingPop(ring, destination, count);
    ring->readIndex = savedRead;
    return copied;
}

uint32_t pelRingSkip(uint32_t count, PEL_RING* ring) {
    const uint32_t stored = pelRingGetCount(ring);
    const uint32_t skipped = count < stored ? count : stored;
    ring->readIndex =
        static_cast<uint32_t>((static_cast<uint64_t>(ring->readIndex) + skipped) % ring->capacity);
    return skipped;
}

uint32_t pelRingGetCount(const PEL_RING* ring) {
    return ring->writeIndex >= ring->readIndex
               ? ring->writeIndex - ring->readIndex
               : ring->capacity - ring->readIndex + ring->writeIndex;
}

uint32_t pelRingGetFree(const PEL_RING* ring) { return ring->capacity - pelRingGetCount(ring); }
