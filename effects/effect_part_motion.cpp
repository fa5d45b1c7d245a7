#include "effects/effect_part_motion.h"

#include <cmath>

#include "render3d/LVec.h"

namespace {

constexpr float kSmallest = 1e-6f;

}  // namespace

void effectTurn(L3D_EFFECT_WORKPART& work, const LQuat& turn) {
    const LQuat current{work.rotation[0], work.rotation[1], work.rotation[2], work.rotation[3]};
    LQuat out;
    LQuat::Multiply(out, current, turn);
    work.rotation[0] = out.x;
    work.rotation[1] = out.y;
    work.rotation[2] = out.z;
    work.rotation[3] = out.w;
}

void effectRebuildRotation(L3D_EFFECT_WORKPART& work) {
    LQuat::ToMatrix({work.rotation[0], work.rotation[1], work.rotation[2], work.rotation[3]},
                    work.rotationMatrix);
}

bool effectRandomTurn(L3DRandom& random, const float base[3], const float range[3], float angleBase,
                      float angleRange, LQuat& turn) {
    const float angle = angleBase + random.GetFloat() * angleRange;
    if (std::fabs(angle) < kSmallest) return false;
    LVec axis;
    axis.x = base[0] + random.GetFloat() * range[0];
    axis.y = base[1] + random.GetFloat() * range[1];
    axis.z = base[2] + random.GetFloat() * range[2];
    if (std::fabs(axis.x) + std::fabs(axis.y) + std::fabs(axis.z) < kSmallest) return false;
    LVec::Normalize(axis, axis);
    const float s = std::sin(angle / 2.0f);
    turn = {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2.0f)};
    return true;
}

void effectAlongRotation(const L3D_EFFECT_WORKPART& work, const float v[3], float out[3]) {
    const auto& m = work.rotationMatrix.m;
    const float x = v[0], y = v[1], z = v[2];
    for (int c = 0; c < 3; ++c) out[c] = x * m[0][c] + y * m[1][c] + z * m[2][c];
}
