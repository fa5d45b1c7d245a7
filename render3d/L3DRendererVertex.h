#pragma once
// The renderer's 56-byte vertex (format 0x815E): position, four blend weights, four bone
// indices packed as a colour (index 0 in the lowest byte), normal, colour, one UV set.
#include <cstdint>

struct L3D_RENDERER_VERTEX {
    float x, y, z;
    float weights[4];
    uint32_t boneIndices;
    float nx, ny, nz;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(L3D_RENDERER_VERTEX) == 56);
