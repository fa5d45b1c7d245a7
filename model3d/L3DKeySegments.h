#pragma once
// Key interpolation: the key segments of a motion, built once from its keys with their curves
// precomputed, and the pose of a node that steps through them one frame at a time. Everything
// computes in float in a fixed order (t^2 = t t, t^3 = t^2 t), so every machine running this
// build gets the same poses.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "model3d/L3DAnimData.h"
#include "render3d/LMat.h"
#include "render3d/LQuat.h"
#include "render3d/LVec.h"

// The stretch of a motion from one key to the next item.
struct L3D_ANIMINST_SEGMENT {
    uint32_t duration;  // frames it lasts, at least 1
    uint32_t flags;     // the key flags of its starting key
    // Curved: K3, K2, K1, K0 of value(t) = K3 t^3 + K2 t^2 + K1 t + K0 (x, y, z each);
    // linear: start and delta of value(t) = start + delta t, the other two unused.
    float position[4][3];
    // Curved: S0, S1 (the inner controls at the start and end key), Q1, Q0 (the end and start
    // rotation); linear: Q0, Q1, the other two unused.
    LQuat rotation[4];
    float scale[4][3];  // as position
};
static_assert(sizeof(L3D_ANIMINST_SEGMENT) == 42 * 4);

// The cubic of one channel of a curved segment.
struct L3DCubicKey {
    float k3, k2, k1, k0;
};

// The cubic Hermite curve from vc to vd with Catmull-Rom-like tangents weighted by the frame
// lengths dp, dc, dn of the segments before, of and after this one: the start slope is the
// chord's when dp = 0, the end slope 0 when dn = 0.
L3DCubicKey l3dCalcCubicKey(float dp, float dc, float dn, float vp, float vc, float vd, float ve);

// Room for the key pointers of one motion while its segments are built.
using L3DKeyScratch = mirel::DBuffer<L3D_ANIMDATA_KEY*, 128>;

// The key segments of one motion.
struct L3DKeySegments {
    LVec pivot{0.0f, 0.0f, 0.0f};         // added to every key position
    LMat pivotMatrix = LMat::Identity();  // moves a point by minus the pivot
    uint32_t segmentCount = 0;
    mirel::rcptr<L3D_ANIMINST_SEGMENT> segments;
    uint32_t loopSegment = 0;  // where stepping goes on after the last segment

    // Builds the segments of keys in file order (nothing sorts them: keys out of order give
    // wrapped, huge durations) for an animation with the end frame E and loop frame L: a
    // neutral start key at frame 0 when the first key is later, one segment per key, and the
    // last segment ending at a wrap copy of the first key after L shifted by E - L (or of the
    // last key at E + 60 when no key follows L). True when there are keys. The list of key
    // pointers is made in `scratch`, which grows as needed and is kept for the next build.
    bool Build(mirel::DList<L3D_ANIMDATA_KEY>& keys, const LVec& pivot, uint32_t endFrame,
               uint32_t loopFrame, L3DKeyScratch& scratch);
};

// A node's place in the key segments of its motion and the local pose they give it. The
// motion is passed in on each call (null: the node has none), so a node that is bound to
// another motion only needs a rewind.
struct L3DKeyPose {
    uint32_t segment = 0;
    uint32_t framesLeft = 0;          // in the current segment
    uint32_t keyFlags = 0;            // the current segment's flags, set by Step
    LVec position{0.0f, 0.0f, 0.0f};  // the key position (the interpolated one minus the pivot)
    LQuat rotation{0.0f, 0.0f, 0.0f, 1.0f};
    LVec scale{1.0f, 1.0f, 1.0f};
    LMat local = LMat::Identity();  // pivot matrix x scale x rotation x translation

    // One update: with two or more segments, moves `frames` frames on (through the loop
    // segment after the last) and evaluates the current segment at t = 1 - (left + 1) /
    // duration, so a segment of duration d shows t = 0, 1/d, ... (d - 1)/d and the first step
    // after a rewind shows the first key. Fewer segments keep the pose. keyFlags becomes the
    // current segment's flags (0 without segments).
    void Step(const L3DKeySegments* keys, uint32_t frames);
    // The pose of segment k at t. Fatal without keys or with k out of range.
    void Evaluate(const L3DKeySegments* keys, uint32_t k, float t);
    // Back to the start of segment 0, key flags 0.
    void Rewind(const L3DKeySegments* keys);
    // The rest pose: neutral without segments, segment 0 at t = 0 with exactly one (such a
    // motion is never stepped); with more the pose stays until the first step.
    void Rest(const L3DKeySegments* keys);
};
