#pragma once
// View-space positions of a piece's vertices for the depth keys of its blended triangles:
// every vertex skinned on the CPU by its blend weights through the part's matrices times the
// view. Only positions are computed.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/LMat.h"

struct L3DVertexSource {
    const L3D_RENDERER_VERTEX* vertices;
    uint32_t count;
    uint32_t weightCount;  // blend weights per vertex, 0 to 4
};

// A mesh's palette slots for its bone bytes: bone byte n > 0 names entry n - 1.
struct L3DBoneList {
    const uint32_t* entries;
    uint32_t count;
};

// The matrix of a palette slot; a slot past the palette (bad model data) falls back to entry 0.
inline const LMat& l3dPaletteEntry(const LMat* matrices, uint32_t matrixCount, uint32_t slot) {
    return matrices[slot < matrixCount ? slot : 0];
}

// (x, y, z, 1) x m, divided by the resulting w.
void l3dTransformPoint(const float in[3], const LMat& m, float out[3]);

// skinMatrices[0] = matrices[0] x view and skinMatrices[1 + i] = matrices[bone i] x view;
// positions[v] gets vertex v's skinned position (x, y, z only). Fatal for no matrices or a
// weight count above 4. A bone byte past the list uses entry 0.
void l3dProcessVertexPoses(const L3DVertexSource& source, const L3DBoneList& bones,
                           const LMat* matrices, uint32_t matrixCount, const LMat& view,
                           mirel::DBuffer<LMat, 32>& skinMatrices,
                           mirel::DBuffer<L3D_RENDERER_VERTEX, 256>& positions);
