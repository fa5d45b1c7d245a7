#include "tests/render3d/support/matrices.h"

#include <cmath>

namespace tessera::test {

LMat translation(float x, float y, float z) {
    LMat m = LMat::Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

LMat rotation(int axis, float degrees) {
    const float a = degrees * 3.14159265f / 180.0f, c = std::cos(a), s = std::sin(a);
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    LMat m = LMat::Identity();
    m.m[i][i] = c;
    m.m[i][j] = s;
    m.m[j][i] = -s;
    m.m[j][j] = c;
    return m;
}

LMat perspective43() {
    LMat p{};
    p.m[0][0] = 0.75f;
    p.m[1][1] = 1.0f;
    p.m[2][2] = 1.0f;
    p.m[2][3] = 1.0f;
    p.m[3][2] = -0.5f;
    return p;
}

LMat parallel43() {
    LMat p = LMat::Identity();
    p.m[0][0] = 0.5f;
    p.m[1][1] = 1.0f / 1.5f;
    p.m[2][2] = 0.1f;
    return p;
}

}  // namespace tessera::test
