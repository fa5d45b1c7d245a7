#include "platform/d3d9/rasterizer.h"

#include "platform/d3d9/triangle_setup.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace platform::d3d9 {
namespace {

// Edge from p to q; inside is where value() + bias >= 0: value() > 0, or == 0 on a top or
// left edge.
struct Edge {
    std::int64_t dx, dy, x0, y0, bias;
    Edge(SubpixelPoint p, SubpixelPoint q) : dx(q.x - p.x), dy(q.y - p.y), x0(p.x), y0(p.y) {
        const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        bias = topLeft ? 0 : -1;
    }
    std::int64_t value(std::int64_t px, std::int64_t py) const {
        return dx * (py - y0) - dy * (px - x0);
    }
};

// Triangles at most this many pixels wide skip the search for each row's span.
constexpr std::int64_t kNarrowTriangle = 8;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

bool rasterizable(const RasterVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.rhw) &&
           v.rhw > 0.0f && std::fabs(v.x) <= kMaxScreenCoordinate &&
           std::fabs(v.y) <= kMaxScreenCoordinate;
}

SubpixelPoint snapToSubpixels(const RasterVertex& v) {
    return {static_cast<std::int64_t>(std::nearbyint(static_cast<double>(v.x) * kSubpixel)),
            static_cast<std::int64_t>(std::nearbyint(static_cast<double>(v.y) * kSubpixel))};
}

bool setUpTriangle(const RasterVertex& a, const RasterVertex& b0, const RasterVertex& c0,
                   AttributeMask attributes, D3DCULL cull, const PixelRect& clip,
                   TriangleSetup& s) {
    if (!rasterizable(a) || !rasterizable(b0) || !rasterizable(c0)) return false;
    const SubpixelPoint pa = snapToSubpixels(a);
    SubpixelPoint pb = snapToSubpixels(b0), pc = snapToSubpixels(c0);
    std::int64_t area = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
    if (area == 0) return false;
    // With y pointing down, a positive area means the vertices run clockwise on screen.
    if ((cull == D3DCULL_CW && area > 0) || (cull == D3DCULL_CCW && area < 0)) return false;
    const RasterVertex* vb = &b0;
    const RasterVertex* vc = &c0;
    if (area < 0) {
        std::swap(pb, pc);
        std::swap(vb, vc);
        area = -area;
    }
    const RasterVertex* v[3] = {&a, vb, vc};

    // Edge i is opposite vertex i, so its value is vertex i's barycentric weight times area.
    const Edge edges[3] = {Edge(pb, pc), Edge(pc, pa), Edge(pa, pb)};

    const std::int64_t minX = std::min({pa.x, pb.x, pc.x}), maxX = std::max({pa.x, pb.x, pc.x});
    const std::int64_t minY = std::min({pa.y, pb.y, pc.y}), maxY = std::max({pa.y, pb.y, pc.y});
    s.left = std::max<std::int64_t>(clip.left, floorDiv(minX, kSubpixel));
    s.top = std::max<std::int64_t>(clip.top, floorDiv(minY, kSubpixel));
    s.right = std::min<std::int64_t>(clip.right, floorDiv(maxX, kSubpixel) + 1);
    s.bottom = std::min<std::int64_t>(clip.bottom, floorDiv(maxY, kSubpixel) + 1);
    if (s.left >= s.right || s.top >= s.bottom) return false;
    s.left &= ~std::int64_t{1};
    s.top &= ~std::int64_t{1};

    s.attributes = attributes;
    s.usedCount = 0;
    for (AttributeMask bits = attributes; bits != 0; bits &= bits - 1)
        s.used[s.usedCount++] = std::countr_zero(bits);
    for (int i = 0; i < 3; ++i) {
        for (int u = 0; u < s.usedCount; ++u)
            s.weighted[i][s.used[u]] = v[i]->attr[s.used[u]] * v[i]->rhw;
        s.z[i] = v[i]->z;
        s.rhw[i] = v[i]->rhw;
    }
    s.inverseArea = 1.0 / static_cast<double>(area);
    for (int e = 0; e < 3; ++e) {
        s.stepX[e] = static_cast<double>(-edges[e].dy * kSubpixel);
        s.stepY[e] = static_cast<double>(edges[e].dx * kSubpixel);
        // Integer values: "value + bias >= 0" is "value >= -bias".
        s.minimum[e] = static_cast<double>(-edges[e].bias);
        s.start[e] = static_cast<double>(edges[e].value(s.left * kSubpixel, s.top * kSubpixel));
        s.inverseStepX[e] = s.stepX[e] != 0.0 ? 1.0 / s.stepX[e] : 0.0;
    }
    return true;
}

// The pixel columns of a pair of rows where every edge may pass, a little wide: the quads
// outside them are skipped, those inside tested exactly. The column of an edge's crossing is
// found with a multiplication by the step's inverse rather than a division: the result may
// be one off, which the margin of one column either side absorbs.
void rowQuads(const TriangleSetup& s, const double (&rowStart)[3], std::int64_t& firstQuad,
              std::int64_t& end) {
    // Narrow triangles test every quad of their rows: fewer than finding the span would cost.
    if (s.right - s.left <= kNarrowTriangle) {
        firstQuad = s.left;
        end = s.right;
        return;
    }
    const auto left = static_cast<double>(s.left);
    double first = left, last = static_cast<double>(s.right);
    for (int e = 0; e < 3; ++e) {
        // The larger of the edge's values at the left column of the two rows.
        const double value = std::max(rowStart[e], rowStart[e] + s.stepY[e]);
        if (s.stepX[e] > 0.0)
            first = std::max(first,
                             left + std::floor((s.minimum[e] - value) * s.inverseStepX[e]) - 1.0);
        else if (s.stepX[e] < 0.0)
            last =
                std::min(last, left + std::ceil((s.minimum[e] - value) * s.inverseStepX[e]) + 1.0);
        else if (value < s.minimum[e])
            last = first;
    }
    // Whole quads from the one holding `first`.
    firstQuad =
        first > left ? s.left + (static_cast<std::int64_t>(first) - s.left) / 2 * 2 : s.left;
    end = last < static_cast<double>(s.right) ? static_cast<std::int64_t>(last) + 1 : s.right;
}

void clearAttributes(Quad* quads, int count, AttributeMask stale) {
    for (; stale != 0; stale &= stale - 1)
        for (int q = 0; q < count; ++q)
            std::fill_n(quads[q].attr[std::countr_zero(stale)], 4, 0.0f);
}

void walkQuadsSse2(const TriangleSetup& s, const PixelRect& clip, QuadSink& sink) {
    __m128 weighted[3][kMaxAttributes];
    for (int i = 0; i < 3; ++i)
        for (int u = 0; u < s.usedCount; ++u)
            weighted[i][s.used[u]] = _mm_set1_ps(s.weighted[i][s.used[u]]);
    const __m128d inverseArea = _mm_set1_pd(s.inverseArea);
    const __m128 z[3] = {_mm_set1_ps(s.z[0]), _mm_set1_ps(s.z[1]), _mm_set1_ps(s.z[2])};
    const __m128 rhw[3] = {_mm_set1_ps(s.rhw[0]), _mm_set1_ps(s.rhw[1]), _mm_set1_ps(s.rhw[2])};
    // Each edge keeps (pixel x, pixel x + 1) of a row in one register.
    __m128d quadStep[3], down[3], threshold[3];
    double rowStart[3];
    for (int e = 0; e < 3; ++e) {
        rowStart[e] = s.start[e];
        quadStep[e] = _mm_set1_pd(2.0 * s.stepX[e]);
        down[e] = _mm_set1_pd(s.stepY[e]);
        threshold[e] = _mm_set1_pd(s.minimum[e]);
    }

    thread_local QuadScratch<1> scratch;
    Quad& quad = scratch.prepare(s.attributes)[0];
    bool emitted = false;
    for (std::int64_t qy = s.top; qy < s.bottom; qy += 2) {
        std::int64_t first, end;
        rowQuads(s, rowStart, first, end);
        __m128d quadStart[3];
        for (int e = 0; e < 3; ++e) {
            const double at = rowStart[e] + static_cast<double>(first - s.left) * s.stepX[e];
            quadStart[e] = _mm_set_pd(at + s.stepX[e], at);
        }
        for (std::int64_t qx = first; qx < end; qx += 2) {
            __m128d upper[3], lower[3];
            __m128d insideUpper = _mm_castsi128_pd(_mm_set1_epi32(-1)), insideLower = insideUpper;
            for (int e = 0; e < 3; ++e) {
                upper[e] = quadStart[e];
                lower[e] = _mm_add_pd(upper[e], down[e]);
                insideUpper = _mm_and_pd(insideUpper, _mm_cmpge_pd(upper[e], threshold[e]));
                insideLower = _mm_and_pd(insideLower, _mm_cmpge_pd(lower[e], threshold[e]));
                quadStart[e] = _mm_add_pd(quadStart[e], quadStep[e]);
            }
            const unsigned mask = (static_cast<unsigned>(_mm_movemask_pd(insideUpper)) |
                                   static_cast<unsigned>(_mm_movemask_pd(insideLower)) << 2) &
                                  clipMask(qx, qy, clip);
            if (!mask) continue;
            quad.x = static_cast<int>(qx);
            quad.y = static_cast<int>(qy);
            quad.mask = mask;
            // Weight of vertex e at pixels 0..3: the edge value over the area, rounded to float.
            __m128 w[3];
            for (int e = 0; e < 3; ++e)
                w[e] = _mm_movelh_ps(_mm_cvtpd_ps(_mm_mul_pd(upper[e], inverseArea)),
                                     _mm_cvtpd_ps(_mm_mul_pd(lower[e], inverseArea)));
            const auto interpolate = [&w](const __m128(&at)[3]) {
                return _mm_add_ps(_mm_add_ps(_mm_mul_ps(w[0], at[0]), _mm_mul_ps(w[1], at[1])),
                                  _mm_mul_ps(w[2], at[2]));
            };
            _mm_storeu_ps(quad.z, interpolate(z));
            const __m128 pixelRhw = interpolate(rhw);
            const __m128 perspective = _mm_and_ps(_mm_div_ps(_mm_set1_ps(1.0f), pixelRhw),
                                                  _mm_cmpneq_ps(pixelRhw, _mm_setzero_ps()));
            // Attribute k of the four pixels: (w0 * a0 + w1 * a1 + w2 * a2) * correction.
            for (int u = 0; u < s.usedCount; ++u) {
                const int k = s.used[u];
                const __m128 sum = _mm_add_ps(
                    _mm_add_ps(_mm_mul_ps(w[0], weighted[0][k]), _mm_mul_ps(w[1], weighted[1][k])),
                    _mm_mul_ps(w[2], weighted[2][k]));
                _mm_store_ps(quad.attr[k], _mm_mul_ps(sum, perspective));
            }
            sink.shadeQuad(quad);
            emitted = true;
        }
        for (int e = 0; e < 3; ++e) rowStart[e] += 2.0 * s.stepY[e];
    }
    if (emitted) sink.endTriangle();
}

void rasterizeTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                       AttributeMask attributes, D3DCULL cull, const PixelRect& clip,
                       QuadSink& sink) {
    TriangleSetup setup;
    if (!setUpTriangle(a, b, c, attributes, cull, clip, setup)) return;
    // Chosen once; an ordinary function pointer rather than an ifunc, which sanitizer builds
    // cannot run.
    static const auto walk = __builtin_cpu_supports("avx2") ? walkQuadsAvx2 : walkQuadsSse2;
    walk(setup, clip, sink);
}

}  // namespace platform::d3d9
