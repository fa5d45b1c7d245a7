#pragma once
// A count and a counted handle to a plain array, as the model and engine code keep their
// vertex and index copies.
#include <cstdint>

#include "foundation/rcptr.h"

template <class T>
struct PodBuffer {
    uint32_t count = 0;
    mirel::rcptr<T> data;

    // Count 0 and the array released (the handle is empty afterwards).
    void clear() {
        count = 0;
        data.Reset();
    }
};
