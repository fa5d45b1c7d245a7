// The level kernels compiled for AVX2 (this file alone gets -mavx2): two quads, eight lanes,
// per step in 256-bit registers, with the operations of the four-lane kernels on the same
// values, so the same bits. A single quad takes the four-lane path, whose bilinear filter
// mixes both of its rows at once in 256-bit registers.
#include "platform/d3d9/level_lanes_kernel.h"

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

// ---------------------------------------------------------------------------------------------
// Two quads: the four-lane operations of level_lanes_kernel.h, eight lanes wide

__m256 selectFloats8(__m256 mask, __m256 a, __m256 b) { return _mm256_blendv_ps(b, a, mask); }

__m256i selectInts8(__m256i mask, __m256i a, __m256i b) {
    return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(b), _mm256_castsi256_ps(a),
                                                _mm256_castsi256_ps(mask)));
}

__m256i floorLanes8(__m256 x) {
    const __m256i truncated = _mm256_cvttps_epi32(x);
    const __m256 roundedUp = _mm256_cmp_ps(x, _mm256_cvtepi32_ps(truncated), _CMP_LT_OS);
    return _mm256_add_epi32(truncated, _mm256_castps_si256(roundedUp));
}

__m256 limitLanes8(__m256 value, DWORD address) {
    if (address == D3DTADDRESS_WRAP) {
        const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), value);
        const __m256 finite = _mm256_cmp_ps(magnitude, _mm256_set1_ps(FLT_MAX), _CMP_LE_OS);
        const __m256 whole = _mm256_cmp_ps(magnitude, _mm256_set1_ps(8388608.0f), _CMP_GE_OS);
        const __m256 floored = selectFloats8(whole, value, _mm256_cvtepi32_ps(floorLanes8(value)));
        return _mm256_and_ps(finite, _mm256_sub_ps(value, floored));
    }
    const __m256 number = _mm256_and_ps(_mm256_cmp_ps(value, value, _CMP_ORD_Q), value);
    return _mm256_max_ps(_mm256_min_ps(number, _mm256_set1_ps(3.0f)), _mm256_set1_ps(-2.0f));
}

__m256 quantiseLanes8(__m256 f) {
    const __m256 scaled =
        _mm256_add_ps(_mm256_mul_ps(f, _mm256_set1_ps(256.0f)), _mm256_set1_ps(0.5f));
    return _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvttps_epi32(scaled)),
                         _mm256_set1_ps(1.0f / 256.0f));
}

__m256i addressLanes8(__m256i i, int size, DWORD address) {
    const __m256i sizes = _mm256_set1_epi32(size);
    const __m256i below = _mm256_cmpgt_epi32(_mm256_setzero_si256(), i);
    const __m256i above = _mm256_cmpgt_epi32(i, _mm256_set1_epi32(size - 1));
    switch (address) {
    case D3DTADDRESS_WRAP:
        return _mm256_sub_epi32(_mm256_add_epi32(i, _mm256_and_si256(below, sizes)),
                                _mm256_and_si256(above, sizes));
    case D3DTADDRESS_BORDER:
        return _mm256_or_si256(i, _mm256_or_si256(below, above));
    default:
        return selectInts8(above, _mm256_set1_epi32(size - 1), _mm256_andnot_si256(below, i));
    }
}

// Texel bits of eight lanes and the mask of those that read the border colour.
struct Texels8 {
    __m256i bits, border;
};

// The texels at addressed (x, y), as fetchLanes reads them.
Texels8 fetchLanes8(const LevelTexels& level, __m256i x, __m256i y) {
    const __m256i border = _mm256_srai_epi32(_mm256_or_si256(x, y), 31);
    alignas(32) int xs[8], ys[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(xs), _mm256_andnot_si256(border, x));
    _mm256_store_si256(reinterpret_cast<__m256i*>(ys), _mm256_andnot_si256(border, y));
    const auto at = [&](int lane) {
        return static_cast<int>(level.texels[static_cast<std::size_t>(ys[lane]) *
                                                 static_cast<std::size_t>(level.width) +
                                             static_cast<std::size_t>(xs[lane])]);
    };
    const __m256i texels =
        _mm256_setr_epi32(at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7));
    return {selectInts8(border, _mm256_set1_epi32(static_cast<int>(level.borderBits)), texels),
            border};
}

struct Channels8 {
    __m256 c[4];  // red, green, blue, alpha
};

Channels8 unpackLanes8(const LevelTexels& level, const Texels8& texels) {
    const __m256 scale = _mm256_set1_ps(1.0f / 255.0f);
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const auto channel = [&](__m256i shifted) {
        return _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_and_si256(shifted, byte)), scale);
    };
    Channels8 out{{channel(_mm256_srli_epi32(texels.bits, 16)),
                   channel(_mm256_srli_epi32(texels.bits, 8)), channel(texels.bits),
                   channel(_mm256_srli_epi32(texels.bits, 24))}};
    if (level.opaque)
        out.c[3] =
            selectFloats8(_mm256_castsi256_ps(texels.border), out.c[3], _mm256_set1_ps(1.0f));
    return out;
}

Channels8 mixLanes8(const Channels8& a, const Channels8& b, __m256 t) {
    Channels8 out;
    for (int k = 0; k < 4; ++k)
        out.c[k] = _mm256_add_ps(a.c[k], _mm256_mul_ps(_mm256_sub_ps(b.c[k], a.c[k]), t));
    return out;
}

void storeLanes8(const Channels8& colours, const LaneRows& out) {
    for (int k = 0; k < 4; ++k) _mm256_storeu_ps(out.channel[k], colours.c[k]);
}

[[gnu::flatten]] void pointLanes8(const LevelTexels& level, const float* u, const float* v,
                                  const LaneRows& out) {
    const __m256 tu = _mm256_mul_ps(limitLanes8(_mm256_loadu_ps(u), level.addressU),
                                    _mm256_set1_ps(static_cast<float>(level.width)));
    const __m256 tv = _mm256_mul_ps(limitLanes8(_mm256_loadu_ps(v), level.addressV),
                                    _mm256_set1_ps(static_cast<float>(level.height)));
    const __m256i x = addressLanes8(floorLanes8(tu), level.width, level.addressU);
    const __m256i y = addressLanes8(floorLanes8(tv), level.height, level.addressV);
    storeLanes8(unpackLanes8(level, fetchLanes8(level, x, y)), out);
}

// setUpBilinear for eight lanes.
struct BilinearSetup8 {
    __m256i x;                    // column of the left texels, before addressing
    __m256i x0, x1;               // addressed columns of the left and right texels
    __m256i y0, y1;               // addressed rows of the top and bottom texels
    __m256 wx, wy;                // weights of the right and bottom texels
    bool readsRight, readsBelow;  // as in BilinearSetup
    bool readsPairs;              // every lane's x and x + 1 lie inside the level
    // Each quad's four lanes read the same 2x2 texels (a magnified quad): the texels are
    // loaded once per quad.
    bool sharesFootprints;
};

BilinearSetup8 setUpBilinear8(const LevelTexels& level, const float* u, const float* v) {
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 tu = _mm256_mul_ps(limitLanes8(_mm256_loadu_ps(u), level.addressU),
                                    _mm256_set1_ps(static_cast<float>(level.width)));
    const __m256 tv = _mm256_mul_ps(limitLanes8(_mm256_loadu_ps(v), level.addressV),
                                    _mm256_set1_ps(static_cast<float>(level.height)));
    const __m256 fu = _mm256_sub_ps(tu, half), fv = _mm256_sub_ps(tv, half);
    BilinearSetup8 s;
    s.x = floorLanes8(fu);
    const __m256i y = floorLanes8(fv);
    s.wx = quantiseLanes8(_mm256_sub_ps(fu, _mm256_cvtepi32_ps(s.x)));
    s.wy = quantiseLanes8(_mm256_sub_ps(fv, _mm256_cvtepi32_ps(y)));
    const __m256i one = _mm256_set1_epi32(1);
    s.x0 = addressLanes8(s.x, level.width, level.addressU);
    s.x1 = addressLanes8(_mm256_add_epi32(s.x, one), level.width, level.addressU);
    s.y0 = addressLanes8(y, level.height, level.addressV);
    s.y1 = addressLanes8(_mm256_add_epi32(y, one), level.height, level.addressV);
    const __m256 zero = _mm256_setzero_ps();
    s.readsRight = _mm256_movemask_ps(_mm256_cmp_ps(s.wx, zero, _CMP_EQ_OQ)) != 0xFF;
    s.readsBelow = _mm256_movemask_ps(_mm256_cmp_ps(s.wy, zero, _CMP_EQ_OQ)) != 0xFF;
    const __m256i inside =
        _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), s.x),
                            _mm256_cmpgt_epi32(_mm256_set1_epi32(level.width - 1), s.x));
    s.readsPairs = s.readsRight && _mm256_movemask_epi8(inside) == -1;
    // Lane 0 of each quad in all four of its lanes.
    const __m256i sameX = _mm256_cmpeq_epi32(s.x, _mm256_shuffle_epi32(s.x, 0));
    const __m256i sameY = _mm256_cmpeq_epi32(y, _mm256_shuffle_epi32(y, 0));
    s.sharesFootprints = _mm256_movemask_epi8(_mm256_and_si256(sameX, sameY)) == -1;
    return s;
}

// The left and right texels of one row of eight lanes.
struct RowTexels8 {
    Texels8 left, right;
};

// Pairs at (x, y), (x + 1, y) of every lane, for lanes whose x and x + 1 lie inside the level;
// BORDER rows (-1) read the border colour.
RowTexels8 loadPairRow8(const LevelTexels& level, __m256i x, __m256i y) {
    const __m256i border = _mm256_srai_epi32(y, 31);
    alignas(32) int xs[8], ys[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(xs), x);
    _mm256_store_si256(reinterpret_cast<__m256i*>(ys), _mm256_andnot_si256(border, y));
    const auto pair = [&](int lane) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(
            level.texels +
            static_cast<std::size_t>(ys[lane]) * static_cast<std::size_t>(level.width) +
            static_cast<std::size_t>(xs[lane])));
    };
    // [L0 R0 L1 R1 | L2 R2 L3 R3] and [L4 R4 L5 R5 | L6 R6 L7 R7].
    const __m256 low = _mm256_castsi256_ps(_mm256_set_m128i(_mm_unpacklo_epi64(pair(2), pair(3)),
                                                            _mm_unpacklo_epi64(pair(0), pair(1))));
    const __m256 high = _mm256_castsi256_ps(_mm256_set_m128i(_mm_unpacklo_epi64(pair(6), pair(7)),
                                                             _mm_unpacklo_epi64(pair(4), pair(5))));
    // [L0 L1 L4 L5 | L2 L3 L6 L7] put in lane order.
    const auto inOrder = [](__m256 mixed) {
        return _mm256_permute4x64_epi64(_mm256_castps_si256(mixed), _MM_SHUFFLE(3, 1, 2, 0));
    };
    const __m256i left = inOrder(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m256i right = inOrder(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m256i borderBits = _mm256_set1_epi32(static_cast<int>(level.borderBits));
    return {{selectInts8(border, borderBits, left), border},
            {selectInts8(border, borderBits, right), border}};
}

// Both rows of two quads whose lanes share their footprint: each quad's two pairs are read
// once and spread over its four lanes.
void loadSharedRows8(const LevelTexels& level, const BilinearSetup8& s, RowTexels8& top,
                     RowTexels8& bottom) {
    const __m256i topBorder = _mm256_srai_epi32(s.y0, 31);
    const __m256i bottomBorder = _mm256_srai_epi32(s.y1, 31);
    alignas(32) int xs[8], tops[8], bottoms[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(xs), s.x);
    _mm256_store_si256(reinterpret_cast<__m256i*>(tops), _mm256_andnot_si256(topBorder, s.y0));
    _mm256_store_si256(reinterpret_cast<__m256i*>(bottoms),
                       _mm256_andnot_si256(bottomBorder, s.y1));
    const auto pair = [&](const int* rows, int lane) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(
            level.texels +
            static_cast<std::size_t>(rows[lane]) * static_cast<std::size_t>(level.width) +
            static_cast<std::size_t>(xs[lane])));
    };
    // [TL TR BL BR] of quad 0, then of quad 1.
    const __m256i texels = _mm256_set_m128i(_mm_unpacklo_epi64(pair(tops, 4), pair(bottoms, 4)),
                                            _mm_unpacklo_epi64(pair(tops, 0), pair(bottoms, 0)));
    const auto spread = [&](int corner) {
        return _mm256_permutevar8x32_epi32(
            texels, _mm256_setr_epi32(corner, corner, corner, corner, corner + 4, corner + 4,
                                      corner + 4, corner + 4));
    };
    const __m256i borderBits = _mm256_set1_epi32(static_cast<int>(level.borderBits));
    top = {{selectInts8(topBorder, borderBits, spread(0)), topBorder},
           {selectInts8(topBorder, borderBits, spread(1)), topBorder}};
    bottom = {{selectInts8(bottomBorder, borderBits, spread(2)), bottomBorder},
              {selectInts8(bottomBorder, borderBits, spread(3)), bottomBorder}};
}

// The texels of one row as bilinearRow reads them.
RowTexels8 loadRow8(const LevelTexels& level, const BilinearSetup8& s, __m256i y) {
    if (s.readsPairs) return loadPairRow8(level, s.x, y);
    return {fetchLanes8(level, s.x0, y), s.readsRight ? fetchLanes8(level, s.x1, y) : Texels8{}};
}

Channels8 filterRow8(const LevelTexels& level, const BilinearSetup8& s, const RowTexels8& row) {
    const Channels8 left = unpackLanes8(level, row.left);
    return s.readsRight ? mixLanes8(left, unpackLanes8(level, row.right), s.wx) : left;
}

[[gnu::flatten]] void bilinearLanes8(const LevelTexels& level, const float* u, const float* v,
                                     const LaneRows& out) {
    const BilinearSetup8 s = setUpBilinear8(level, u, v);
    RowTexels8 top, bottom;
    if (s.readsPairs && s.readsBelow && s.sharesFootprints) {
        loadSharedRows8(level, s, top, bottom);
    } else {
        top = loadRow8(level, s, s.y0);
        if (s.readsBelow) bottom = loadRow8(level, s, s.y1);
    }
    const Channels8 upper = filterRow8(level, s, top);
    storeLanes8(s.readsBelow ? mixLanes8(upper, filterRow8(level, s, bottom), s.wy) : upper, out);
}

// Pairs of quads through the eight-lane `kernel`, a last single quad through `single`.
template <void (*kernel)(const LevelTexels&, const float*, const float*, const LaneRows&),
          void (*single)(const LevelTexels&, const float*, const float*, const LaneRows&)>
void quadPairs(const LevelTexels& level, const float* u, const float* v, std::size_t quads,
               const LaneRows& out) {
    std::size_t q = 0;
    for (; q + 2 <= quads; q += 2) kernel(level, u + 4 * q, v + 4 * q, out.advanced(4 * q));
    if (q < quads) single(level, u + 4 * q, v + 4 * q, out.advanced(4 * q));
}

}  // namespace

const LevelLaneKernels& avx2LevelLaneKernels() {
    static const LevelLaneKernels kernels{quadPairs<pointLanes8, pointLanes>,
                                          quadPairs<bilinearLanes8, bilinearQuad>};
    return kernels;
}

}  // namespace platform::d3d9
