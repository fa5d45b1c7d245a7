#pragma once
// The placement that an object instance and each node of its parts publish every frame: where
// it is, where it was, and how it turned. Sound voices and effects started for an object keep a
// pointer to such a block and read it as floats: the position at 0 to 2, the rotation at 9 to 12.
#include <cstddef>

struct L3DWorldBlock {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float previousPosition[3] = {0.0f, 0.0f, 0.0f};
    float movement[3] = {0.0f, 0.0f, 0.0f};
    float rotation[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // x, y, z, w
    float previousRotation[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float scale[3] = {1.0f, 1.0f, 1.0f};
    float previousScale[3] = {1.0f, 1.0f, 1.0f};

    const float* floats() const { return position; }
};
static_assert(offsetof(L3DWorldBlock, rotation) == 9 * sizeof(float));
static_assert(sizeof(L3DWorldBlock) == 23 * sizeof(float));
