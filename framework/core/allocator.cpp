#include "framework/core/allocator.h"

#include <cstdlib>

void* pelAllocatorAllocate(const PEL_ALLOCATOR* allocator, size_t size) {
    if (allocator) return allocator->allocate(allocator->user, size);
    return std::malloc(size);
}

void pelAllocatorFree(const PEL_ALLOCATOR* allocator, void* block) {
    if (allocator) {
        allocator->free(allocator->user, block);
    } else {
        std::free(block);
    }
}

bool pelAllocatorResizeInPlace(const PEL_ALLOCATOR* allocator, void* block, size_t size) {
    if (allocator && allocator->resizeInPlace)
        return allocator->resizeInPlace(allocator->user, block, size) != 0;
    return false;
}

void* pelAllocatorAllocateAligned(const PEL_ALLOCATOR* allocator, size_t size, size_t alignment) {
    if (allocator) return allocator->allocateAligned(allocator->user, size, alignment);
    // aligned_alloc wants the size to be a multiple of the alignment.
    const size_t rounded = (size + alignment - 1) / alignment * alignment;
    return std::aligned_alloc(alignment, rounded);
}

void pelAllocatorFreeAligned(const PEL_ALLOCATOR* allocator, void* block) {
    if (allocator) {
        allocator->freeAligned(allocator->user, block);
    } else {
        std::free(block);
    }
}
