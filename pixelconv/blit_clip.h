#pragma once
#include <cstdint>

namespace mirel {

// Clips a destination and a source rectangle, both at (0, 0), against their images' sizes
// while keeping the scale between them (ratios in single precision, rounding to the nearest
// integer with ties to even). A zero source size leaves everything unchanged.
void DimgClipRectScaled(uint32_t dstImageWidth, uint32_t dstImageHeight, uint32_t srcImageWidth,
                        uint32_t srcImageHeight, uint32_t& dstWidth, uint32_t& dstHeight,
                        uint32_t& srcWidth, uint32_t& srcHeight);

// Clips the one size that both rectangles of a same-size blit share.
void DimgClipRect(uint32_t dstImageWidth, uint32_t dstImageHeight, uint32_t srcImageWidth,
                  uint32_t srcImageHeight, uint32_t& width, uint32_t& height);

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
