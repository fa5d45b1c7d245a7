#pragma once
// The four-lane body of the level kernels, included by level_lanes.cpp (SSE2) and
// level_lanes_avx2.cpp (compiled for AVX2, which runs eight lanes at once and uses these for a
// single quad). Texels are loaded one lane at a time: hardware gathers measured slower.
// Everything here has internal linkage, so each build keeps its own copy.
#include <immintrin.h>

#include <cfloat>
#include <cstddef>

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/level_lanes.h"

namespace platform::d3d9 {
namespace {

__m128i selectInts(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

__m128 selectFloats(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

// floor() as ints, for values well within the int range: truncate, then step down where that
// rounded up.
__m128i floorLanes(__m128 x) {
    const __m128i truncated = _mm_cvttps_epi32(x);
    const __m128 roundedUp = _mm_cmplt_ps(x, _mm_cvtepi32_ps(truncated));
    return _mm_add_epi32(truncated, _mm_castps_si128(roundedUp));
}

// Coordinates limited as the one-pixel sampler limits them: NaN reads 0; WRAP keeps the
// fraction, infinities reading 0; CLAMP and BORDER keep [-2, 3].
__m128 limitLanes(__m128 value, DWORD address) {
    if (address == D3DTADDRESS_WRAP) {
        // t - floor(t); values of 2^23 and more are whole already (and may not fit an int),
        // infinities and NaN read 0.
        const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), value);
        const __m128 finite = _mm_cmple_ps(magnitude, _mm_set1_ps(FLT_MAX));
        const __m128 whole = _mm_cmpge_ps(magnitude, _mm_set1_ps(8388608.0f));
        const __m128 floored = selectFloats(whole, value, _mm_cvtepi32_ps(floorLanes(value)));
        return _mm_and_ps(finite, _mm_sub_ps(value, floored));
    }
    const __m128 number = _mm_and_ps(_mm_cmpord_ps(value, value), value);
    return _mm_max_ps(_mm_min_ps(number, _mm_set1_ps(3.0f)), _mm_set1_ps(-2.0f));
}

// Filter weights quantised to 1/256; they are never negative, so truncation rounds as floor.
__m128 quantiseLanes(__m128 f) {
    const __m128 scaled = _mm_add_ps(_mm_mul_ps(f, _mm_set1_ps(256.0f)), _mm_set1_ps(0.5f));
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(scaled)), _mm_set1_ps(1.0f / 256.0f));
}

// Texel indices for `address`, -1 for BORDER texels. Limited coordinates keep WRAP indices
// within one size of the texture, so a single step in either direction wraps them.
__m128i addressLanes(__m128i i, int size, DWORD address) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i sizes = _mm_set1_epi32(size);
    const __m128i last = _mm_set1_epi32(size - 1);
    const __m128i below = _mm_cmplt_epi32(i, zero);
    const __m128i above = _mm_cmpgt_epi32(i, last);
    switch (address) {
    case D3DTADDRESS_WRAP:
        return _mm_sub_epi32(_mm_add_epi32(i, _mm_and_si128(below, sizes)),
                             _mm_and_si128(above, sizes));
    case D3DTADDRESS_BORDER:
        return _mm_or_si128(i, _mm_or_si128(below, above));
    default:
        return selectInts(above, last, _mm_andnot_si128(below, i));
    }
}

// The texels at addressed (x, y), with the border colour's bits where either is -1; `border`
// receives the mask of those lanes.
__m128i fetchLanes(const LevelTexels& level, __m128i x, __m128i y, __m128i& border) {
    border = _mm_srai_epi32(_mm_or_si128(x, y), 31);
    alignas(16) int xs[4], ys[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(xs), _mm_andnot_si128(border, x));
    _mm_store_si128(reinterpret_cast<__m128i*>(ys), _mm_andnot_si128(border, y));
    const auto at = [&](int lane) {
        return static_cast<int>(level.texels[static_cast<std::size_t>(ys[lane]) *
                                                 static_cast<std::size_t>(level.width) +
                                             static_cast<std::size_t>(xs[lane])]);
    };
    const __m128i texels = _mm_setr_epi32(at(0), at(1), at(2), at(3));
    return selectInts(border, _mm_set1_epi32(static_cast<int>(level.borderBits)), texels);
}

// For lanes whose x and x + 1 both lie inside the level (so no addressing applies across):
// the texel pair at (x, y), (x + 1, y) of each lane as one 64-bit value, lanes 0 and 1 in
// `low`, 2 and 3 in `high`; y is addressed, and BORDER rows (-1) read row 0 here, for the
// caller to replace. Each pair is loaded into a register of its own and combined there
// (vector loads of separately stored values would stall).
struct PairLanes {
    __m128i low, high;
};

PairLanes loadPairLanes(const LevelTexels& level, __m128i x, __m128i y, __m128i border) {
    alignas(16) int xs[4], ys[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(xs), x);
    _mm_store_si128(reinterpret_cast<__m128i*>(ys), _mm_andnot_si128(border, y));
    const auto pair = [&](int lane) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(
            level.texels +
            static_cast<std::size_t>(ys[lane]) * static_cast<std::size_t>(level.width) +
            static_cast<std::size_t>(xs[lane])));
    };
    return {_mm_unpacklo_epi64(pair(0), pair(1)), _mm_unpacklo_epi64(pair(2), pair(3))};
}

// The pairs' left and right texels as lanes.
void splitPairLanes(const PairLanes& pairs, __m128i& left, __m128i& right) {
    const __m128 low = _mm_castsi128_ps(pairs.low), high = _mm_castsi128_ps(pairs.high);
    left = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    right = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
}

struct ChannelLanes {
    __m128 c[4];  // red, green, blue, alpha
};

ChannelLanes unpackLanes(const LevelTexels& level, __m128i bits, __m128i border) {
    const __m128 scale = _mm_set1_ps(1.0f / 255.0f);
    const __m128i byte = _mm_set1_epi32(0xFF);
    const auto channel = [&](__m128i shifted) {
        return _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(shifted, byte)), scale);
    };
    ChannelLanes out{{channel(_mm_srli_epi32(bits, 16)), channel(_mm_srli_epi32(bits, 8)),
                      channel(bits), channel(_mm_srli_epi32(bits, 24))}};
    if (level.opaque)
        out.c[3] = selectFloats(_mm_castsi128_ps(border), out.c[3], _mm_set1_ps(1.0f));
    return out;
}

ChannelLanes texelLanes(const LevelTexels& level, __m128i x, __m128i y) {
    __m128i border;
    const __m128i bits = fetchLanes(level, x, y, border);
    return unpackLanes(level, bits, border);
}

ChannelLanes mixLanes(const ChannelLanes& a, const ChannelLanes& b, __m128 t) {
    ChannelLanes out;
    for (int k = 0; k < 4; ++k)
        out.c[k] = _mm_add_ps(a.c[k], _mm_mul_ps(_mm_sub_ps(b.c[k], a.c[k]), t));
    return out;
}

void storeLanes(const ChannelLanes& colours, const LaneRows& out) {
    for (int k = 0; k < 4; ++k) _mm_storeu_ps(out.channel[k], colours.c[k]);
}

void pointLanes(const LevelTexels& level, const float u[4], const float v[4], const LaneRows& out) {
    const __m128 tu = _mm_mul_ps(limitLanes(_mm_loadu_ps(u), level.addressU),
                                 _mm_set1_ps(static_cast<float>(level.width)));
    const __m128 tv = _mm_mul_ps(limitLanes(_mm_loadu_ps(v), level.addressV),
                                 _mm_set1_ps(static_cast<float>(level.height)));
    const __m128i x = addressLanes(floorLanes(tu), level.width, level.addressU);
    const __m128i y = addressLanes(floorLanes(tv), level.height, level.addressV);
    storeLanes(texelLanes(level, x, y), out);
}

// What bilinear filtering of four lanes needs before it reads texels.
struct BilinearSetup {
    __m128i x;       // column of the left texels, before addressing
    __m128i x0, x1;  // addressed columns of the left and right texels
    __m128i y0, y1;  // addressed rows of the top and bottom texels
    __m128 wx, wy;   // weights of the right and bottom texels
    // A weight of 0 in every lane leaves the nearer texels as they are (a + (b - a) * 0 is a,
    // as no texel channel is -0), so the farther ones are not read: sampling at texel centres
    // along an axis is common in screen passes.
    bool readsRight, readsBelow;
    // Every lane's x and x + 1 lie inside the level: both come from one read.
    bool readsPairs;
};

BilinearSetup setUpBilinear(const LevelTexels& level, const float u[4], const float v[4]) {
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 tu = _mm_mul_ps(limitLanes(_mm_loadu_ps(u), level.addressU),
                                 _mm_set1_ps(static_cast<float>(level.width)));
    const __m128 tv = _mm_mul_ps(limitLanes(_mm_loadu_ps(v), level.addressV),
                                 _mm_set1_ps(static_cast<float>(level.height)));
    const __m128 fu = _mm_sub_ps(tu, half), fv = _mm_sub_ps(tv, half);
    BilinearSetup s;
    s.x = floorLanes(fu);
    const __m128i y = floorLanes(fv);
    s.wx = quantiseLanes(_mm_sub_ps(fu, _mm_cvtepi32_ps(s.x)));
    s.wy = quantiseLanes(_mm_sub_ps(fv, _mm_cvtepi32_ps(y)));
    const __m128i one = _mm_set1_epi32(1);
    s.x0 = addressLanes(s.x, level.width, level.addressU);
    s.x1 = addressLanes(_mm_add_epi32(s.x, one), level.width, level.addressU);
    s.y0 = addressLanes(y, level.height, level.addressV);
    s.y1 = addressLanes(_mm_add_epi32(y, one), level.height, level.addressV);
    const __m128 zero = _mm_setzero_ps();
    s.readsRight = _mm_movemask_ps(_mm_cmpeq_ps(s.wx, zero)) != 0xF;
    s.readsBelow = _mm_movemask_ps(_mm_cmpeq_ps(s.wy, zero)) != 0xF;
    const __m128i inside = _mm_andnot_si128(_mm_cmplt_epi32(s.x, _mm_setzero_si128()),
                                            _mm_cmplt_epi32(s.x, _mm_set1_epi32(level.width - 1)));
    s.readsPairs = s.readsRight && _mm_movemask_epi8(inside) == 0xFFFF;
    return s;
}

// One row of the filter: the left and right texels of row `y` mixed by wx.
ChannelLanes bilinearRow(const LevelTexels& level, const BilinearSetup& s, __m128i y) {
    if (s.readsPairs) {
        const __m128i border = _mm_srai_epi32(y, 31);
        __m128i left, right;
        splitPairLanes(loadPairLanes(level, s.x, y, border), left, right);
        const __m128i borderBits = _mm_set1_epi32(static_cast<int>(level.borderBits));
        return mixLanes(unpackLanes(level, selectInts(border, borderBits, left), border),
                        unpackLanes(level, selectInts(border, borderBits, right), border), s.wx);
    }
    const ChannelLanes left = texelLanes(level, s.x0, y);
    return s.readsRight ? mixLanes(left, texelLanes(level, s.x1, y), s.wx) : left;
}

void bilinearFromSetup(const LevelTexels& level, const BilinearSetup& s, const LaneRows& out) {
    const ChannelLanes top = bilinearRow(level, s, s.y0);
    storeLanes(s.readsBelow ? mixLanes(top, bilinearRow(level, s, s.y1), s.wy) : top, out);
}

// inline: not every build that includes this uses it.
inline void bilinearLanes(const LevelTexels& level, const float u[4], const float v[4],
                          const LaneRows& out) {
    bilinearFromSetup(level, setUpBilinear(level, u, v), out);
}

// Runs the four-lane `kernel` over each of `quads` quads.
template <void (*kernel)(const LevelTexels&, const float*, const float*, const LaneRows&)>
void eachQuad(const LevelTexels& level, const float* u, const float* v, std::size_t quads,
              const LaneRows& out) {
    for (std::size_t q = 0; q < quads; ++q)
        kernel(level, u + 4 * q, v + 4 * q, out.advanced(4 * q));
}

}  // namespace
}  // namespace platform::d3d9
