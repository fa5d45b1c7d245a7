#include "platform/d3d9/clipper.h"

#include <cmath>

namespace platform::d3d9 {
namespace {

// Signed distance of a vertex to each clip plane; inside when >= 0.
constexpr int kPlaneCount = 7;

float planeDistance(const ShadedVertex& v, int plane) {
    const float x = v.position[0], y = v.position[1], z = v.position[2], w = v.position[3];
    switch (plane) {
    case 0:
        return z;
    case 1:
        return w - z;
    case 2:
        return kGuardBand * w + x;
    case 3:
        return kGuardBand * w - x;
    case 4:
        return kGuardBand * w + y;
    case 5:
        return kGuardBand * w - y;
    default:
        return w - 1e-6f;  // keeps the divide by w away from zero
    }
}

ShadedVertex lerp(const ShadedVertex& from, const ShadedVertex& to, float t) {
    ShadedVertex v;
    const float* a = &from.position[0];
    const float* b = &to.position[0];
    float* r = &v.position[0];
    constexpr int kFloats = sizeof(ShadedVertex) / sizeof(float);
    for (int i = 0; i < kFloats; ++i) r[i] = a[i] + (b[i] - a[i]) * t;
    return v;
}

// The planes a vertex lies outside of, a bit each.
unsigned outsidePlanes(const ShadedVertex& v) {
    unsigned planes = 0;
    for (int plane = 0; plane < kPlaneCount; ++plane)
        if (!(planeDistance(v, plane) >= 0)) planes |= 1u << plane;
    return planes;
}

bool finite(const ShadedVertex& v) {
    for (float c : v.position)
        if (!std::isfinite(c)) return false;
    return true;
}

}  // namespace

int clipTriangle(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c,
                 ShadedVertex out[kMaxClippedVertices]) {
    if (!finite(a) || !finite(b) || !finite(c)) return 0;
    // Most triangles lie inside every plane, which hand them on unchanged; one outside a
    // single plane with all three corners leaves nothing.
    const unsigned outA = outsidePlanes(a), outB = outsidePlanes(b), outC = outsidePlanes(c);
    if ((outA | outB | outC) == 0) {
        out[0] = a;
        out[1] = b;
        out[2] = c;
        return 3;
    }
    if ((outA & outB & outC) != 0) return 0;
    ShadedVertex buffers[2][kMaxClippedVertices];
    ShadedVertex* current = buffers[0];
    ShadedVertex* next = buffers[1];
    current[0] = a;
    current[1] = b;
    current[2] = c;
    int count = 3;
    for (int plane = 0; plane < kPlaneCount && count > 0; ++plane) {
        int produced = 0;
        for (int i = 0; i < count; ++i) {
            const ShadedVertex& p = current[i];
            const ShadedVertex& q = current[(i + 1) % count];
            const float dp = planeDistance(p, plane), dq = planeDistance(q, plane);
            if (dp >= 0) next[produced++] = p;
            if ((dp >= 0) != (dq >= 0) && produced < kMaxClippedVertices)
                next[produced++] = lerp(p, q, dp / (dp - dq));
        }
        count = produced < 3 ? 0 : produced;
        ShadedVertex* swap = current;
        current = next;
        next = swap;
    }
    for (int i = 0; i < count; ++i) out[i] = current[i];
    return count;
}

}  // namespace platform::d3d9
