#pragma once
#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "foundation/DObject.h"
#include "foundation/rcptr.h"

namespace mirel {

// A growable array whose capacity grows in whole steps of N elements; it has no count of its
// own. Growth copies the old elements into the new array by assignment. Constructing one
// allocates nothing.
template <class T, int32_t N>
class DBuffer : public DObject {
    static_assert(N > 0, "the growth step must be positive");

public:
    DBuffer() = default;
    DBuffer(const DBuffer&) = delete;
    DBuffer& operator=(const DBuffer&) = delete;

    // Makes room for at least n elements: the capacity becomes n rounded up to a multiple of
    // N. With n not above the capacity the array stays where it is.
    void Reserve(int64_t n) {
        if (n <= capacity_) return;
        const int64_t grown = (n + N - 1) / N * N;
        if (grown > INT32_MAX) throw std::bad_alloc();
        rcptr<T> items;
        items.Allocate(static_cast<size_t>(grown));
        std::copy(items_.Get(), items_.Get() + capacity_, items.Get());
        capacity_ = static_cast<int32_t>(grown);
        items_ = std::move(items);
    }

    // Element i, after making room for it.
    T& At(int32_t i) {
        if (i < 0) throw std::out_of_range("DBuffer::At: negative index");
        Reserve(int64_t{i} + 1);
        return items_[i];
    }

    T* Items() const { return items_.Get(); }
    T& operator[](int32_t i) const { return items_[i]; }
    int32_t Capacity() const { return capacity_; }
    // Releases the storage: the capacity goes back to 0, as after construction.
    void Free() {
        items_.Reset();
        capacity_ = 0;
    }

protected:
    rcptr<T> items_;
    int32_t capacity_ = 0;
};

}  // namespace mirel
