#pragma once
#include "foundation/DBuffer.h"

namespace mirel {

// A DBuffer with the number of elements in use.
template <class T, int32_t N>
class DArray : public DBuffer<T, N> {
public:
    int32_t Count() const { return count_; }

    // Sets the number of elements in use, growing the storage when needed.
    void SetCount(int32_t n) {
        if (n < 0) throw std::out_of_range("DArray::SetCount: negative count");
        this->Reserve(n);
        count_ = n;
    }

    // Drops the storage and allocates exactly n elements afresh, all in use (no storage for
    // n = 0).
    void Alloc(int32_t n) {
        if (n < 0) throw std::out_of_range("DArray::Alloc: negative count");
        this->items_.Reset();
        this->capacity_ = 0;
        count_ = 0;
        this->items_.Allocate(static_cast<size_t>(n));
        this->capacity_ = n;
        count_ = n;
    }

private:
    int32_t count_ = 0;
};

}  // namespace mirel
