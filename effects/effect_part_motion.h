#pragma once
// Rotations of a playing part, shared by its events and its per-frame animation.
#include "effects/L3DEffectWork.h"
#include "render3d/L3DRandom.h"
#include "render3d/LQuat.h"

// quaternion = quaternion ⊗ turn.
void effectTurn(L3D_EFFECT_WORKPART& work, const LQuat& turn);
// The rotation matrix from the quaternion.
void effectRebuildRotation(L3D_EFFECT_WORKPART& work);
// Draws angle = angle base + rand × angle range, then, unless |angle| < 1e-6, the axis
// base[i] + rand × range[i] for x, y, z. False when the angle or the axis (|x| + |y| + |z|) is
// below 1e-6; otherwise turn is the rotation by the angle about the normalised axis.
bool effectRandomTurn(L3DRandom& random, const float base[3], const float range[3], float angleBase,
                      float angleRange, LQuat& turn);
// out = v × the part's rotation matrix (a row vector, no translation). out may be v.
void effectAlongRotation(const L3D_EFFECT_WORKPART& work, const float v[3], float out[3]);
