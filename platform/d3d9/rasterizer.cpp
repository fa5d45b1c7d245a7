#include "platform/d3d9/rasterizer.h"

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

void rasterizeTriangle(const RasterVertex& a, const RasterVertex& b0, const RasterVertex& c0,
                       AttributeMask attributes, D3DCULL cull, const PixelRect& clip,
                       QuadSink& sink) {
    if (!rasterizable(a) || !rasterizable(b0) || !rasterizable(c0)) return;
    const SubpixelPoint pa = snapToSubpixels(a);
    SubpixelPoint pb = snapToSubpixels(b0), pc = snapToSubpixels(c0);
    std::int64_t area = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
    if (area == 0) return;
    // With y pointing down, a positive area means the vertices run clockwise on screen.
    if ((cull == D3DCULL_CW && area > 0) || (cull == D3DCULL_CCW && area < 0)) return;
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
    std::int64_t left = std::max<std::int64_t>(clip.left, floorDiv(minX, kSubpixel));
    std::int64_t top = std::max<std::int64_t>(clip.top, floorDiv(minY, kSubpixel));
    const std::int64_t right = std::min<std::int64_t>(clip.right, floorDiv(maxX, kSubpixel) + 1);
    const std::int64_t bottom = std::min<std::int64_t>(clip.bottom, floorDiv(maxY, kSubpixel) + 1);
    if (left >= right || top >= bottom) return;
    left &= ~std::int64_t{1};
    top &= ~std::int64_t{1};

    // Attributes pre-multiplied by rhw interpolate linearly on screen; each is held in all
    // four lanes, one per pixel of a quad.
    // The runs of consecutive attributes to interpolate, [first, end).
    struct Run {
        int first, end;
    };
    Run runs[(kMaxAttributes + 1) / 2];
    int runCount = 0;
    for (AttributeMask bits = attributes; bits != 0;) {
        const int first = std::countr_zero(bits);
        const int length = std::countr_one(bits >> first);
        runs[runCount++] = {first, first + length};
        bits &= ~attributeRange(first, first + length);
    }
    __m128 weighted[3][kMaxAttributes];
    for (int i = 0; i < 3; ++i)
        for (int r = 0; r < runCount; ++r)
            for (int k = runs[r].first; k < runs[r].end; ++k)
                weighted[i][k] = _mm_set1_ps(v[i]->attr[k] * v[i]->rhw);
    const __m128d inverseArea = _mm_set1_pd(1.0 / static_cast<double>(area));
    const __m128 z[3] = {_mm_set1_ps(v[0]->z), _mm_set1_ps(v[1]->z), _mm_set1_ps(v[2]->z)};
    const __m128 rhw[3] = {_mm_set1_ps(v[0]->rhw), _mm_set1_ps(v[1]->rhw), _mm_set1_ps(v[2]->rhw)};

    // Edge values are integers far below 2^53 in magnitude, so doubles hold them, and their
    // sums with the per-pixel steps, exactly: stepping gives the values a per-pixel
    // evaluation would. Each edge keeps (pixel x, pixel x + 1) of a row in one register.
    __m128d rowStart[3], quadStep[3], down[3], rowStep[3], threshold[3];
    double stepX[3], stepY[3], minimum[3];
    for (int e = 0; e < 3; ++e) {
        stepX[e] = static_cast<double>(-edges[e].dy * kSubpixel);
        stepY[e] = static_cast<double>(edges[e].dx * kSubpixel);
        // Integer values: "value + bias >= 0" is "value >= -bias".
        minimum[e] = static_cast<double>(-edges[e].bias);
        const double start = static_cast<double>(edges[e].value(left * kSubpixel, top * kSubpixel));
        rowStart[e] = _mm_set_pd(start + stepX[e], start);
        quadStep[e] = _mm_set1_pd(2.0 * stepX[e]);
        down[e] = _mm_set1_pd(stepY[e]);
        rowStep[e] = _mm_set1_pd(2.0 * stepY[e]);
        threshold[e] = _mm_set1_pd(minimum[e]);
    }
    // The pixel columns of a pair of rows where every edge may pass, a little wide: the quads
    // outside them are skipped, those inside tested exactly.
    const auto rowExtent = [&](const __m128d(&start)[3], double& first, double& last) {
        first = static_cast<double>(left);
        last = static_cast<double>(right);
        for (int e = 0; e < 3; ++e) {
            // The larger of the edge's values at the left column of the two rows.
            const double value =
                std::max(_mm_cvtsd_f64(start[e]), _mm_cvtsd_f64(start[e]) + stepY[e]);
            if (stepX[e] > 0.0)
                first = std::max(first, static_cast<double>(left) +
                                            std::floor((minimum[e] - value) / stepX[e]) - 1.0);
            else if (stepX[e] < 0.0)
                last = std::min(last, static_cast<double>(left) +
                                          std::ceil((value - minimum[e]) / -stepX[e]) + 1.0);
            else if (value < minimum[e])
                last = first;
        }
    };
    // Mask bits of the pixels inside the clip: columns (bits 0 and 2, 1 and 3) and rows.
    const auto inClip = [](std::int64_t p, int low, int high) { return p >= low && p < high; };

    Quad quad{};
    bool emitted = false;
    for (std::int64_t qy = top; qy < bottom; qy += 2) {
        const unsigned rowMask = (inClip(qy, clip.top, clip.bottom) ? 0x3u : 0u) |
                                 (inClip(qy + 1, clip.top, clip.bottom) ? 0xCu : 0u);
        double first, last;
        rowExtent(rowStart, first, last);
        // Whole quads from the one holding `first`; their edge values are exact integers.
        const std::int64_t skipped =
            first > static_cast<double>(left) ? (static_cast<std::int64_t>(first) - left) / 2 : 0;
        const std::int64_t end =
            last < static_cast<double>(right) ? static_cast<std::int64_t>(last) + 1 : right;
        __m128d quadStart[3];
        for (int e = 0; e < 3; ++e)
            quadStart[e] = _mm_add_pd(
                rowStart[e], _mm_mul_pd(_mm_set1_pd(static_cast<double>(skipped)), quadStep[e]));
        for (std::int64_t qx = left + 2 * skipped; qx < end; qx += 2) {
            __m128d upper[3], lower[3];
            __m128d insideUpper = _mm_castsi128_pd(_mm_set1_epi32(-1)), insideLower = insideUpper;
            for (int e = 0; e < 3; ++e) {
                upper[e] = quadStart[e];
                lower[e] = _mm_add_pd(upper[e], down[e]);
                insideUpper = _mm_and_pd(insideUpper, _mm_cmpge_pd(upper[e], threshold[e]));
                insideLower = _mm_and_pd(insideLower, _mm_cmpge_pd(lower[e], threshold[e]));
                quadStart[e] = _mm_add_pd(quadStart[e], quadStep[e]);
            }
            const unsigned columnMask = (inClip(qx, clip.left, clip.right) ? 0x5u : 0u) |
                                        (inClip(qx + 1, clip.left, clip.right) ? 0xAu : 0u);
            const unsigned mask = (static_cast<unsigned>(_mm_movemask_pd(insideUpper)) |
                                   static_cast<unsigned>(_mm_movemask_pd(insideLower)) << 2) &
                                  rowMask & columnMask;
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
            const auto attribute = [&](int k) {
                const __m128 sum = _mm_add_ps(
                    _mm_add_ps(_mm_mul_ps(w[0], weighted[0][k]), _mm_mul_ps(w[1], weighted[1][k])),
                    _mm_mul_ps(w[2], weighted[2][k]));
                return _mm_mul_ps(sum, perspective);
            };
            for (int r = 0; r < runCount; ++r) {
                int k = runs[r].first;
                for (; k + 4 <= runs[r].end; k += 4) {
                    // Four attributes of four pixels, turned into four attributes per pixel.
                    __m128 a0 = attribute(k), a1 = attribute(k + 1), a2 = attribute(k + 2),
                           a3 = attribute(k + 3);
                    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
                    _mm_storeu_ps(&quad.attr[0][k], a0);
                    _mm_storeu_ps(&quad.attr[1][k], a1);
                    _mm_storeu_ps(&quad.attr[2][k], a2);
                    _mm_storeu_ps(&quad.attr[3][k], a3);
                }
                for (; k < runs[r].end; ++k) {
                    float pixels[4];
                    _mm_storeu_ps(pixels, attribute(k));
                    for (int p = 0; p < 4; ++p) quad.attr[p][k] = pixels[p];
                }
            }
            sink.shadeQuad(quad);
            emitted = true;
        }
        for (int e = 0; e < 3; ++e) rowStart[e] = _mm_add_pd(rowStart[e], rowStep[e]);
    }
    if (emitted) sink.endTriangle();
}

}  // namespace platform::d3d9
