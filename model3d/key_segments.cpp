// Key segments: built from a motion's keys, stepped and evaluated per node.
#include "foundation/DSjisText.h"
#include "model3d/L3DKeySegments.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

LQuat RotationOf(const L3D_ANIMDATA_KEY& key) {
    return {key.rotation[0], key.rotation[1], key.rotation[2], key.rotation[3]};
}

// A key (or wrap copy) at another frame.
L3D_ANIMDATA_KEY MovedTo(const L3D_ANIMDATA_KEY& key, uint32_t frame) {
    L3D_ANIMDATA_KEY moved = key;
    moved.frame = frame;
    return moved;
}

void Curved(L3D_ANIMINST_SEGMENT& segment, const LVec& pivot, const L3D_ANIMDATA_KEY& p,
            const L3D_ANIMDATA_KEY& c, const L3D_ANIMDATA_KEY& d, const L3D_ANIMDATA_KEY& e) {
    const float dp = static_cast<float>(c.frame - p.frame);
    const float dc = static_cast<float>(d.frame - c.frame);
    const float dn = static_cast<float>(e.frame - d.frame);
    const float pivots[3] = {pivot.x, pivot.y, pivot.z};
    for (int j = 0; j < 3; ++j) {
        const float v = pivots[j];
        const L3DCubicKey position =
            l3dCalcCubicKey(dp, dc, dn, p.translation[j] + v, c.translation[j] + v,
                            d.translation[j] + v, e.translation[j] + v);
        const L3DCubicKey scale =
            l3dCalcCubicKey(dp, dc, dn, p.scale[j], c.scale[j], d.scale[j], e.scale[j]);
        const float positions[4] = {position.k3, position.k2, position.k1, position.k0};
        const float scales[4] = {scale.k3, scale.k2, scale.k1, scale.k0};
        for (int k = 0; k < 4; ++k) {
            segment.position[k][j] = positions[k];
            segment.scale[k][j] = scales[k];
        }
    }
    LQuat::SquadControl(segment.rotation[0], RotationOf(c), RotationOf(p), RotationOf(d));
    LQuat::SquadControl(segment.rotation[1], RotationOf(d), RotationOf(c), RotationOf(e));
    segment.rotation[2] = RotationOf(d);
    segment.rotation[3] = RotationOf(c);
}

void Linear(L3D_ANIMINST_SEGMENT& segment, const LVec& pivot, const L3D_ANIMDATA_KEY& c,
            const L3D_ANIMDATA_KEY& d) {
    const float pivots[3] = {pivot.x, pivot.y, pivot.z};
    for (int j = 0; j < 3; ++j) {
        const float start = c.translation[j] + pivots[j];
        segment.position[0][j] = start;
        segment.position[1][j] = (d.translation[j] + pivots[j]) - start;
        segment.scale[0][j] = c.scale[j];
        segment.scale[1][j] = d.scale[j] - c.scale[j];
    }
    segment.rotation[0] = RotationOf(c);
    segment.rotation[1] = RotationOf(d);
}

// ((K3 t^3 + K2 t^2) + K1 t) + K0 per channel, or start + delta t.
LVec CurveAt(const float (&k)[4][3], bool curved, float t, float t2, float t3) {
    float v[3];
    for (int j = 0; j < 3; ++j)
        v[j] = curved ? k[0][j] * t3 + k[1][j] * t2 + k[2][j] * t + k[3][j] : k[0][j] + k[1][j] * t;
    return {v[0], v[1], v[2]};
}

// P x Sc x R x T without the products' zero terms: each entry equals the full product's
// (rows 0 to 2 are the scaled rotation rows; row 3 is minus the scaled pivot rotated, then
// moved).
void ComposeLocal(const LVec& pivot, const LVec& scale, const LQuat& rotation,
                  const LVec& translation, LMat& out) {
    LMat r;
    LQuat::ToMatrix(rotation, r);
    const float scales[3] = {scale.x, scale.y, scale.z};
    const float pivotScaled[3] = {-pivot.x * scale.x, -pivot.y * scale.y, -pivot.z * scale.z};
    const float translations[3] = {translation.x, translation.y, translation.z};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out.m[i][j] = scales[i] * r.m[i][j];
        out.m[i][3] = 0.0f;
    }
    for (int j = 0; j < 3; ++j)
        out.m[3][j] = pivotScaled[0] * r.m[0][j] + pivotScaled[1] * r.m[1][j] +
                      pivotScaled[2] * r.m[2][j] + translations[j];
    out.m[3][3] = 1.0f;
}

}  // namespace

L3DCubicKey l3dCalcCubicKey(float dp, float dc, float dn, float vp, float vc, float vd, float ve) {
    const float m1 = dp == 0.0f ? vd - vc : (dp * (vd - vc) + dc * (vc - vp)) / (dp + dc);
    const float m2 = dn == 0.0f ? 0.0f : (dn * (vd - vc) + dc * (ve - vd)) / (dc + dn);
    return {2.0f * vc - 2.0f * vd + m2 + m1, 3.0f * vd - 3.0f * vc - 2.0f * m1 - m2, m1, vc};
}

bool L3DKeySegments::Build(DList<L3D_ANIMDATA_KEY>& keys, const LVec& pivotPoint, uint32_t endFrame,
                           uint32_t loopFrame, L3DKeyScratch& scratch) {
    pivot = pivotPoint;
    pivotMatrix = LMat::Identity();
    pivotMatrix.m[3][0] = -pivot.x;
    pivotMatrix.m[3][1] = -pivot.y;
    pivotMatrix.m[3][2] = -pivot.z;
    segmentCount = 0;
    segments.Reset();
    loopSegment = 0;
    const uint32_t keyCount = keys.Count();
    if (keyCount == 0) return false;

    // Items: the start key when the first key is later than frame 0, the keys, W1 and W2.
    scratch.Reserve(int64_t{keyCount} + 3);
    L3D_ANIMDATA_KEY** items = scratch.Items();
    L3D_ANIMDATA_KEY start = {
        0, 0, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}};
    uint32_t count = 0;
    if (keys._GetFirstRef()->frame != 0) items[count++] = &start;
    uint32_t afterLoop = 0;  // the item of the first key later than L; 0: none (never a key's)
    for (auto it = keys._GetFirstNode(); it != keys._GetEndNode(); it = it.Next()) {
        L3D_ANIMDATA_KEY* key = it.GetRef().Get();
        if (afterLoop == 0 && key->frame > loopFrame) afterLoop = count;
        items[count++] = key;
    }
    // The wraps continue the motion from the first key after L, shifted by the loop's period
    // E - L; with no key after L the last key holds at E + 60 and E + 120.
    const uint32_t last = count - 1;
    const uint32_t period = endFrame - loopFrame;
    L3D_ANIMDATA_KEY wraps[2];
    if (afterLoop == 0) {
        wraps[0] = MovedTo(*items[last], endFrame + 60);
        wraps[1] = MovedTo(*items[last], endFrame + 120);
    } else {
        const L3D_ANIMDATA_KEY& looped = *items[afterLoop];
        wraps[0] = MovedTo(looped, looped.frame + period);
        wraps[1] = afterLoop == last
                       ? MovedTo(looped, looped.frame + 2 * period)
                       : MovedTo(*items[afterLoop + 1], items[afterLoop + 1]->frame + period);
    }
    items[count++] = &wraps[0];
    items[count++] = &wraps[1];

    const uint32_t n = count - 2;
    segments.Allocate(n);
    for (uint32_t i = 0; i < n; ++i) {
        const L3D_ANIMDATA_KEY& p = *items[i == 0 ? 0 : i - 1];
        const L3D_ANIMDATA_KEY& c = *items[i];
        const L3D_ANIMDATA_KEY& d = *items[i + 1];
        const L3D_ANIMDATA_KEY& e = *items[i + 2];
        L3D_ANIMINST_SEGMENT& segment = segments[i];
        segment = {};
        // Two keys on one frame: the segment lasts until the end frame (at least one frame).
        segment.duration = d.frame - c.frame;
        if (segment.duration == 0) segment.duration = endFrame - c.frame;
        if (segment.duration == 0) segment.duration = 1;
        segment.flags = c.flags;
        if (c.flags & L3D_ANIMDATA_KEY::FlagCurved)
            Curved(segment, pivot, p, c, d, e);
        else
            Linear(segment, pivot, c, d);
    }
    segmentCount = n;
    loopSegment = n - 1;
    for (uint32_t i = 0; i < n; ++i)
        if (items[i]->frame > loopFrame) {
            loopSegment = i;
            break;
        }
    return true;
}

void L3DKeyPose::Evaluate(const L3DKeySegments* keys, uint32_t k, float t) {
    if (!keys) l3dError(DSjis<"[L3DPartInstance::_calcInterpolatedKey] モーションがない">());
    if (k >= keys->segmentCount)
        l3dError(DSjis<"[L3DPartInstance::_calcInterpolatedKey] モーションキーが異常(%u/%u)">(), k,
                 keys->segmentCount);
    const L3D_ANIMINST_SEGMENT& segment = keys->segments[k];
    const bool curved = (segment.flags & L3D_ANIMDATA_KEY::FlagCurved) != 0;
    const float t2 = t * t, t3 = t2 * t;
    const LVec moved = CurveAt(segment.position, curved, t, t2, t3);
    scale = CurveAt(segment.scale, curved, t, t2, t3);
    if (curved)
        LQuat::Squad(rotation, segment.rotation[3], segment.rotation[2], segment.rotation[0],
                     segment.rotation[1], t);
    else
        LQuat::Slerp(rotation, segment.rotation[0], segment.rotation[1], t);
    ComposeLocal(keys->pivot, scale, rotation, moved, local);
    position = {moved.x - keys->pivot.x, moved.y - keys->pivot.y, moved.z - keys->pivot.z};
}

void L3DKeyPose::Step(const L3DKeySegments* keys, uint32_t frames) {
    const uint32_t count = keys ? keys->segmentCount : 0;
    if (count >= 2) {
        uint32_t s = frames;
        while (framesLeft < s) {
            s -= framesLeft;
            if (++segment >= count) segment = keys->loopSegment;
            framesLeft = keys->segments[segment].duration;
        }
        framesLeft -= s;
        const float duration = static_cast<float>(keys->segments[segment].duration);
        Evaluate(keys, segment, 1.0f - static_cast<float>(framesLeft + 1) / duration);
    }
    keyFlags = segment < count ? keys->segments[segment].flags : 0;
}

void L3DKeyPose::Rewind(const L3DKeySegments* keys) {
    segment = 0;
    framesLeft = keys && keys->segmentCount > 0 ? keys->segments[0].duration : 0;
    keyFlags = 0;
}

void L3DKeyPose::Rest(const L3DKeySegments* keys) {
    const uint32_t count = keys ? keys->segmentCount : 0;
    if (count == 1) {
        Evaluate(keys, 0, 0.0f);
    } else if (count == 0) {
        position = {0.0f, 0.0f, 0.0f};
        rotation = {0.0f, 0.0f, 0.0f, 1.0f};
        scale = {1.0f, 1.0f, 1.0f};
        local = LMat::Identity();
    }
}
