#include "effects/effect_trail.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effects/effect_matrix.h"

namespace {

using Sample = L3D_EFFECT_TRACKER::Sample;

constexpr uint32_t kMostNewSamples = 8;
constexpr float kShortestSegment = 0.001f;

struct Vec3 {
    float x, y, z;
};

Vec3 load(const float* p) { return {p[0], p[1], p[2]}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float length(Vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// A vector of length 0 stays zero.
Vec3 unit(Vec3 a) {
    const float l = length(a);
    return l == 0.0f ? a : a * (1.0f / l);
}
Vec3 times(Vec3 v, const LMat& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}
void store(float* out, Vec3 v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

void dropOldest(L3D_EFFECT_TRACKER& trail, uint32_t count) {
    std::memmove(trail.samples, trail.samples + count,
                 (trail.sampleCount - count) * sizeof(Sample));
    trail.sampleCount -= count;
}

void age(L3D_EFFECT_TRACKER& trail) {
    for (uint32_t i = 0; i < trail.sampleCount; ++i) trail.samples[i].life -= 1.0f;
    // Only the leading run goes: samples after the first survivor stay.
    uint32_t dead = 0;
    while (dead < trail.sampleCount && trail.samples[dead].life < 0.0f) ++dead;
    if (dead) dropOldest(trail, dead);
    trail.provisionalCount = 0;
}

// How many samples the move from the last sample to (a, b) takes: 1 for a short move, up to 8.
uint32_t newSampleCount(const L3D_EFFECT_TRACKER& trail, const Sample& last, Vec3 a, Vec3 b) {
    if (trail.segmentLength < kShortestSegment || trail.sampleCount == 0) return 1;
    const float d = std::max(length(a - load(last.a)), length(b - load(last.b)));
    const float segments = d / trail.segmentLength;
    if (!(segments >= 1.0f)) return 1;
    if (segments >= static_cast<float>(kMostNewSamples - 1)) return kMostNewSamples;
    return static_cast<uint32_t>(segments) + 1;
}

// Samples 1 .. n − 1 between the last sample and (a, b), written from `out` on: both points
// turn about one centre, found from how far each point moved.
void placeOnArcs(const L3D_EFFECT_TRACKER& trail, const Sample& last, Vec3 a, Vec3 b, uint32_t n,
                 Sample* out) {
    const Vec3 lastA = load(last.a);
    const Vec3 lastB = load(last.b);
    const float dA = length(a - lastA);
    const float dB = length(b - lastB);
    const bool aFarther = dA > dB;
    const Vec3 fLast = aFarther ? lastA : lastB;
    const Vec3 fNow = aFarther ? a : b;
    const Vec3 nLast = aFarther ? lastB : lastA;
    const Vec3 nNow = aFarther ? b : a;
    const float r = (aFarther ? dB : dA) / (aFarther ? dA : dB);
    const Vec3 centre = ((nLast - (fLast - nLast) * r) + (nNow - (fNow - nNow) * r)) * 0.5f;

    const Vec3 ends[2][2] = {{lastA, a}, {lastB, b}};
    for (int p = 0; p < 2; ++p) {
        const Vec3 from = ends[p][0] - centre;
        const Vec3 fromUnit = unit(from);
        const Vec3 toUnit = unit(ends[p][1] - centre);
        const Vec3 axis = cross(fromUnit, toUnit);
        // Rounding can push the cosine of nearly equal directions past 1.
        const float cosine = std::clamp(dot(fromUnit, toUnit), -1.0f, 1.0f);
        const float step = std::acos(cosine) / static_cast<float>(n);
        for (uint32_t k = 1; k < n; ++k) {
            LMat turn;
            l3dMatrixRotationAxis(turn, axis.x, axis.y, axis.z, static_cast<float>(k) * step);
            store(p == 0 ? out[k - 1].a : out[k - 1].b, centre + times(from, turn));
        }
    }
    for (uint32_t k = 1; k < n; ++k)
        out[k - 1].life =
            last.life + static_cast<float>(k) * (trail.life - last.life) / static_cast<float>(n);
}

}  // namespace

void effectStepTrail(L3D_EFFECT_WORKPART& work) {
    L3D_EFFECT_TRACKER& trail = *work.trail;
    if (work.imageMode == 0 || work.model != L3DEffectTrailShape) {
        trail.sampleCount = 0;
        trail.provisionalCount = 0;
        return;
    }
    age(trail);
    // After a stop by key the points are gone: the trail only fades.
    const L3D_EFFECT_WORKROOT& instance = *work.instance;
    if (!instance.trailA || !instance.trailB) return;

    bool commit = false;
    if (--trail.countdown <= 0) {
        trail.countdown = trail.interval;
        commit = true;
    }
    const Vec3 a = load(instance.trailA);
    const Vec3 b = load(instance.trailB);
    const Sample last = trail.sampleCount ? trail.samples[trail.sampleCount - 1] : Sample{};
    const uint32_t n = newSampleCount(trail, last, a, b);
    if (trail.sampleCount + n > L3D_EFFECT_TRACKER::SampleCapacity)
        dropOldest(trail, trail.sampleCount + n - L3D_EFFECT_TRACKER::SampleCapacity);
    Sample* fresh = trail.samples + trail.sampleCount;
    if (n > 1) placeOnArcs(trail, last, a, b, n, fresh);
    Sample& newest = fresh[n - 1];
    newest.life = trail.life;
    store(newest.a, a);
    store(newest.b, b);
    if (commit)
        trail.sampleCount += n;
    else
        trail.provisionalCount = n;
}
