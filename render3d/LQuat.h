#pragma once
// Float quaternions (x, y, z, w); unit quaternions stand for rotations.
#include "render3d/LMat.h"

struct LQuat {
    float x, y, z, w;

    // out = a (x) b, the Hamilton product with a on the left. out may be a or b.
    static void Multiply(LQuat& out, const LQuat& a, const LQuat& b);
    // The rotation matrix of a unit quaternion for row vectors (v' = v x M), no translation.
    static void ToMatrix(const LQuat& q, LMat& out);
};
