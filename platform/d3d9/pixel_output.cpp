#include "platform/d3d9/pixel_output.h"

#include <emmintrin.h>

namespace platform::d3d9 {
namespace {

// Colour channels as bytes, lane by lane, as colourByte makes them: max and min return their
// second operand for NaN, which makes NaN 0.
__m128i colourBytes(__m128 channels) {
    const __m128 clamped = _mm_min_ps(_mm_max_ps(channels, _mm_setzero_ps()), _mm_set1_ps(1.0f));
    return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(clamped, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
}

// std::clamp(v, 0, 1) lane by lane, NaN passing through as it does there.
__m128 clampKeepingNaN(__m128 v) {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 above = _mm_cmplt_ps(one, v);
    const __m128 below = _mm_cmplt_ps(v, _mm_setzero_ps());
    return _mm_andnot_ps(below, _mm_or_ps(_mm_and_ps(above, one), _mm_andnot_ps(above, v)));
}

// Lanes r, g, b of `colour` and lane a of `alpha`.
__m128 withAlpha(__m128 colour, __m128 alpha) {
    const __m128 alphaLane = _mm_castsi128_ps(_mm_setr_epi32(0, 0, 0, -1));
    return _mm_or_ps(_mm_and_ps(alphaLane, alpha), _mm_andnot_ps(alphaLane, colour));
}

// Lanes r, g, b, a: `s` and `d` the channels, `sa` and `da` the alphas in every lane.
__m128 blendFactor(DWORD factor, __m128 s, __m128 sa, __m128 d, __m128 da) {
    const __m128 one = _mm_set1_ps(1.0f);
    switch (factor) {
    case D3DBLEND_ZERO: return _mm_setzero_ps();
    case D3DBLEND_ONE: return one;
    case D3DBLEND_SRCCOLOR: return s;
    case D3DBLEND_INVSRCCOLOR: return _mm_sub_ps(one, s);
    case D3DBLEND_SRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA: return _mm_sub_ps(one, sa);
    case D3DBLEND_DESTALPHA: return da;
    case D3DBLEND_INVDESTALPHA: return _mm_sub_ps(one, da);
    case D3DBLEND_DESTCOLOR: return d;
    default: return _mm_sub_ps(one, d);  // INVDESTCOLOR
    }
}

__m128 blendChannels(DWORD op, DWORD srcFactor, DWORD destFactor, __m128 s, __m128 sa, __m128 d, __m128 da) {
    const __m128 source = _mm_mul_ps(s, blendFactor(srcFactor, s, sa, d, da));
    const __m128 dest = _mm_mul_ps(d, blendFactor(destFactor, s, sa, d, da));
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return _mm_sub_ps(source, dest);
    case D3DBLENDOP_REVSUBTRACT: return _mm_sub_ps(dest, source);
    case D3DBLENDOP_MIN: return _mm_min_ps(d, s);  // the smaller, s when they compare equal or unordered
    case D3DBLENDOP_MAX: return _mm_max_ps(d, s);  // the larger, likewise
    default: return _mm_add_ps(source, dest);
    }
}

bool inRange(DWORD value, DWORD first, DWORD last) { return value >= first && value <= last; }

}  // namespace

OutputState::OutputState(const StateStore& s)
    : fog(s.render[D3DRS_FOGENABLE] != FALSE),
      fogColour(colourFromArgb(s.render[D3DRS_FOGCOLOR] | 0xFF000000u)),
      alphaTest(s.render[D3DRS_ALPHATESTENABLE] != FALSE),
      alphaFunction(s.render[D3DRS_ALPHAFUNC]),
      alphaReference(static_cast<std::uint8_t>(s.render[D3DRS_ALPHAREF] & 0xFF)),
      depthTest(s.render[D3DRS_ZENABLE] != D3DZB_FALSE),
      depthWrite(s.render[D3DRS_ZENABLE] != D3DZB_FALSE && s.render[D3DRS_ZWRITEENABLE] != FALSE),
      depthFunction(s.render[D3DRS_ZFUNC]),
      blend(s.render[D3DRS_ALPHABLENDENABLE] != FALSE),
      srcBlend(s.render[D3DRS_SRCBLEND]),
      destBlend(s.render[D3DRS_DESTBLEND]),
      blendOp(s.render[D3DRS_BLENDOP]),
      writeMask(s.render[D3DRS_COLORWRITEENABLE] & 0xF) {
    const bool separate = s.render[D3DRS_SEPARATEALPHABLENDENABLE] != FALSE;
    srcBlendAlpha = separate ? s.render[D3DRS_SRCBLENDALPHA] : srcBlend;
    destBlendAlpha = separate ? s.render[D3DRS_DESTBLENDALPHA] : destBlend;
    blendOpAlpha = separate ? s.render[D3DRS_BLENDOPALPHA] : blendOp;
    plainWrite = !blend && writeMask == 0xF;
}

HRESULT validateOutputStates(const StateStore& states) {
    const auto& r = states.render;
    if (r[D3DRS_FILLMODE] != D3DFILL_SOLID || r[D3DRS_SHADEMODE] != D3DSHADE_GOURAUD ||
        r[D3DRS_FOGTABLEMODE] != D3DFOG_NONE || r[D3DRS_STENCILENABLE] != FALSE ||
        r[D3DRS_SCISSORTESTENABLE] != FALSE || r[D3DRS_ZENABLE] == D3DZB_USEW || r[D3DRS_ZENABLE] > D3DZB_USEW ||
        !inRange(r[D3DRS_CULLMODE], D3DCULL_NONE, D3DCULL_CCW) || !inRange(r[D3DRS_ZFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS) ||
        !inRange(r[D3DRS_ALPHAFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS))
        return D3DERR_CONFLICTINGRENDERSTATE;
    for (DWORD factor : {r[D3DRS_SRCBLEND], r[D3DRS_DESTBLEND], r[D3DRS_SRCBLENDALPHA], r[D3DRS_DESTBLENDALPHA]})
        if (!inRange(factor, D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR)) return D3DERR_UNSUPPORTEDFACTORVALUE;
    for (DWORD op : {r[D3DRS_BLENDOP], r[D3DRS_BLENDOPALPHA]})
        if (!inRange(op, D3DBLENDOP_ADD, D3DBLENDOP_MAX)) return D3DERR_CONFLICTINGRENDERSTATE;
    return D3D_OK;
}

std::uint32_t blendAndMask(const OutputState& state, const Colour& source, std::uint32_t destination,
                           bool destinationOpaque) {
    __m128 result = _mm_setr_ps(source.r, source.g, source.b, source.a);
    if (state.blend) {
        const auto byte = [destination](int shift) { return static_cast<int>((destination >> shift) & 0xFF); };
        const __m128i destBytes = _mm_setr_epi32(byte(16), byte(8), byte(0), byte(24));
        __m128 d = _mm_mul_ps(_mm_cvtepi32_ps(destBytes), _mm_set1_ps(1.0f / 255.0f));
        if (destinationOpaque) d = withAlpha(d, _mm_set1_ps(1.0f));
        const __m128 s = clampKeepingNaN(result);
        const __m128 sa = _mm_shuffle_ps(s, s, _MM_SHUFFLE(3, 3, 3, 3));
        const __m128 da = _mm_shuffle_ps(d, d, _MM_SHUFFLE(3, 3, 3, 3));
        result = blendChannels(state.blendOp, state.srcBlend, state.destBlend, s, sa, d, da);
        if (state.blendOpAlpha != state.blendOp || state.srcBlendAlpha != state.srcBlend ||
            state.destBlendAlpha != state.destBlend) {
            result = withAlpha(
                result, blendChannels(state.blendOpAlpha, state.srcBlendAlpha, state.destBlendAlpha, s, sa, d, da));
        }
    }
    alignas(16) std::int32_t bytes[4];  // r, g, b, a
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), colourBytes(result));
    const std::uint32_t argb = (static_cast<std::uint32_t>(bytes[3]) << 24) |
                               (static_cast<std::uint32_t>(bytes[0]) << 16) |
                               (static_cast<std::uint32_t>(bytes[1]) << 8) | static_cast<std::uint32_t>(bytes[2]);
    const std::uint32_t written = (state.writeMask & 1 ? 0x00FF0000u : 0u) | (state.writeMask & 2 ? 0x0000FF00u : 0u) |
                                  (state.writeMask & 4 ? 0x000000FFu : 0u) | (state.writeMask & 8 ? 0xFF000000u : 0u);
    const std::uint32_t out = (argb & written) | (destination & ~written);
    return destinationOpaque ? out | 0xFF000000u : out;
}

}  // namespace platform::d3d9
