#include "platform/d3d9/level_lanes.h"

#include "platform/d3d9/level_lanes_kernel.h"

namespace platform::d3d9 {

namespace {

void bilinearLanes(const LevelTexels& level, const float u[4], const float v[4],
                   const LaneRows& out) {
    bilinearFromSetup(level, setUpBilinear(level, u, v), out);
}

}  // namespace

const LevelLaneKernels& sse2LevelLaneKernels() {
    static const LevelLaneKernels kernels{eachQuad<pointLanes>, eachQuad<bilinearLanes>};
    return kernels;
}

const LevelLaneKernels& levelLaneKernels() {
    // A function pointer chosen once rather than an ifunc, which sanitizer builds cannot run.
    static const LevelLaneKernels& kernels =
        __builtin_cpu_supports("avx2") ? avx2LevelLaneKernels() : sse2LevelLaneKernels();
    return kernels;
}

}  // namespace platform::d3d9
