#include "pixelconv/resample_steps.h"

#include <algorithm>

#include "pixelconv/float_to_int.h"

namespace mirel {

DimgLinearSample DimgLinearWalk::Next() {
    // The accumulated position can drift past the last sample on long axes: it is held there.
    const uint32_t i0 = std::min(DimgFloatToUint32(position_), srcN_ - 1);
    const float fraction = position_ - static_cast<float>(i0);
    const int32_t f =
        static_cast<int32_t>(std::min<uint32_t>(DimgFloatToUint32(fraction * 65536.0f), 65535));
    const uint32_t i1 = i0 + 1 < srcN_ ? i0 + 1 : i0;
    position_ += step_;
    return {i0, i1, f};
}

DimgBoxSpans::DimgBoxSpans(uint32_t srcN, uint32_t dstN)
    : index_(size_t(dstN) + 1), weight_(size_t(dstN) + 1) {
    const float step = static_cast<float>(srcN) / static_cast<float>(dstN);
    float position = 0.0f;
    for (uint32_t k = 0; k < dstN; ++k) {
        const uint32_t i = std::min(DimgFloatToUint32(position), srcN - 1);
        const float fraction = position - static_cast<float>(i);
        index_[k] = i;
        weight_[k] = std::min<uint32_t>(DimgFloatToUint32(fraction * 256.0f), 256);
        position += step;
    }
    index_[dstN] = srcN - 1;
    weight_[dstN] = 256;
    divisor_ = std::max<uint64_t>(DimgFloatToUint64(256.0f * step), 1);
}

}  // namespace mirel
