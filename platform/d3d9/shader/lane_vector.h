#pragma once
// Registers over a batch of lanes (vertices or pixels), structure of arrays: component c of
// lane l is c[c][l], so one instruction runs over all lanes of a component in a row.
#include <cstdint>

namespace platform::d3d9::shader {

constexpr uint32_t kLanes = 64;

struct alignas(64) LaneVector {
    float c[4][kLanes];
};

}  // namespace platform::d3d9::shader
