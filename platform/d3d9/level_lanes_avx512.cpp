// The level kernels compiled for AVX-512 (this file alone gets the AVX-512 flags): four quads,
// sixteen lanes, per step; two or one left over take the eight- and four-lane kernels. All
// give the bits of the four-lane kernels.
#include "platform/d3d9/level_lanes_kernel.h"
#include "platform/d3d9/level_lanes_wide.h"

namespace platform::d3d9 {

const LevelLaneKernels& avx512LevelLaneKernels() {
    static const LevelLaneKernels kernels{
        groupsThen<4, Wide<16>::point, groupsThen<2, Wide<8>::point, eachQuad<pointLanes>>>,
        groupsThen<4, Wide<16>::bilinear,
                   groupsThen<2, Wide<8>::bilinear, eachQuad<bilinearLanes>>>};
    return kernels;
}

}  // namespace platform::d3d9
