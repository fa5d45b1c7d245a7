#pragma once
// Flexible vertex formats: where each element lies in a vertex, and fetching a vertex for
// fixed-function processing.
#include <cstdint>

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/shaded_vertex.h"

namespace platform::d3d9 {

struct FvfLayout {
    bool valid = false;
    bool pretransformed = false;    // XYZRHW
    UINT stride = 0;                // bytes of one vertex
    UINT blendWeights = 0;          // floats after the position
    int blendIndicesOffset = -1;    // the last beta as UBYTE4 or D3DCOLOR
    int normalOffset = -1;
    int diffuseOffset = -1;
    int specularOffset = -1;
    UINT texCoordSets = 0;
    int texOffset[kTexCoordSets] = {};
    UINT texDimensions[kTexCoordSets] = {};  // 1 to 4 floats
};

// Layout of an FVF code; `valid` is false for codes the device does not take (no position,
// XYZW, bits outside the documented ones).
FvfLayout describeFvf(DWORD fvf);

// D3DCOLOR bytes (B, G, R, A in memory) as (r, g, b, a) in 0..1.
void unpackColour(std::uint32_t argb, float out[4]);

// Fixed-function vertex processing with the default identity transforms and lighting off (a
// draw with lighting on is refused):
// the position passes through as clip space (w = 1) or, pretransformed, as screen position
// and rhw; a missing diffuse is opaque white, a missing specular (0, 0, 0, 1); the fog factor
// is the specular alpha. Missing texture-coordinate components read (0, 0, 0, 1).
void fetchFixedFunctionVertex(const std::uint8_t* vertex, const FvfLayout& layout, ShadedVertex& out);

}  // namespace platform::d3d9
