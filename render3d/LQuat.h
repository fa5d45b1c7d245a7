#pragma once
// Float quaternions (x, y, z, w); unit quaternions stand for rotations.
#include "render3d/LMat.h"

struct LQuat {
    float x, y, z, w;

    // out = a (x) b, the Hamilton product with a on the left. out may be a or b.
    static void Multiply(LQuat& out, const LQuat& a, const LQuat& b);
    // The rotation matrix of a unit quaternion for row vectors (v' = v x M), no translation.
    static void ToMatrix(const LQuat& q, LMat& out);

    // The interpolations below compute in float in a fixed order with the foundation's
    // deterministic trigonometry, so every machine gets the same bits. Where the two
    // quaternions are nearly parallel they blend linearly and normalise instead; a blend of
    // length zero (q and -q met halfway) gives q0. out may be any of the inputs.

    // Spherical linear interpolation the short way: q1 is negated when it points away from q0.
    static void Slerp(LQuat& out, const LQuat& q0, const LQuat& q1, float t);
    // Spherical linear interpolation without the negation: the path keeps both signs.
    static void SlerpDirect(LQuat& out, const LQuat& q0, const LQuat& q1, float t);
    // Spherical cubic from q0 to q1 with the inner controls s0 and s1:
    // SlerpDirect(SlerpDirect(q0, q1, t), SlerpDirect(s0, s1, t), 2t(1 - t)).
    static void Squad(LQuat& out, const LQuat& q0, const LQuat& q1, const LQuat& s0,
                      const LQuat& s1, float t);
    // The inner control at q of a spherical cubic through a, q, b:
    // q (x) exp(-(log(q* (x) a) + log(q* (x) b)) / 4).
    static void SquadControl(LQuat& out, const LQuat& q, const LQuat& a, const LQuat& b);
};
