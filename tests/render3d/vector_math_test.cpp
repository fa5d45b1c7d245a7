#include <gtest/gtest.h>

#include <cmath>

#include "render3d/LMat.h"
#include "render3d/LQuat.h"
#include "render3d/LVec.h"

namespace tessera::test {
namespace {

LQuat turn(float x, float y, float z, float degrees) {
    const float half = degrees * 0.017453292f * 0.5f;
    return {x * std::sin(half), y * std::sin(half), z * std::sin(half), std::cos(half)};
}

LVec rotate(const LVec& v, const LMat& m) {
    LVec out;
    LMat::TransformCoord(v, m, out);
    return out;
}

void expectVec(const LVec& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

TEST(VectorMath, NormalizeKeepsZeroAndMayWorkInPlace) {
    LVec v{3.0f, 0.0f, 4.0f};
    LVec::Normalize(v, v);
    expectVec(v, 0.6f, 0.0f, 0.8f);
    LVec zero{0.0f, 0.0f, 0.0f};
    LVec out{1.0f, 1.0f, 1.0f};
    LVec::Normalize(zero, out);
    expectVec(out, 0.0f, 0.0f, 0.0f);
}

TEST(VectorMath, TransformCoordDividesByW) {
    LMat m = LMat::Identity();
    m.m[3][0] = 2.0f;  // translation x
    m.m[2][3] = 1.0f;  // w = z + 1
    LVec p{1.0f, 2.0f, 3.0f};
    LMat::TransformCoord(p, m, p);
    expectVec(p, 0.75f, 0.5f, 0.75f);
}

// Row vectors: the matrix of a (x) b applies b first, then a.
TEST(VectorMath, QuaternionProductAndMatrix) {
    const LQuat aboutZ = turn(0, 0, 1, 90);
    const LQuat aboutX = turn(1, 0, 0, 90);
    LMat m;
    LQuat::ToMatrix(aboutZ, m);
    expectVec(rotate({1, 0, 0}, m), 0, 1, 0);
    EXPECT_EQ(m.m[3][3], 1.0f);
    EXPECT_EQ(m.m[3][0], 0.0f);

    LQuat product;
    LQuat::Multiply(product, aboutZ, aboutX);
    LQuat::ToMatrix(product, m);
    expectVec(rotate({0, 1, 0}, m), 0, 0, 1);  // x turns y to z, which z keeps
    expectVec(rotate({0, 0, 1}, m), 1, 0, 0);  // x turns z to -y, z turns -y to x
    // Written against the components: (w1 v2 + w2 v1 + v1 x v2, w1 w2 - v1.v2).
    const LQuat a{1, 2, 3, 4};
    const LQuat b{5, 6, 7, 8};
    LQuat ab;
    LQuat::Multiply(ab, a, b);
    EXPECT_EQ(ab.x, 24.0f);
    EXPECT_EQ(ab.y, 48.0f);
    EXPECT_EQ(ab.z, 48.0f);
    EXPECT_EQ(ab.w, -6.0f);
    LQuat inPlace = a;
    LQuat::Multiply(inPlace, inPlace, b);
    EXPECT_EQ(inPlace.x, ab.x);
    EXPECT_EQ(inPlace.w, ab.w);
}

}  // namespace
}  // namespace tessera::test
