#include "render3d/LMat.h"

#include <cstring>

#include "platform/d3d9/d3dx9_math.h"

LMat LMat::Identity() {
    LMat out{};
    for (int i = 0; i < 4; ++i) out.m[i][i] = 1.0f;
    return out;
}

void LMat::Multiply(const LMat& a, const LMat& b, LMat& out) {
    LMat product{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
            product.m[row][column] = sum;
        }
    out = product;
}

LMat operator*(const LMat& a, const LMat& b) {
    LMat out;
    LMat::Multiply(a, b, out);
    return out;
}

void LMat::Transpose(LMat& dst, const LMat& src) {
    LMat result;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) result.m[column][row] = src.m[row][column];
    dst = result;
}

void LMat::Scaling(LMat& out, float sx, float sy, float sz) {
    out = Identity();
    out.m[0][0] = sx;
    out.m[1][1] = sy;
    out.m[2][2] = sz;
}

void LMat::Inverse(const LMat& src, LMat& dst) {
    platform::d3d9::D3DXMATRIX in, inverse;
    std::memcpy(&in, &src, sizeof src);
    if (platform::d3d9::D3DXMatrixInverse(&inverse, nullptr, &in))
        std::memcpy(&dst, &inverse, sizeof dst);
    else
        dst = Identity();
}

void LMat::MultiplyInPlace(LMat& m, const LMat& n) { Multiply(m, n, m); }

void LMat::TransformCoord(const LVec& p, const LMat& m, LVec& out) {
    float r[4];
    for (int column = 0; column < 4; ++column)
        r[column] =
            p.x * m.m[0][column] + p.y * m.m[1][column] + p.z * m.m[2][column] + m.m[3][column];
    out = {r[0] / r[3], r[1] / r[3], r[2] / r[3]};
}
