#pragma once
// What effect drawing works with: the geometry a part yields, and the sorted elements handed
// to the renderer's depth-sorted pass.
#include <cstdint>

#include "foundation/DArray.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/zsd_records.h"

// One part's geometry as the vertex generator appended it: its vertices start at vertexBase of
// the array, its indices (the shape's fixed list or the model's own) count from that vertex.
struct L3DEffectGeometry {
    uint32_t vertexBase = 0;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    const uint16_t* indices = nullptr;
};

// One sorted element: the description the renderer copies at registration (its user record is
// the part's batch key, its flags keep the triangle order for order-independent blends) over
// the element's own vertices, reused for every instance and frame.
struct _L3D_EFFECT_ZSDPART {
    static constexpr int32_t VertexStep = 256;

    L3DZsdElementDesc element;
    mirel::DArray<L3D_RENDERER_VERTEX, VertexStep> vertices;
};

// The vertex colour of a colour (r, g, b, a): each channel 0 at or below 0 (NaN included), 255
// at or above 1, otherwise rounded to the nearest of 255 steps; ARGB.
uint32_t l3dEffectPackColour(const float colour[4]);
