#pragma once
// A vertex as vertex processing hands it to the rasteriser: the same outputs a vertex shader
// writes (position, two colours, eight texture coordinates, fog), so fixed-function and
// shader paths meet here.
namespace platform::d3d9 {

constexpr int kTexCoordSets = 8;

struct ShadedVertex {
    // Clip-space (x, y, z, w); for pretransformed vertices screen (x, y, z) and rhw.
    float position[4];
    float colour[2][4];  // diffuse and specular as (r, g, b, a)
    float fog;           // 1 = no fog
    float tex[kTexCoordSets][4];
};

// The interpolated attributes in a fixed order: colours, fog, texture coordinates.
constexpr int kColourAttributes = 9;
constexpr int kFogAttribute = 8;
constexpr int kTexAttribute = kColourAttributes;  // set t starts at kTexAttribute + 4 * t
constexpr int attributeCount(int texCoordSets) { return kColourAttributes + 4 * texCoordSets; }
constexpr int kMaxAttributes = attributeCount(kTexCoordSets);

}  // namespace platform::d3d9
