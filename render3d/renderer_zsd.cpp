// The renderer's side of the depth-sorted pass: registrations carry the current fog, and the
// frame's draw frees the blended-piece records; vertex poses give blended pieces their keys.
#include "render3d/L3DRenderer.h"

void L3DRenderer::RegistZsdElement(const L3DZsdRegistration& registration) {
    zsd.Register(registration, fogFields().load());
}

void L3DRenderer::RegistZsdElementArgs(const float position[3], uint32_t vertexCount,
                                       const L3D_RENDERER_VERTEX* vertices,
                                       const L3D_RENDERER_VERTEX* positions,
                                       const uint16_t* indices, uint32_t indexCount,
                                       L3DZsdDrawFn callback, void* user, uint32_t flags) {
    L3DZsdElementDesc element;
    element.vertexCount = vertexCount;
    element.vertices = vertices;
    element.positions = positions;
    element.indexCount = indexCount;
    element.indices = indices;
    element.callback = callback;
    element.user = user;
    element.flags = flags;
    RegistZsdElement({{position[0], position[1], position[2]}, &element});
}

void L3DRenderer::_SortTriangles(const L3D_RENDERER_VERTEX* positions, const uint16_t* indices,
                                 uint32_t indexCount, uint32_t flags) {
    zsd.SortTriangles(positions, indices, indexCount, flags);
}

void L3DRenderer::DrawZsd() {
    zsd.Draw(this, fogFields());
    alphaRecords.Recycle();
}

void L3DRenderer::ProcessVertexPoses(const L3DVertexSource& source, const L3DBoneList& bones,
                                     const LMat* matrices, uint32_t matrixCount,
                                     const LMat& viewMatrix) {
    l3dProcessVertexPoses(source, bones, matrices, matrixCount, viewMatrix, skinMatrices,
                          skinPositions);
}
