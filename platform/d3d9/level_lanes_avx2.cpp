// The level kernels compiled for AVX2 (this file alone gets -mavx2).
#include "platform/d3d9/level_lanes_kernel.h"

namespace platform::d3d9 {

const LevelLaneKernels& avx2LevelLaneKernels() {
    static const LevelLaneKernels kernels{pointLanes, bilinearLanes};
    return kernels;
}

}  // namespace platform::d3d9
