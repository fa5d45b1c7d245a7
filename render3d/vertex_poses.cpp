#include "render3d/vertex_poses.h"

#include "foundation/DSjisText.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DSjis;

void l3dTransformPoint(const float in[3], const LMat& m, float out[3]) {
    float r[4];
    for (int c = 0; c < 4; ++c)
        r[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + m.m[3][c];
    out[0] = r[0] / r[3];
    out[1] = r[1] / r[3];
    out[2] = r[2] / r[3];
}

void l3dProcessVertexPoses(const L3DVertexSource& source, const L3DBoneList& bones,
                           const LMat* matrices, uint32_t matrixCount, const LMat& view,
                           mirel::DBuffer<LMat, 32>& skinMatrices,
                           mirel::DBuffer<L3D_RENDERER_VERTEX, 256>& positions) {
    if (matrixCount == 0) l3dError(DSjis<"[L3DRenderer::ProcessVertexPoses] matcountが0">());
    if (source.weightCount > 4)
        l3dError(DSjis<"[L3DRenderer::ProcessVertexPoses] サポートしていないボーン数(%d)">(),
                 static_cast<int>(source.weightCount));

    const uint32_t slots = 1 + bones.count;
    skinMatrices.Reserve(slots);
    LMat::Multiply(matrices[0], view, skinMatrices[0]);
    for (uint32_t i = 0; i < bones.count; ++i)
        LMat::Multiply(l3dPaletteEntry(matrices, matrixCount, bones.entries[i]), view,
                       skinMatrices[static_cast<int32_t>(1 + i)]);
    const LMat* skin = skinMatrices.Items();

    positions.Reserve(source.count);
    L3D_RENDERER_VERTEX* out = positions.Items();
    for (uint32_t v = 0; v < source.count; ++v) {
        const L3D_RENDERER_VERTEX& vertex = source.vertices[v];
        const float position[3] = {vertex.x, vertex.y, vertex.z};
        float* result = &out[v].x;
        auto bone = [&](uint32_t j) -> const LMat& {
            return l3dPaletteEntry(skin, slots, (vertex.boneIndices >> (8 * j)) & 0xFF);
        };
        if (source.weightCount == 0) {
            l3dTransformPoint(position, skin[0], result);
        } else if (source.weightCount == 1) {
            l3dTransformPoint(position, bone(0), result);
        } else {
            float sum[3] = {0.0f, 0.0f, 0.0f};
            for (uint32_t j = 0; j < source.weightCount; ++j) {
                float p[3];
                l3dTransformPoint(position, bone(j), p);
                for (int c = 0; c < 3; ++c) sum[c] += vertex.weights[j] * p[c];
            }
            result[0] = sum[0];
            result[1] = sum[1];
            result[2] = sum[2];
        }
    }
}
