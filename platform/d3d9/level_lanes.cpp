#include "platform/d3d9/level_lanes.h"

#include "platform/d3d9/level_lanes_kernel.h"

namespace platform::d3d9 {

bool hasAvx512() {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");
}

const LevelLaneKernels& sse2LevelLaneKernels() {
    static const LevelLaneKernels kernels{eachQuad<pointLanes>, eachQuad<bilinearLanes>};
    return kernels;
}

const LevelLaneKernels& levelLaneKernels() {
    // A function pointer chosen once rather than an ifunc, which sanitizer builds cannot run.
    static const LevelLaneKernels& kernels = hasAvx512() ? avx512LevelLaneKernels()
                                             : __builtin_cpu_supports("avx2")
                                                 ? avx2LevelLaneKernels()
                                                 : sse2LevelLaneKernels();
    return kernels;
}

}  // namespace platform::d3d9
