#pragma once
// The per-pixel tail of the pipeline: fog, alpha test, depth test and write, blending
// (separate alpha included) and colour-write masks, on 32-bit ARGB targets. Colours become
// bytes by rounding to nearest after clamping to [0, 1]; blending computes in float on the
// byte values / 255 and rounds the same way.
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/sampler.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

inline bool compareValues(DWORD function, std::uint32_t value, std::uint32_t reference) {
    switch (function) {
    case D3DCMP_NEVER:
        return false;
    case D3DCMP_LESS:
        return value < reference;
    case D3DCMP_EQUAL:
        return value == reference;
    case D3DCMP_LESSEQUAL:
        return value <= reference;
    case D3DCMP_GREATER:
        return value > reference;
    case D3DCMP_NOTEQUAL:
        return value != reference;
    case D3DCMP_GREATEREQUAL:
        return value >= reference;
    default:
        return true;
    }
}

// z clamped to [0, 1] (NaN as 0) and scaled to `bits`, rounded to nearest with ties to even.
inline std::uint32_t quantiseDepth(float z, UINT bits) {
    const double depth = static_cast<double>(z);
    const double clamped = depth > 0.0 ? (depth < 1.0 ? depth : 1.0) : 0.0;
    const double scale =
        bits >= 32 ? 4294967295.0 : static_cast<double>((std::uint64_t{1} << bits) - 1);
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
    bool storesOnly;  // a plain write without fog or tests: storeQuadColours does it all
};

// Checks the render states the pipeline interprets for values it implements.
HRESULT validateOutputStates(const StateStore& states);

// The colours and per-pixel values of a 2x2 quad on their way out. Lane p is pixel p:
// 0 (x, y), 1 (x+1, y), 2 (x, y+1), 3 (x+1, y+1).
struct QuadFragment {
    float colour[4][4];  // red, green, blue, alpha rows
    float z[4];
    float fog[4];   // read only with fog on
    unsigned mask;  // bit p set: pixel p is covered
};

// Where a quad's pixels go: the texels of its top-left pixel and the row pitches in texels.
struct QuadTarget {
    std::uint32_t* colour;
    std::size_t colourPitch;
    bool opaque;           // X8R8G8B8: alpha reads as 1 and is written as 0xFF
    std::uint32_t* depth;  // null without a depth buffer
    std::size_t depthPitch;
    UINT depthBits;
};

// Fog, alpha test, depth test and write, blending and the write mask over the covered pixels
// of a quad, all four side by side in SSE2 lanes with the operations each pixel would have
// alone. Fog mixes the fog colour in by 1 - fog factor (clamped to [0, 1], NaN as 0) and
// keeps alpha.
void writeQuad(const OutputState& state, const QuadTarget& target, const QuadFragment& fragment);

// What writeQuad does where the state's storesOnly holds: the covered pixels of the quad get
// its colours, `rows` pointing at the red, green, blue and alpha of pixels 0..3.
void storeQuadColours(const QuadTarget& target, unsigned mask, const float* const rows[4]);

}  // namespace platform::d3d9
