// The D3DX matrix helpers against their formulas and against each other.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/d3d9/d3dx9_math.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

// Row vector (x, y, z, 1) times m.
void transform(const D3DXMATRIX& m, const float in[3], float out[4]) {
    for (int c = 0; c < 4; ++c)
        out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + m.m[3][c];
}

TEST(D3dxMath, RightHandedPerspectivePutsNearAtZeroAndFarAtOne) {
    D3DXMATRIX m;
    ASSERT_EQ(D3DXMatrixPerspectiveFovRH(&m, 3.14159265f / 4, 4.0f / 3.0f, 1.0f, 100.0f), &m);
    const float nearPoint[3] = {0, 0, -1}, farPoint[3] = {0, 0, -100};
    float clip[4];
    transform(m, nearPoint, clip);
    EXPECT_NEAR(clip[2] / clip[3], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(clip[3], 1.0f);
    transform(m, farPoint, clip);
    EXPECT_NEAR(clip[2] / clip[3], 1.0f, 1e-6f);
    // The top of the view at 45 degrees: y = z * tan(22.5) maps to y/w = 1.
    const float top[3] = {0, std::tan(3.14159265f / 8) * 10, -10};
    transform(m, top, clip);
    EXPECT_NEAR(clip[1] / clip[3], 1.0f, 1e-5f);
    EXPECT_NEAR(m.m[0][0] * 4.0f / 3.0f, m.m[1][1], 1e-6f);
}

TEST(D3dxMath, OrthographicProjections) {
    D3DXMATRIX m;
    D3DXMatrixOrthoRH(&m, 8.0f, 6.0f, 1.0f, 11.0f);
    const float corner[3] = {4, 3, -1}, far[3] = {-4, -3, -11};
    float clip[4];
    transform(m, corner, clip);
    EXPECT_FLOAT_EQ(clip[0], 1.0f);
    EXPECT_FLOAT_EQ(clip[1], 1.0f);
    EXPECT_NEAR(clip[2], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(clip[3], 1.0f);
    transform(m, far, clip);
    EXPECT_FLOAT_EQ(clip[0], -1.0f);
    EXPECT_FLOAT_EQ(clip[2], 1.0f);

    // The older sprite layer's screen mapping: (0, 0) top left, (w, h) bottom right.
    D3DXMatrixOrthoOffCenterRH(&m, 0, 640, 480, 0, -1, 1);
    const float topLeft[3] = {0, 0, 0}, bottomRight[3] = {640, 480, 0};
    transform(m, topLeft, clip);
    EXPECT_FLOAT_EQ(clip[0], -1.0f);
    EXPECT_FLOAT_EQ(clip[1], 1.0f);
    EXPECT_FLOAT_EQ(clip[2], 0.5f);
    transform(m, bottomRight, clip);
    EXPECT_FLOAT_EQ(clip[0], 1.0f);
    EXPECT_FLOAT_EQ(clip[1], -1.0f);
}

TEST(D3dxMath, InverseUndoesTheMatrixAndRefusesSingularOnes) {
    D3DXMATRIX m, inverse;
    D3DXMatrixPerspectiveFovRH(&m, 0.9f, 1.5f, 0.5f, 50.0f);
    m.m[3][0] = 3.0f;  // and a translation
    float determinant = 0;
    ASSERT_EQ(D3DXMatrixInverse(&inverse, &determinant, &m), &inverse);
    EXPECT_NE(determinant, 0.0f);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += m.m[r][k] * inverse.m[k][c];
            EXPECT_NEAR(sum, r == c ? 1.0f : 0.0f, 1e-5f) << r << "," << c;
        }
    D3DXMATRIX singular{};
    singular.m[0][0] = singular.m[1][1] = singular.m[2][2] = 1.0f;  // last row and column zero
    D3DXMATRIX untouched{};
    untouched.m[0][0] = 42.0f;
    EXPECT_EQ(D3DXMatrixInverse(&untouched, &determinant, &singular), nullptr);
    EXPECT_EQ(determinant, 0.0f);
    EXPECT_EQ(untouched.m[0][0], 42.0f);
}

}  // namespace
}  // namespace tessera::test
