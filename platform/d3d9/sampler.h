#pragma once
// Texture sampling: POINT and LINEAR filtering, WRAP, CLAMP and BORDER addressing, and mip
// levels chosen from the texel-space derivatives of a 2x2 quad (POINT and LINEAR mip filters).
// Texels are read as ARGB (X8R8G8B8 with alpha 1; DXT levels as decoded at unlock). Filter
// weights are quantised to 1/256, so a sample at a texel centre returns that texel exactly.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/level_lanes.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

class IDirect3DSurface9;
class IDirect3DTexture9;

struct Colour {
    float r, g, b, a;
};

Colour colourFromArgb(DWORD argb);

class TextureSampler {
public:
    TextureSampler(const IDirect3DTexture9& texture,
                   const std::array<DWORD, kSamplerStateLimit>& states);

    // Level of detail for a quad from its four (u, v) pairs (pixels 0..3 as in Quad).
    float levelOfDetail(const float u[4], const float v[4]) const;
    Colour sample(float u, float v, float lod) const;
    // Whole 2x2 quads at once: lanes 4q..4q+3 of u and v are quad q's pixels 0..3 (as in
    // Quad). Each lane gets the bits sample() gives it with its quad's level of detail, which
    // is computed only where it matters.
    void sampleQuads(const float* u, const float* v, std::size_t quads, const LaneRows& out) const;

    // True when every sample reads exactly one texel of one level (POINT magnification and
    // minification without mip filtering, or a single level): the level of detail is moot.
    bool readsSingleTexels() const;
    // For such a sampler: the texel sample() would read, as ARGB bits (alpha 0xFF for
    // X8R8G8B8, the border colour's bits for a BORDER texel).
    std::uint32_t texelBits(float u, float v) const;

private:
    // Where a level of detail leads: a level and filter, and for LINEAR mip filtering the
    // weight of the next level (0 when only the first is read).
    struct LevelChoice {
        UINT level;
        DWORD filter;
        float nextWeight;
    };
    LevelChoice chooseLevel(float lod) const;
    LevelTexels levelTexels(UINT level) const;
    void sampleQuadAtItsLevel(const float u[4], const float v[4], const LaneRows& out) const;

    Colour sampleLevel(UINT level, float u, float v, DWORD filter) const;
    // The texel at addressed coordinates; -1 in either stands for the border colour.
    Colour fetch(const IDirect3DSurface9& surface, int x, int y) const;

    const IDirect3DTexture9& texture_;
    DWORD addressU_, addressV_;
    DWORD magFilter_, minFilter_, mipFilter_;
    float lodBias_;
    UINT firstLevel_;  // MAXMIPLEVEL, limited to the chain
    UINT levels_;
    Colour border_;
    DWORD borderBits_;
    bool opaque_;      // X8R8G8B8: alpha reads 1
    bool lodMatters_;  // false when every level of detail picks the same level and filter
    const LevelLaneKernels& kernels_;
};

}  // namespace platform::d3d9
