#pragma once
// The per-pixel tail of the pipeline: fog, alpha test, depth test and write, blending
// (separate alpha included) and colour-write masks, on 32-bit ARGB targets. Colours become
// bytes by rounding to nearest after clamping to [0, 1]; blending computes in float on the
// byte values / 255 and rounds the same way. The four channels of a pixel, or one channel of
// the four pixels of a quad, compute side by side in SSE2 lanes with the same operations each
// would have alone.
#include <emmintrin.h>

#include <cstdint>

#include "platform/d3d9/sampler.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

// Colour channels as bytes, lane by lane: clamped to [0, 1] (NaN as 0), scaled to 255 and
// rounded to nearest. max and min return their second operand for NaN, which makes NaN 0;
// clamped values are never negative, so truncation rounds as floor would.
inline __m128i colourBytes(__m128 channels) {
    const __m128 clamped = _mm_min_ps(_mm_max_ps(channels, _mm_setzero_ps()), _mm_set1_ps(1.0f));
    return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(clamped, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
}

inline bool compareValues(DWORD function, std::uint32_t value, std::uint32_t reference) {
    switch (function) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return value < reference;
    case D3DCMP_EQUAL: return value == reference;
    case D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMP_GREATER: return value > reference;
    case D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMP_GREATEREQUAL: return value >= reference;
    default: return true;
    }
}

// z clamped to [0, 1] (NaN as 0) and scaled to `bits`, rounded to nearest with ties to even.
inline std::uint32_t quantiseDepth(float z, UINT bits) {
    const double depth = static_cast<double>(z);
    const double clamped = depth > 0.0 ? (depth < 1.0 ? depth : 1.0) : 0.0;
    const double scale = bits >= 32 ? 4294967295.0 : static_cast<double>((std::uint64_t{1} << bits) - 1);
    // Adding and taking away 2^52 rounds a value in [0, 2^52) to the nearest integer, ties
    // to even, as nearbyint does in the default rounding mode.
    constexpr double kRounding = 4503599627370496.0;
    return static_cast<std::uint32_t>((clamped * scale + kRounding) - kRounding);
}

// The colours of a quad's four pixels (numbered as in Quad), channel by channel:
// c[channel][pixel] with channels r, g, b, a.
struct QuadColours {
    float c[4][4];
};

// The colour bytes of the four pixels, packed as ARGB.
inline void packArgb(const QuadColours& colours, std::uint32_t argb[4]) {
    const auto bytes = [&colours](int channel) { return colourBytes(_mm_loadu_ps(colours.c[channel])); };
    const __m128i pixels = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(bytes(3), 24), _mm_slli_epi32(bytes(0), 16)),
                                        _mm_or_si128(_mm_slli_epi32(bytes(1), 8), bytes(2)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(argb), pixels);
}

// The output states of a draw, read once from the state store.
struct OutputState {
    explicit OutputState(const StateStore& states);

    bool fog;
    Colour fogColour;
    bool alphaTest;
    DWORD alphaFunction;
    std::uint8_t alphaReference;
    bool depthTest;
    bool depthWrite;
    DWORD depthFunction;
    bool blend;
    DWORD srcBlend, destBlend, blendOp;
    DWORD srcBlendAlpha, destBlendAlpha, blendOpAlpha;
    DWORD writeMask;  // bits 0..3: red, green, blue, alpha
    bool plainWrite;  // no blending and every channel written: the colour replaces the pixel
};

// Checks the render states the pipeline interprets for values it implements.
HRESULT validateOutputStates(const StateStore& states);

// Mixes the fog colour into each pixel p by 1 - fogFactors[p] (clamped to [0, 1], NaN as 0);
// alpha is kept.
inline void applyFog(const OutputState& state, QuadColours& colours, const float fogFactors[4]) {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 f = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(fogFactors), _mm_setzero_ps()), one);
    const __m128 rest = _mm_sub_ps(one, f);
    const float fog[3] = {state.fogColour.r, state.fogColour.g, state.fogColour.b};
    for (int channel = 0; channel < 3; ++channel) {
        const __m128 c = _mm_loadu_ps(colours.c[channel]);
        _mm_storeu_ps(colours.c[channel],
                      _mm_add_ps(_mm_mul_ps(c, f), _mm_mul_ps(_mm_set1_ps(fog[channel]), rest)));
    }
}

// Blends `source` over the ARGB `destination` (whose alpha reads 1 when `destinationOpaque`)
// and applies the write mask; returns the new ARGB value.
std::uint32_t blendAndMask(const OutputState& state, const Colour& source, std::uint32_t destination,
                           bool destinationOpaque);

}  // namespace platform::d3d9
