#pragma once
// Flexible vertex formats: where each element lies in a vertex, and fetching a vertex for
// fixed-function processing.
#include <cstdint>

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/shaded_vertex.h"
#include "platform/d3d9/shader/shader_tokens.h"

namespace platform::d3d9 {

struct FvfLayout {
    bool valid = false;
    bool pretransformed = false;      // XYZRHW
    UINT stride = 0;                  // bytes of one vertex
    UINT blendWeights = 0;            // floats after the position
    int blendIndicesOffset = -1;      // the last beta as UBYTE4 or D3DCOLOR
    bool blendIndicesColour = false;  // D3DCOLOR (LASTBETA_D3DCOLOR) rather than UBYTE4
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
void fetchFixedFunctionVertex(const std::uint8_t* vertex, const FvfLayout& layout,
                              ShadedVertex& out);

// A vertex-shader input register declared with `usage` and `usageIndex`, read from the FVF
// element that carries it: position (XYZRHW gives x, y, z, rhw), blend weights, blend indices,
// normal, colours 0 (diffuse) and 1 (specular), texture coordinates n. D3DCOLOR elements arrive
// as (r, g, b, a) in 0..1, so the vertex's first byte is in z; UBYTE4 indices as the bytes'
// values in memory order. Components the element lacks read (0, 0, 0, 1), as does an element
// the format does not have.
void fetchShaderInput(const std::uint8_t* vertex, const FvfLayout& layout, shader::DeclUsage usage,
                      unsigned usageIndex, float out[4]);

}  // namespace platform::d3d9
