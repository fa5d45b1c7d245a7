#include "platform/d3d9/level_lanes.h"

#include <cfloat>

#include "platform/d3d9/level_lanes_kernel.h"

namespace platform::d3d9 {

void limitLaneCoordinates(float t[4], DWORD address) {
    const __m128 value = _mm_loadu_ps(t);
    __m128 limited;
    if (address == D3DTADDRESS_WRAP) {
        // t - floor(t); values of 2^23 and more are whole already (and may not fit an int),
        // infinities and NaN read 0.
        const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), value);
        const __m128 finite = _mm_cmple_ps(magnitude, _mm_set1_ps(FLT_MAX));
        const __m128 whole = _mm_cmpge_ps(magnitude, _mm_set1_ps(8388608.0f));
        const __m128 floored = selectFloats(whole, value, _mm_cvtepi32_ps(floorLanes(value)));
        limited = _mm_and_ps(finite, _mm_sub_ps(value, floored));
    } else {
        const __m128 number = _mm_and_ps(_mm_cmpord_ps(value, value), value);
        limited = _mm_max_ps(_mm_min_ps(number, _mm_set1_ps(3.0f)), _mm_set1_ps(-2.0f));
    }
    _mm_storeu_ps(t, limited);
}

const LevelLaneKernels& sse2LevelLaneKernels() {
    static const LevelLaneKernels kernels{pointLanes, bilinearLanes};
    return kernels;
}

const LevelLaneKernels& levelLaneKernels() {
    // A function pointer chosen once rather than an ifunc, which sanitizer builds cannot run.
    static const LevelLaneKernels& kernels =
        __builtin_cpu_supports("avx2") ? avx2LevelLaneKernels() : sse2LevelLaneKernels();
    return kernels;
}

}  // namespace platform::d3d9
