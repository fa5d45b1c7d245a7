#pragma once
// The renderer's growable stores for batching and skinning. Each grows to the next multiple of
// its step and copies its old entries; they live with the renderer and only grow.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/LMat.h"

struct L3DRendererStores {
    mirel::DBuffer<LMat, 32> matrices;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 256> skinnedVertices;
    mirel::DBuffer<L3D_RENDERER_VERTEX, 768> batchVertices;
    mirel::DBuffer<unsigned short, 768> batchIndices;
    mirel::DBuffer<unsigned short, 2304> batchIndicesLarge;
};
