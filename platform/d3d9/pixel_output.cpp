#include "platform/d3d9/pixel_output.h"

#include <emmintrin.h>

namespace platform::d3d9 {
namespace {

// Colours as bytes, lane by lane: clamped to [0, 1] and rounded to nearest. max and min return
// their second operand for NaN, which makes NaN 0; clamped values are never negative, so
// truncation rounds as floor would.
__m128i colourBytes(__m128 channels) {
    const __m128 clamped = _mm_min_ps(_mm_max_ps(channels, _mm_setzero_ps()), _mm_set1_ps(1.0f));
    return _mm_cvttps_epi32(
        _mm_add_ps(_mm_mul_ps(clamped, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
}

// The four pixels' colours as ARGB bytes.
__m128i packArgb(const __m128 (&channel)[4]) {
    return _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(colourBytes(channel[3]), 24),
                     _mm_slli_epi32(colourBytes(channel[0]), 16)),
        _mm_or_si128(_mm_slli_epi32(colourBytes(channel[1]), 8), colourBytes(channel[2])));
}

// Pixel p of the quad whose top-left pixel is at `topLeft`.
std::uint32_t* pixelAt(std::uint32_t* topLeft, std::size_t pitch, unsigned p) {
    return topLeft + (p >> 1) * pitch + (p & 1);
}

// Stores the covered pixels of `argb` (alpha set to 0xFF on an opaque target). Only covered
// pixels are written: the others may lie past the target's edge.
void storePixels(const QuadTarget& target, unsigned mask, __m128i argb) {
    if (target.opaque) argb = _mm_or_si128(argb, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    if (mask == 0xF) {
        // Pixels 0 and 1 make the top row, 2 and 3 the bottom one.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(target.colour), argb);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(target.colour + target.colourPitch),
                         _mm_unpackhi_epi64(argb, argb));
        return;
    }
    alignas(16) std::uint32_t pixels[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(pixels), argb);
    for (unsigned p = 0; p < 4; ++p)
        if (mask & (1u << p)) *pixelAt(target.colour, target.colourPitch, p) = pixels[p];
}

// std::clamp(v, 0, 1) lane by lane, NaN passing through as it does there.
__m128 clampKeepingNaN(__m128 v) {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 above = _mm_cmplt_ps(one, v);
    const __m128 below = _mm_cmplt_ps(v, _mm_setzero_ps());
    return _mm_andnot_ps(below, _mm_or_ps(_mm_and_ps(above, one), _mm_andnot_ps(above, v)));
}

// One channel of four pixels: `s` and `d` the channel, `sa` and `da` the pixels' alphas.
__m128 blendFactor(DWORD factor, __m128 s, __m128 sa, __m128 d, __m128 da) {
    const __m128 one = _mm_set1_ps(1.0f);
    switch (factor) {
    case D3DBLEND_ZERO:
        return _mm_setzero_ps();
    case D3DBLEND_ONE:
        return one;
    case D3DBLEND_SRCCOLOR:
        return s;
    case D3DBLEND_INVSRCCOLOR:
        return _mm_sub_ps(one, s);
    case D3DBLEND_SRCALPHA:
        return sa;
    case D3DBLEND_INVSRCALPHA:
        return _mm_sub_ps(one, sa);
    case D3DBLEND_DESTALPHA:
        return da;
    case D3DBLEND_INVDESTALPHA:
        return _mm_sub_ps(one, da);
    case D3DBLEND_DESTCOLOR:
        return d;
    default:
        return _mm_sub_ps(one, d);  // INVDESTCOLOR
    }
}

__m128 blendChannels(DWORD op, DWORD srcFactor, DWORD destFactor, __m128 s, __m128 sa, __m128 d,
                     __m128 da) {
    const __m128 source = _mm_mul_ps(s, blendFactor(srcFactor, s, sa, d, da));
    const __m128 dest = _mm_mul_ps(d, blendFactor(destFactor, s, sa, d, da));
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return _mm_sub_ps(source, dest);
    case D3DBLENDOP_REVSUBTRACT:
        return _mm_sub_ps(dest, source);
    case D3DBLENDOP_MIN:
        return _mm_min_ps(d, s);  // the smaller, s when they compare equal or unordered
    case D3DBLENDOP_MAX:
        return _mm_max_ps(d, s);  // the larger, likewise
    default:
        return _mm_add_ps(source, dest);
    }
}

// Byte `shift` / 8 of each lane as a float in [0, 1].
__m128 channelOf(__m128i argb, int shift) {
    const __m128i bytes =
        _mm_and_si128(_mm_srl_epi32(argb, _mm_cvtsi32_si128(shift)), _mm_set1_epi32(0xFF));
    return _mm_mul_ps(_mm_cvtepi32_ps(bytes), _mm_set1_ps(1.0f / 255.0f));
}

// The covered pixels of the quad, each passing `test(pixel)`.
template <typename Test>
unsigned passing(unsigned mask, Test test) {
    for (unsigned p = 0; p < 4; ++p)
        if ((mask & (1u << p)) && !test(p)) mask &= ~(1u << p);
    return mask;
}

bool inRange(DWORD value, DWORD first, DWORD last) { return value >= first && value <= last; }

// The depth test (and write) of a quad whose four pixels are all covered, on depths of at most
// 24 bits: quantiseDepth and compareValues lane by lane. Returns the pixels that pass.
unsigned depthTestWholeQuad(const OutputState& state, const QuadTarget& target,
                            const float (&z)[4]) {
    const __m128d one = _mm_set1_pd(1.0), zero = _mm_setzero_pd();
    const __m128d scale =
        _mm_set1_pd(static_cast<double>((std::uint32_t{1} << target.depthBits) - 1));
    const __m128d rounding = _mm_set1_pd(4503599627370496.0);  // 2^52, as in quantiseDepth
    const auto quantise = [&](__m128 pair) {
        const __m128d depth = _mm_cvtps_pd(pair);
        // depth > 0 ? min(depth, 1) : 0, NaN reading 0.
        const __m128d clamped = _mm_and_pd(_mm_cmpgt_pd(depth, zero), _mm_min_pd(depth, one));
        return _mm_cvttpd_epi32(
            _mm_sub_pd(_mm_add_pd(_mm_mul_pd(clamped, scale), rounding), rounding));
    };
    const __m128 depths = _mm_loadu_ps(z);
    // Pixels 0, 1 (the top row) and 2, 3 (the bottom one); values below 2^24 compare alike as
    // signed and unsigned.
    const __m128i depth =
        _mm_unpacklo_epi64(quantise(depths), quantise(_mm_movehl_ps(depths, depths)));
    std::uint32_t* top = target.depth;
    std::uint32_t* bottom = target.depth + target.depthPitch;
    const __m128i stored =
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)));
    const __m128i less = _mm_cmplt_epi32(depth, stored), equal = _mm_cmpeq_epi32(depth, stored);
    const __m128i all = _mm_set1_epi32(-1);
    __m128i pass;
    switch (state.depthFunction) {
    case D3DCMP_NEVER:
        pass = _mm_setzero_si128();
        break;
    case D3DCMP_LESS:
        pass = less;
        break;
    case D3DCMP_EQUAL:
        pass = equal;
        break;
    case D3DCMP_LESSEQUAL:
        pass = _mm_or_si128(less, equal);
        break;
    case D3DCMP_GREATER:
        pass = _mm_andnot_si128(_mm_or_si128(less, equal), all);
        break;
    case D3DCMP_NOTEQUAL:
        pass = _mm_andnot_si128(equal, all);
        break;
    case D3DCMP_GREATEREQUAL:
        pass = _mm_andnot_si128(less, all);
        break;
    default:
        pass = all;
        break;
    }
    if (state.depthWrite) {
        const __m128i written =
            _mm_or_si128(_mm_and_si128(pass, depth), _mm_andnot_si128(pass, stored));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(top), written);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bottom), _mm_unpackhi_epi64(written, written));
    }
    return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(pass)));
}

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
    storesOnly = plainWrite && !fog && !alphaTest && !depthTest;
}

HRESULT validateOutputStates(const StateStore& states) {
    const auto& r = states.render;
    if (r[D3DRS_FILLMODE] != D3DFILL_SOLID || r[D3DRS_SHADEMODE] != D3DSHADE_GOURAUD ||
        r[D3DRS_FOGTABLEMODE] != D3DFOG_NONE || r[D3DRS_STENCILENABLE] != FALSE ||
        r[D3DRS_SCISSORTESTENABLE] != FALSE || r[D3DRS_ZENABLE] == D3DZB_USEW ||
        r[D3DRS_ZENABLE] > D3DZB_USEW || !inRange(r[D3DRS_CULLMODE], D3DCULL_NONE, D3DCULL_CCW) ||
        !inRange(r[D3DRS_ZFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS) ||
        !inRange(r[D3DRS_ALPHAFUNC], D3DCMP_NEVER, D3DCMP_ALWAYS))
        return D3DERR_CONFLICTINGRENDERSTATE;
    for (DWORD factor :
         {r[D3DRS_SRCBLEND], r[D3DRS_DESTBLEND], r[D3DRS_SRCBLENDALPHA], r[D3DRS_DESTBLENDALPHA]})
        if (!inRange(factor, D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR))
            return D3DERR_UNSUPPORTEDFACTORVALUE;
    for (DWORD op : {r[D3DRS_BLENDOP], r[D3DRS_BLENDOPALPHA]})
        if (!inRange(op, D3DBLENDOP_ADD, D3DBLENDOP_MAX)) return D3DERR_CONFLICTINGRENDERSTATE;
    return D3D_OK;
}

void writeQuad(const OutputState& state, const QuadTarget& target, const QuadFragment& fragment) {
    __m128 channel[4];
    for (int k = 0; k < 4; ++k) channel[k] = _mm_loadu_ps(fragment.colour[k]);
    if (state.fog) {
        const __m128 f =
            _mm_min_ps(_mm_max_ps(_mm_loadu_ps(fragment.fog), _mm_setzero_ps()), _mm_set1_ps(1.0f));
        const __m128 rest = _mm_sub_ps(_mm_set1_ps(1.0f), f);
        const float fogColour[3] = {state.fogColour.r, state.fogColour.g, state.fogColour.b};
        for (int k = 0; k < 3; ++k)
            channel[k] =
                _mm_add_ps(_mm_mul_ps(channel[k], f), _mm_mul_ps(_mm_set1_ps(fogColour[k]), rest));
    }

    unsigned mask = fragment.mask;
    if (state.alphaTest) {
        alignas(16) std::int32_t alpha[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(alpha), colourBytes(channel[3]));
        mask = passing(mask, [&](unsigned p) {
            return compareValues(state.alphaFunction, static_cast<std::uint32_t>(alpha[p]),
                                 state.alphaReference);
        });
    }
    if (state.depthTest && mask == 0xF && target.depthBits <= 24) {
        mask = depthTestWholeQuad(state, target, fragment.z);
    } else if (state.depthTest) {
        mask = passing(mask, [&](unsigned p) {
            std::uint32_t& stored = *pixelAt(target.depth, target.depthPitch, p);
            const std::uint32_t depth = quantiseDepth(fragment.z[p], target.depthBits);
            if (!compareValues(state.depthFunction, depth, stored)) return false;
            if (state.depthWrite) stored = depth;
            return true;
        });
    }
    if (mask == 0) return;

    // A plain write ignores the destination. Only covered pixels are read: the others may lie
    // past the target's edge.
    alignas(16) std::uint32_t destination[4] = {};
    if (!state.plainWrite)
        for (unsigned p = 0; p < 4; ++p)
            if (mask & (1u << p)) destination[p] = *pixelAt(target.colour, target.colourPitch, p);
    const __m128i dest = _mm_load_si128(reinterpret_cast<const __m128i*>(destination));

    if (state.blend) {
        const __m128 d[4] = {channelOf(dest, 16), channelOf(dest, 8), channelOf(dest, 0),
                             target.opaque ? _mm_set1_ps(1.0f) : channelOf(dest, 24)};
        __m128 s[4];
        for (int k = 0; k < 4; ++k) s[k] = clampKeepingNaN(channel[k]);
        for (int k = 0; k < 3; ++k)
            channel[k] = blendChannels(state.blendOp, state.srcBlend, state.destBlend, s[k], s[3],
                                       d[k], d[3]);
        channel[3] = blendChannels(state.blendOpAlpha, state.srcBlendAlpha, state.destBlendAlpha,
                                   s[3], s[3], d[3], d[3]);
    }
    const __m128i argb = packArgb(channel);
    const std::uint32_t written =
        (state.writeMask & 1 ? 0x00FF0000u : 0u) | (state.writeMask & 2 ? 0x0000FF00u : 0u) |
        (state.writeMask & 4 ? 0x000000FFu : 0u) | (state.writeMask & 8 ? 0xFF000000u : 0u);
    const __m128i keep = _mm_set1_epi32(static_cast<int>(~written));
    __m128i out = _mm_or_si128(_mm_andnot_si128(keep, argb), _mm_and_si128(keep, dest));
    storePixels(target, mask, out);
}

void storeQuadColours(const QuadTarget& target, unsigned mask, const float* const rows[4]) {
    if (mask == 0) return;
    const __m128 channel[4] = {_mm_loadu_ps(rows[0]), _mm_loadu_ps(rows[1]), _mm_loadu_ps(rows[2]),
                               _mm_loadu_ps(rows[3])};
    storePixels(target, mask, packArgb(channel));
}

}  // namespace platform::d3d9
