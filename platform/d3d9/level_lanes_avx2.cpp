// The level kernels compiled for AVX2 (this file alone gets -mavx2): pairs of quads, eight
// lanes a step, through the generic kernels of level_lanes_wide.h; a single quad takes the
// four-lane path, whose bilinear filter mixes both of its rows at once in 256-bit registers.
// All give the bits of the four-lane kernels.
#include "platform/d3d9/level_lanes_kernel.h"
#include "platform/d3d9/level_lanes_wide.h"

namespace platform::d3d9 {
namespace {

// ---------------------------------------------------------------------------------------------
// A single quad

// Eight lanes per channel: the four lanes of the top row, then the four of the bottom row.
struct RowPairChannels {
    __m256 c[4];  // red, green, blue, alpha
};

RowPairChannels unpackRows(const LevelTexels& level, __m256i bits, __m256i border) {
    const __m256 scale = _mm256_set1_ps(1.0f / 255.0f);
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const auto channel = [&](__m256i shifted) {
        return _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_and_si256(shifted, byte)), scale);
    };
    RowPairChannels out{{channel(_mm256_srli_epi32(bits, 16)), channel(_mm256_srli_epi32(bits, 8)),
                         channel(bits), channel(_mm256_srli_epi32(bits, 24))}};
    if (level.opaque)
        out.c[3] = _mm256_blendv_ps(_mm256_set1_ps(1.0f), out.c[3], _mm256_castsi256_ps(border));
    return out;
}

// A row's pairs as [left texels of lanes 0..3 | right texels of lanes 0..3].
__m256i splitPairRows(const PairLanes& pairs) {
    const __m256i order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    return _mm256_permutevar8x32_epi32(_mm256_set_m128i(pairs.high, pairs.low), order);
}

void bilinearQuad(const LevelTexels& level, const float u[4], const float v[4],
                  const LaneRows& out) {
    const BilinearSetup s = setUpBilinear(level, u, v);
    if (!s.readsPairs || !s.readsBelow) {
        bilinearFromSetup(level, s, out);
        return;
    }
    const __m128i topBorder = _mm_srai_epi32(s.y0, 31), bottomBorder = _mm_srai_epi32(s.y1, 31);
    const __m256i top = splitPairRows(loadPairLanes(level, s.x, s.y0, topBorder));
    const __m256i bottom = splitPairRows(loadPairLanes(level, s.x, s.y1, bottomBorder));
    const __m256i border = _mm256_set_m128i(bottomBorder, topBorder);
    const __m256i borderBits = _mm256_set1_epi32(static_cast<int>(level.borderBits));
    const auto withBorder = [&](__m256i texels) {
        return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(texels),
                                                    _mm256_castsi256_ps(borderBits),
                                                    _mm256_castsi256_ps(border)));
    };
    const RowPairChannels left =
        unpackRows(level, withBorder(_mm256_permute2x128_si256(top, bottom, 0x20)), border);
    const RowPairChannels right =
        unpackRows(level, withBorder(_mm256_permute2x128_si256(top, bottom, 0x31)), border);
    const __m256 wx = _mm256_set_m128(s.wx, s.wx);
    for (int k = 0; k < 4; ++k) {
        const __m256 rows =
            _mm256_add_ps(left.c[k], _mm256_mul_ps(_mm256_sub_ps(right.c[k], left.c[k]), wx));
        const __m128 upper = _mm256_castps256_ps128(rows), lower = _mm256_extractf128_ps(rows, 1);
        _mm_storeu_ps(out.channel[k],
                      _mm_add_ps(upper, _mm_mul_ps(_mm_sub_ps(lower, upper), s.wy)));
    }
}

}  // namespace

const LevelLaneKernels& avx2LevelLaneKernels() {
    static const LevelLaneKernels kernels{groupsThen<2, Wide<8>::point, eachQuad<pointLanes>>,
                                          groupsThen<2, Wide<8>::bilinear, eachQuad<bilinearQuad>>};
    return kernels;
}

}  // namespace platform::d3d9
