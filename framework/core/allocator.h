#pragma once
#include <cstddef>

// Memory callbacks that a container may use in place of the runtime heap. A container given
// NULL uses the heap. Every callback receives the user pointer first.
struct PEL_ALLOCATOR {
    void* (*allocate)(void* user, size_t size);
    void (*free)(void* user, void* block);
    void* (*reallocate)(void* user, void* block, size_t size);
    // Grows or shrinks a block without moving it; non-zero on success.
    int (*resizeInPlace)(void* user, void* block, size_t size);
    void* (*allocateAligned)(void* user, size_t size, size_t alignment);
    void (*freeAligned)(void* user, void* block);
    void* user;
};

// The operations the containers call: through the callbacks when an allocator is given, else
// through the heap. They return NULL on failure and do not report.
void* pelAllocatorAllocate(const PEL_ALLOCATOR* allocator, size_t size);
void pelAllocatorFree(const PEL_ALLOCATOR* allocator, void* block);
// The heap cannot resize in place, so without an allocator this always fails (returns false).
bool pelAllocatorResizeInPlace(const PEL_ALLOCATOR* allocator, void* block, size_t size);
void* pelAllocatorAllocateAligned(const PEL_ALLOCATOR* allocator, size_t size, size_t alignment);
void pelAllocatorFreeAligned(const PEL_ALLOCATOR* allocator, void* block);
