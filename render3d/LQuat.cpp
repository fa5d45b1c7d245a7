#include "render3d/LQuat.h"

#include <cmath>

#include "foundation/DMathTrig.h"

using mirel::DMathAcos;
using mirel::DMathCos;
using mirel::DMathSin;

namespace {

// Below this the angle between two quaternions is too small for the spherical formula.
constexpr float kNearlyParallel = 0.999f;

float Dot(const LQuat& a, const LQuat& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

// normalise(q0 + (q1 - q0) t); q0 when the blend has length zero (q and -q halfway), which
// has no direction to normalise to.
LQuat LinearBlend(const LQuat& q0, const LQuat& q1, float t) {
    const LQuat blend = {q0.x + (q1.x - q0.x) * t, q0.y + (q1.y - q0.y) * t,
                         q0.z + (q1.z - q0.z) * t, q0.w + (q1.w - q0.w) * t};
    const float length = std::sqrt(Dot(blend, blend));
    if (length == 0.0f) return q0;
    return {blend.x / length, blend.y / length, blend.z / length, blend.w / length};
}

// q0 sin((1 - t) theta) / sin(theta) + q1 sin(t theta) / sin(theta), theta = acos(dot).
LQuat Spherical(const LQuat& q0, const LQuat& q1, float dot, float t) {
    const float theta = DMathAcos(dot);
    const float sine = DMathSin(theta);
    const float a = DMathSin((1.0f - t) * theta) / sine;
    const float b = DMathSin(t * theta) / sine;
    return {q0.x * a + q1.x * b, q0.y * a + q1.y * b, q0.z * a + q1.z * b, q0.w * a + q1.w * b};
}

struct Vec3 {
    float x, y, z;
};

// The vector part of log(conj(q) (x) x): the axis of the turn from q to x times its half
// angle; zero where that angle has no sine (no turn, or a dot product outside [-1, 1]).
Vec3 LogOfTurn(const LQuat& q, const LQuat& x) {
    const LQuat conjugate = {-q.x, -q.y, -q.z, q.w};
    LQuat r;
    LQuat::Multiply(r, conjugate, x);
    const float theta = DMathAcos(r.w);
    const float sine = DMathSin(theta);
    if (!(sine > 0.0f)) return {0.0f, 0.0f, 0.0f};
    return {r.x * theta / sine, r.y * theta / sine, r.z * theta / sine};
}

}  // namespace

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

void LQuat::Slerp(LQuat& out, const LQuat& q0, const LQuat& q1, float t) {
    float dot = Dot(q0, q1);
    LQuat end = q1;
    if (dot < 0.0f) {
        end = {-q1.x, -q1.y, -q1.z, -q1.w};
        dot = -dot;
    }
    out = dot < kNearlyParallel ? Spherical(q0, end, dot, t) : LinearBlend(q0, end, t);
}

void LQuat::SlerpDirect(LQuat& out, const LQuat& q0, const LQuat& q1, float t) {
    const float dot = Dot(q0, q1);
    out = (dot > -kNearlyParallel && dot < kNearlyParallel) ? Spherical(q0, q1, dot, t)
                                                            : LinearBlend(q0, q1, t);
}

void LQuat::Squad(LQuat& out, const LQuat& q0, const LQuat& q1, const LQuat& s0, const LQuat& s1,
                  float t) {
    LQuat path, controls;
    SlerpDirect(path, q0, q1, t);
    SlerpDirect(controls, s0, s1, t);
    SlerpDirect(out, path, controls, 2.0f * t * (1.0f - t));
}

void LQuat::SquadControl(LQuat& out, const LQuat& q, const LQuat& a, const LQuat& b) {
    const Vec3 logA = LogOfTurn(q, a), logB = LogOfTurn(q, b);
    const Vec3 u = {-(logA.x + logB.x) / 4.0f, -(logA.y + logB.y) / 4.0f,
                    -(logA.z + logB.z) / 4.0f};
    const float theta = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
    LQuat exp = {0.0f, 0.0f, 0.0f, 1.0f};
    if (theta > 0.0f) {
        const float sine = DMathSin(theta);
        exp = {u.x * sine / theta, u.y * sine / theta, u.z * sine / theta, DMathCos(theta)};
    }
    Multiply(out, q, exp);
}
