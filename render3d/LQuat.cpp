#include "render3d/LQuat.h"

void LQuat::Multiply(LQuat& out, const LQuat& a, const LQuat& b) {
    const LQuat product = {
        a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
        a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z,
        a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x,
        a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
    };
    out = product;
}

void LQuat::ToMatrix(const LQuat& q, LMat& out) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    out = LMat::Identity();
    out.m[0][0] = 1.0f - 2.0f * y * y - 2.0f * z * z;
    out.m[0][1] = 2.0f * (x * y + z * w);
    out.m[0][2] = 2.0f * (x * z - y * w);
    out.m[1][0] = 2.0f * (x * y - z * w);
    out.m[1][1] = 1.0f - 2.0f * x * x - 2.0f * z * z;
    out.m[1][2] = 2.0f * (y * z + x * w);
    out.m[2][0] = 2.0f * (x * z + y * w);
    out.m[2][1] = 2.0f * (y * z - x * w);
    out.m[2][2] = 1.0f - 2.0f * x * x - 2.0f * y * y;
}
