#pragma once
#include <cstdint>

namespace mirel {

// Nearest-neighbour stepping along one axis with an integer error term: n source samples
// onto m destination samples (both above 0). Index() is the source sample of the current
// destination sample; Advance() moves to the next destination sample.
class DimgNearestStep {
public:
    DimgNearestStep(uint32_t n, uint32_t m)
        : last_(n - 1), twoN_(2 * int64_t(n)), twoM_(2 * int64_t(m)), error_(twoN_ - m) {}

    uint32_t Index() const { return index_; }

    void Advance() {
        while (error_ > 0) {
            if (index_ < last_) ++index_;
            error_ -= twoM_;
        }
        error_ += twoN_;
    }

private:
    uint32_t index_ = 0;
    uint32_t last_;
    int64_t twoN_, twoM_;
    int64_t error_;
};

}  // namespace mirel
