#include "framework/core/array.h"

#include <cstring>

#include "framework/core/report.h"

void pelArrayInit(PEL_ARRAY* array, size_t elementSize, uint32_t growthStep,
                  const PEL_ALLOCATOR* allocator) {
    array->elementSize = elementSize;
    array->growthStep = growthStep > 0 ? growthStep : 1;
    array->allocator = allocator;
    array->count = 0;
    array->data = nullptr;
    array->capacity = 0;
}

void pelArrayDestroy(PEL_ARRAY* array) {
    if (array->data) pelAllocatorFree(array->allocator, array->data);
    array->data = nullptr;
    array->count = 0;
    array->capacity = 0;
}

void* pelArrayResize(PEL_ARRAY* array, uint32_t count) {
    if (count > array->capacity) {
        const uint64_t steps =
            (static_cast<uint64_t>(count) + array->growthStep - 1) / array->growthStep;
        const uint64_t capacity = steps * array->growthStep;
        const uint64_t bytes = capacity * array->elementSize;
        if (capacity > UINT32_MAX || bytes / array->elementSize != capacity) {
            pelReportOutOfMemory();
            return nullptr;
        }
        const bool resized =
            array->data && pelAllocatorResizeInPlace(array->allocator, array->data, bytes);
        if (!resized) {
            void* storage = pelCheckAlloc(pelAllocatorAllocate(array->allocator, bytes));
            if (!storage) return nullptr;
            if (array->data) {
                std::memcpy(storage, array->data, array->count * array->elementSize);
                pelAllocatorFree(array->allocator, array->data);
            }
            array->data = storage;
        }
        array->capacity = static_cast<uint32_t>(capacity);
    }
    array->count = count;
    return array->data;
}
