#pragma once
#include <cstdint>

namespace mirel {

// Float-to-integer conversions of the scaling steps. A value out of the target's range, or a
// NaN (0 / 0 from a zero size), would be undefined behaviour in a plain cast: it is clamped,
// NaN to 0. In range the value truncates toward zero as a cast does.
inline uint32_t DimgFloatToUint32(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 4294967296.0f) return UINT32_MAX;
    return static_cast<uint32_t>(v);
}

inline uint64_t DimgFloatToUint64(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 18446744073709551616.0f) return UINT64_MAX;
    return static_cast<uint64_t>(v);
}

}  // namespace mirel
