#pragma once
// The per-pixel tail of the pipeline: fog, alpha test, depth test and write, blending
// (separate alpha included) and colour-write masks, on 32-bit ARGB targets. Colours become
// bytes by rounding to nearest after clamping to [0, 1]; blending computes in float on the
// byte values / 255 and rounds the same way, the four channels side by side in SSE2 lanes with
// the same operations each would have alone.
#include <emmintrin.h>

#include <cstdint>

#include "platform/d3d9/sampler.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

// `value` clamped to [0, 1], NaN as 0, without branches: maxss and minss return their
// second operand when the first is NaN.
inline float clampUnit(float value) {
    return _mm_cvtss_f32(_mm_min_ss(_mm_max_ss(_mm_set_ss(value), _mm_setzero_ps()), _mm_set_ss(1.0f)));
}

// NaN gives 0. Clamped values are never negative, so truncation rounds as floor would.
inline std::uint8_t colourByte(float value) {
    return static_cast<std::uint8_t>(_mm_cvtt_ss2si(_mm_set_ss(clampUnit(value) * 255.0f + 0.5f)));
}

// colourByte of each channel, packed as ARGB.
inline std::uint32_t packArgb(const Colour& c) {
    return (std::uint32_t{colourByte(c.a)} << 24) | (std::uint32_t{colourByte(c.r)} << 16) |
           (std::uint32_t{colourByte(c.g)} << 8) | colourByte(c.b);
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

// Mixes the fog colour in by 1 - fogFactor (clamped to [0, 1], NaN as 0); alpha is kept.
inline Colour applyFog(const OutputState& state, const Colour& c, float fogFactor) {
    const float f = clampUnit(fogFactor);
    const Colour& fc = state.fogColour;
    return {c.r * f + fc.r * (1.0f - f), c.g * f + fc.g * (1.0f - f), c.b * f + fc.b * (1.0f - f), c.a};
}

// Blends `source` over the ARGB `destination` (whose alpha reads 1 when `destinationOpaque`)
// and applies the write mask; returns the new ARGB value.
std::uint32_t blendAndMask(const OutputState& state, const Colour& source, std::uint32_t destination,
                           bool destinationOpaque);

}  // namespace platform::d3d9
