#pragma once
#include "render3d/LVec.h"

// 4x4 matrices of 32-bit floats, row-major with row vectors (a point is (x, y, z, 1) times the
// matrix), translation in the fourth row.
struct LMat {
    float m[4][4];

    // out = a x b, computed into a temporary first so that out may be a or b.
    static void Multiply(const LMat& a, const LMat& b, LMat& out);
    static void Transpose(LMat& dst, const LMat& src);
    static void Scaling(LMat& out, float sx, float sy, float sz);
    // dst = the inverse of src, or the identity when src is singular (determinant exactly 0).
    static void Inverse(const LMat& src, LMat& dst);
    static void MultiplyInPlace(LMat& m, const LMat& n);
    static LMat Identity();
    // out = (x, y, z, 1) x m divided by the resulting w. out may be the point.
    static void TransformCoord(const LVec& point, const LMat& m, LVec& out);
};

LMat operator*(const LMat& a, const LMat& b);
