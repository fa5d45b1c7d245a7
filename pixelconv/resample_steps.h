#pragma once
#include <cstdint>
#include <vector>

#include "pixelconv/pixel_rule.h"

namespace mirel {

// Position arithmetic of the resampling passes along one axis of srcN source samples and
// dstN output samples (both at least 1): step = srcN / dstN in single precision, positions
// accumulated from 0 by repeated single-precision additions, edge-aligned.

// One output sample of an enlarging pass: samples i0 and i1 mixed with the 16.16 fraction f.
struct DimgLinearSample {
    uint32_t i0, i1;
    int32_t f;
};

// Walks the output samples of an enlarging pass in order.
class DimgLinearWalk {
public:
    DimgLinearWalk(uint32_t srcN, uint32_t dstN)
        : srcN_(srcN), step_(static_cast<float>(srcN) / static_cast<float>(dstN)) {}

    // The sample at the current position; then moves to the next position.
    DimgLinearSample Next();

private:
    uint32_t srcN_;
    float step_;
    float position_ = 0.0f;
};

// out = x0 + floor((x1 - x0) * f / 65536) per channel, so it lies between x0 and x1.
inline uint8_t DimgLerpChannel(int32_t x0, int32_t x1, int32_t f) {
    return static_cast<uint8_t>(x0 + (((x1 - x0) * f) >> 16));
}

inline DimgRgba DimgLerp(DimgRgba x0, DimgRgba x1, int32_t f) {
    return {DimgLerpChannel(x0.r, x1.r, f), DimgLerpChannel(x0.g, x1.g, f),
            DimgLerpChannel(x0.b, x1.b, f), DimgLerpChannel(x0.a, x1.a, f)};
}

// The span tables of a reducing pass (srcN > dstN). Output k covers source samples first(k)
// to last(k) = first(k + 1): the first with weight 256 - startWeight(k), those between whole,
// the last with startWeight(k + 1), in 1/256 of a sample; the sum is scaled by 256 / divisor.
class DimgBoxSpans {
public:
    DimgBoxSpans(uint32_t srcN, uint32_t dstN);

    uint32_t First(uint32_t k) const { return index_[k]; }
    uint32_t Last(uint32_t k) const { return index_[k + 1]; }
    uint32_t HeadWeight(uint32_t k) const { return 256 - weight_[k]; }
    uint32_t TailWeight(uint32_t k) const { return weight_[k + 1]; }

    // A span whose last sample is not after its first (possible when the step is close to 1
    // or the positions drift past the end) takes its first sample alone.
    bool Single(uint32_t k) const { return index_[k] >= index_[k + 1]; }

    // floor(256 * sum / divisor), bounded to 255: rounding of the step and of the positions
    // can let the weights exceed the divisor, which would otherwise give 256.
    uint8_t Quotient(uint64_t sum) const {
        const uint64_t q = (sum << 8) / divisor_;
        return static_cast<uint8_t>(q > 255 ? 255 : q);
    }

private:
    std::vector<uint32_t> index_;
    std::vector<uint32_t> weight_;
    uint64_t divisor_;
};

// floor(v * weight / 256): each partial sample is floored before it is added.
inline uint32_t DimgPartial(uint32_t v, uint32_t weight) { return (v * weight) >> 8; }

}  // namespace mirel
