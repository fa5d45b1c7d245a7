#pragma once
// The per-pixel tail of the pipeline: fog, alpha test, depth test and write, blending
// (separate alpha included) and colour-write masks, on 32-bit ARGB targets. Colours become
// bytes by rounding to nearest after clamping to [0, 1]; blending computes in float on the
// byte values / 255 and rounds the same way.
#include <cstdint>

#include "platform/d3d9/sampler.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

std::uint8_t colourByte(float value);  // NaN gives 0
bool compareValues(DWORD function, std::uint32_t value, std::uint32_t reference);
std::uint32_t quantiseDepth(float z, UINT bits);

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
};

// Checks the render states the pipeline interprets for values it implements.
HRESULT validateOutputStates(const StateStore& states);

Colour applyFog(const OutputState& state, const Colour& colour, float fogFactor);

// Blends `source` over the ARGB `destination` (whose alpha reads 1 when `destinationOpaque`)
// and applies the write mask; returns the new ARGB value.
std::uint32_t blendAndMask(const OutputState& state, const Colour& source, std::uint32_t destination,
                           bool destinationOpaque);

}  // namespace platform::d3d9
