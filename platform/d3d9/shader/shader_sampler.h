#pragma once
// What texld reads through: the device implements it over its bound textures and sampler
// states (an unbound sampler reads (0, 0, 0, 1)).
#include <cstdint>

#include "platform/d3d9/shader/lane_vector.h"

namespace platform::d3d9::shader {

class ShaderSampler {
public:
    virtual ~ShaderSampler() = default;

    // Samples lanes 0..laneCount-1 of `sampler` (0..15) at the coordinates (u, v in c[0], c[1];
    // c[2], c[3] as the shader computed them) and writes red, green, blue, alpha to c[0..3] of
    // `texels`. Lanes arrive in the caller's order, so a caller that batches whole 2x2 quads
    // finds quad q in lanes 4q..4q+3 for its level-of-detail choice.
    virtual void sample(uint32_t sampler, const LaneVector& coordinates, uint32_t laneCount,
                        LaneVector& texels) = 0;
};

}  // namespace platform::d3d9::shader
