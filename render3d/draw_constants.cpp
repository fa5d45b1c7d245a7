#include "render3d/draw_constants.h"

#include <cmath>

namespace {

uint32_t channel(float value) { return static_cast<uint32_t>(std::lrintf(value * 255.0f)) & 0xFF; }

}  // namespace

uint32_t l3dFogColor(float r, float g, float b) {
    return channel(r) << 16 | channel(g) << 8 | channel(b);
}

void l3dNormalizeLight(const float in[3], float out[3]) {
    const float length = std::sqrt(in[0] * in[0] + in[1] * in[1] + in[2] * in[2]);
    const float scale = length > 0.0f ? 1.0f / length : 1.0f;
    for (int i = 0; i < 3; ++i) out[i] = in[i] * scale;
}

L3DEdgeAspect l3dEdgeAspect(const LMat& inverseProjection) {
    const LMat& m = inverseProjection;
    float p[4];
    for (int c = 0; c < 4; ++c) p[c] = m.m[0][c] + m.m[1][c] + m.m[3][c];  // (1, 1, 0, 1) x m
    const float x = p[0] / p[3];
    const float y = p[1] / p[3];
    return {y / x, x / y};
}

void l3dAppendMatrixRegisters(std::vector<L3DVec4>& out, const LMat& m) {
    for (int row = 0; row < 4; ++row)
        out.push_back({m.m[row][0], m.m[row][1], m.m[row][2], m.m[row][3]});
}

void l3dAppendBoneRegisters(std::vector<L3DVec4>& out, const LMat* boneMatrices,
                            uint32_t matrixCount, const uint32_t* boneList, uint32_t boneCount) {
    auto rows = [&](const LMat& m) {
        for (int row = 0; row < 3; ++row)
            out.push_back({m.m[row][0], m.m[row][1], m.m[row][2], m.m[row][3]});
    };
    rows(boneMatrices[0]);
    for (uint32_t j = 0; j < boneCount; ++j)
        rows(boneMatrices[boneList[j] < matrixCount ? boneList[j] : 0]);
}

std::vector<L3DVec4> l3dOutlineConstants(bool skinned, const L3DOutlineInputs& in) {
    const L3DVec4 e = {in.edgeWidth, in.edgeWidth * in.edgeAspectInverse, 0.0f, 0.0f};
    std::vector<L3DVec4> out;
    if (skinned) {
        out = {{1.0f, in.fog1, in.fog2, 765.01f}, e, in.edgeColour};
    } else {
        out = {e, in.edgeColour, {in.fog1, in.fog2, 0.0f, 0.0f}};
    }
    l3dAppendMatrixRegisters(out, in.transform);
    return out;
}

std::vector<L3DVec4> l3dObjectConstants(const LMat& world, const LMat& view, const LMat& projection,
                                        float fog1, float fog2) {
    LMat wvp = world * view * projection;
    LMat::Transpose(wvp, wvp);
    std::vector<L3DVec4> out = {{fog1, fog2, 0.0f, 0.0f}};
    l3dAppendMatrixRegisters(out, wvp);
    return out;
}
