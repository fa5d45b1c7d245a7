// The quad walk compiled for AVX2 (this file alone gets -mavx2): two quads a step, each edge's
// values at a quad's four pixels in one 256-bit register and the interpolation of both quads'
// eight pixels in 256-bit floats. Every value is the SSE2 walk's, computed with the same
// operations in the same order, so both hand the sink the same quads.
#include <immintrin.h>

#include "platform/d3d9/triangle_setup.h"

namespace platform::d3d9 {

void walkQuadsAvx2(const TriangleSetup& s, const PixelRect& clip, QuadSink& sink) {
    __m256 weighted[3][kMaxAttributes];
    for (int i = 0; i < 3; ++i)
        for (int u = 0; u < s.usedCount; ++u)
            weighted[i][s.used[u]] = _mm256_set1_ps(s.weighted[i][s.used[u]]);
    const __m256d inverseArea = _mm256_set1_pd(s.inverseArea);
    const __m256 z[3] = {_mm256_set1_ps(s.z[0]), _mm256_set1_ps(s.z[1]), _mm256_set1_ps(s.z[2])};
    const __m256 rhw[3] = {_mm256_set1_ps(s.rhw[0]), _mm256_set1_ps(s.rhw[1]),
                           _mm256_set1_ps(s.rhw[2])};
    __m256d quadStep[3], threshold[3];
    double rowStart[3];
    for (int e = 0; e < 3; ++e) {
        rowStart[e] = s.start[e];
        quadStep[e] = _mm256_set1_pd(2.0 * s.stepX[e]);
        threshold[e] = _mm256_set1_pd(s.minimum[e]);
    }

    thread_local QuadScratch<2> scratch;
    Quad* quads = scratch.prepare(s.attributes);
    bool emitted = false;
    for (std::int64_t qy = s.top; qy < s.bottom; qy += 2) {
        std::int64_t first, end;
        rowQuads(s, rowStart, first, end);
        // Edge values at the pixels of the step's first quad, in pixel order: (x, y),
        // (x + 1, y), (x, y + 1), (x + 1, y + 1).
        __m256d quadStart[3];
        for (int e = 0; e < 3; ++e) {
            const double at = rowStart[e] + static_cast<double>(first - s.left) * s.stepX[e];
            quadStart[e] =
                _mm256_setr_pd(at, at + s.stepX[e], at + s.stepY[e], at + s.stepX[e] + s.stepY[e]);
        }
        for (std::int64_t qx = first; qx < end; qx += 4) {
            __m256d left[3], right[3];
            __m256d insideLeft = _mm256_castsi256_pd(_mm256_set1_epi32(-1)),
                    insideRight = insideLeft;
            for (int e = 0; e < 3; ++e) {
                left[e] = quadStart[e];
                right[e] = _mm256_add_pd(left[e], quadStep[e]);
                insideLeft =
                    _mm256_and_pd(insideLeft, _mm256_cmp_pd(left[e], threshold[e], _CMP_GE_OQ));
                insideRight =
                    _mm256_and_pd(insideRight, _mm256_cmp_pd(right[e], threshold[e], _CMP_GE_OQ));
                quadStart[e] = _mm256_add_pd(right[e], quadStep[e]);
            }
            const unsigned masks[2] = {
                static_cast<unsigned>(_mm256_movemask_pd(insideLeft)) & clipMask(qx, qy, clip),
                qx + 2 < end ? static_cast<unsigned>(_mm256_movemask_pd(insideRight)) &
                                   clipMask(qx + 2, qy, clip)
                             : 0u};
            if (!(masks[0] | masks[1])) continue;
            // Weight of vertex e at the eight pixels: the edge value over the area, rounded to
            // float.
            __m256 w[3];
            for (int e = 0; e < 3; ++e)
                w[e] = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_mul_pd(right[e], inverseArea)),
                                       _mm256_cvtpd_ps(_mm256_mul_pd(left[e], inverseArea)));
            const auto interpolate = [&w](const __m256(&at)[3]) {
                return _mm256_add_ps(
                    _mm256_add_ps(_mm256_mul_ps(w[0], at[0]), _mm256_mul_ps(w[1], at[1])),
                    _mm256_mul_ps(w[2], at[2]));
            };
            const __m256 depth = interpolate(z);
            const __m256 pixelRhw = interpolate(rhw);
            const __m256 perspective =
                _mm256_and_ps(_mm256_div_ps(_mm256_set1_ps(1.0f), pixelRhw),
                              _mm256_cmp_ps(pixelRhw, _mm256_setzero_ps(), _CMP_NEQ_UQ));
            _mm_storeu_ps(quads[0].z, _mm256_castps256_ps128(depth));
            _mm_storeu_ps(quads[1].z, _mm256_extractf128_ps(depth, 1));
            // Attribute k of the eight pixels: (w0 * a0 + w1 * a1 + w2 * a2) * correction.
            for (int u = 0; u < s.usedCount; ++u) {
                const int k = s.used[u];
                const __m256 sum = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(w[0], weighted[0][k]),
                                                               _mm256_mul_ps(w[1], weighted[1][k])),
                                                 _mm256_mul_ps(w[2], weighted[2][k]));
                const __m256 value = _mm256_mul_ps(sum, perspective);
                _mm_store_ps(quads[0].attr[k], _mm256_castps256_ps128(value));
                _mm_store_ps(quads[1].attr[k], _mm256_extractf128_ps(value, 1));
            }
            for (int q = 0; q < 2; ++q) {
                if (!masks[q]) continue;
                quads[q].x = static_cast<int>(qx + 2 * q);
                quads[q].y = static_cast<int>(qy);
                quads[q].mask = masks[q];
                sink.shadeQuad(quads[q]);
                emitted = true;
            }
        }
        for (int e = 0; e < 3; ++e) rowStart[e] += 2.0 * s.stepY[e];
    }
    if (emitted) sink.endTriangle();
}

}  // namespace platform::d3d9
