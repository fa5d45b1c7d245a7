#include <gtest/gtest.h>

#include <cmath>

#include "render3d/LQuat.h"

namespace tessera::test {
namespace {

constexpr float kDegrees = 0.017453292f;

LQuat aboutZ(float degrees) {
    const float half = degrees * kDegrees * 0.5f;
    return {0.0f, 0.0f, std::sin(half), std::cos(half)};
}

LQuat negated(const LQuat& q) { return {-q.x, -q.y, -q.z, -q.w}; }

void expectQuat(const LQuat& actual, const LQuat& want, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, want.x, tolerance);
    EXPECT_NEAR(actual.y, want.y, tolerance);
    EXPECT_NEAR(actual.z, want.z, tolerance);
    EXPECT_NEAR(actual.w, want.w, tolerance);
}

TEST(QuaternionInterpolation, SlerpTakesTheShortWay) {
    const LQuat q = {0.2f, -0.4f, 0.4f, 0.8f};  // a unit quaternion
    LQuat out;
    // q and -q are one orientation: no turn at all.
    for (const float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
        LQuat::Slerp(out, q, negated(q), t);
        expectQuat(out, q);
    }
    // Towards -(90 degrees about z): the halfway point is +45 degrees, not the long way round.
    LQuat::Slerp(out, aboutZ(0), negated(aboutZ(90)), 0.5f);
    expectQuat(out, aboutZ(45));
    LQuat::Slerp(out, aboutZ(10), aboutZ(70), 0.25f);
    expectQuat(out, aboutZ(25));
    // Nearly parallel: the normalised linear blend.
    LQuat::Slerp(out, aboutZ(0), aboutZ(1), 0.5f);
    expectQuat(out, aboutZ(0.5f));
}

TEST(QuaternionInterpolation, SlerpDirectAndSquadKeepTheirSigns) {
    // The dot product of these is negative; Slerp flips the end, the direct forms do not.
    const LQuat q0 = aboutZ(0), q1 = negated(aboutZ(90));
    LQuat out;
    LQuat::Slerp(out, q0, q1, 1.0f);
    expectQuat(out, aboutZ(90));
    LQuat::SlerpDirect(out, q0, q1, 1.0f);
    expectQuat(out, q1);
    // The direct path from 0 to -(90) is the long way: +135 degrees of quaternion angle,
    // halfway a turn of 135 degrees about -z.
    LQuat::SlerpDirect(out, q0, q1, 0.5f);
    expectQuat(out, {0.0f, 0.0f, -std::sin(67.5f * kDegrees), std::cos(67.5f * kDegrees)});
    for (const float t : {0.0f, 0.5f, 1.0f}) {
        LQuat::Squad(out, q0, q1, q0, q1, t);
        LQuat direct;
        LQuat::SlerpDirect(direct, q0, q1, t);
        expectQuat(out, direct);
    }
}

TEST(QuaternionInterpolation, OppositeQuaternionsMetHalfwayGiveTheStart) {
    // q + (-q - q) / 2 has no direction; the blend keeps q instead of dividing by zero.
    const LQuat q = aboutZ(30);
    LQuat out;
    LQuat::SlerpDirect(out, q, negated(q), 0.5f);
    expectQuat(out, q, 0.0f);
    LQuat::Squad(out, q, negated(q), q, negated(q), 0.5f);
    EXPECT_FALSE(std::isnan(out.x) || std::isnan(out.y) || std::isnan(out.z) || std::isnan(out.w));
    EXPECT_NEAR(out.x * out.x + out.y * out.y + out.z * out.z + out.w * out.w, 1.0f, 1e-6f);
}

TEST(QuaternionInterpolation, SquadControl) {
    LQuat out;
    // Neighbours at equal angles on either side: the control is q itself.
    LQuat::SquadControl(out, aboutZ(40), aboutZ(10), aboutZ(70));
    expectQuat(out, aboutZ(40));
    // From the identity, a = identity and b = 90 degrees: log b = (0, 0, pi/4), so
    // u = (0, 0, -pi/16) and the control turns by -22.5 degrees.
    LQuat::SquadControl(out, aboutZ(0), aboutZ(0), aboutZ(90));
    expectQuat(out, aboutZ(-22.5f));
    // Squad through controls equal to the ends is the spherical path itself.
    LQuat squad, slerp;
    LQuat::Squad(squad, aboutZ(0), aboutZ(60), aboutZ(0), aboutZ(60), 0.25f);
    LQuat::Slerp(slerp, aboutZ(0), aboutZ(60), 0.25f);
    expectQuat(squad, slerp);
}

}  // namespace
}  // namespace tessera::test
