#include "effects/effect_matrix.h"

#include <cmath>

void l3dMatrixRotationAxis(LMat& out, float x, float y, float z, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    out.m[0][0] = x * x * t + c;
    out.m[0][1] = x * y * t + z * s;
    out.m[0][2] = x * z * t - y * s;
    out.m[0][3] = 0.0f;
    out.m[1][0] = x * y * t - z * s;
    out.m[1][1] = y * y * t + c;
    out.m[1][2] = y * z * t + x * s;
    out.m[1][3] = 0.0f;
    out.m[2][0] = x * z * t + y * s;
    out.m[2][1] = y * z * t - x * s;
    out.m[2][2] = z * z * t + c;
    out.m[2][3] = 0.0f;
    out.m[3][0] = 0.0f;
    out.m[3][1] = 0.0f;
    out.m[3][2] = 0.0f;
    out.m[3][3] = 1.0f;
}

void l3dMatrixTranslation(LMat& out, float x, float y, float z) {
    out = LMat::Identity();
    out.m[3][0] = x;
    out.m[3][1] = y;
    out.m[3][2] = z;
}
