#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/allocator.h"

// A growable array whose capacity grows in whole multiples of the growth step.
struct PEL_ARRAY {
    size_t elementSize;
    uint32_t growthStep;  // in elements, at least 1
    const PEL_ALLOCATOR* allocator;
    uint32_t count;
    void* data;
    uint32_t capacity;  // in elements
};

void pelArrayInit(PEL_ARRAY* array, size_t elementSize, uint32_t growthStep,
                  const PEL_ALLOCATOR* allocator = nullptr);
void pelArrayDestroy(PEL_ARRAY* array);
// Sets the count, growing the storage to the smallest multiple of the growth step that holds
// it (kept in place when the allocator can resize, else moved). Returns the data; heap
// exhaustion is the fatal out-of-memory report (NULL should the exit hook return).
void* pelArrayResize(PEL_ARRAY* array, uint32_t count);
