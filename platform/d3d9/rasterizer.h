#pragma once
// Triangle rasterisation with the rules of Direct3D 9: pixel centres at integer coordinates,
// the top-left fill rule, positions snapped to 1/256 pixel, attributes interpolated with
// perspective correction (linear in rhw), z linear in screen space. Pixels are produced in 2x2
// quads so that texture level selection can look at neighbouring pixels.
#include <cstdint>
#include <functional>

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/shaded_vertex.h"

namespace platform::d3d9 {

// Screen positions beyond this many pixels from the origin are refused.
constexpr float kMaxScreenCoordinate = 32768.0f;

struct RasterVertex {
    float x, y, z, rhw;
    float attr[kMaxAttributes];
};

// Positions snap to 1/kSubpixel pixel.
constexpr std::int64_t kSubpixel = 256;

struct SubpixelPoint {
    std::int64_t x, y;
};

// A vertex the rasteriser draws: finite, in range, with a positive rhw.
bool rasterizable(const RasterVertex& v);
SubpixelPoint snapToSubpixels(const RasterVertex& v);

// Pixels [left, right) x [top, bottom).
struct PixelRect {
    int left, top, right, bottom;
};

struct Quad {
    int x, y;       // the top-left pixel; x and y are even
    unsigned mask;  // bit i set: pixel i is covered; 0 (x, y), 1 (x+1, y), 2 (x, y+1), 3 (x+1, y+1)
    float z[4];
    // Attribute k of pixel p is attr[k][p], so that each attribute's four pixels are one
    // row; also for uncovered pixels (for derivatives).
    alignas(16) float attr[kMaxAttributes][4];
};

class QuadSink {
public:
    virtual ~QuadSink() = default;
    virtual void shadeQuad(const Quad& quad) = 0;
    // Called after the last quad of each triangle that produced quads.
    virtual void endTriangle() {}
    // Runs `rasterize` for one tile with the sink its quads go to (this one, or one that
    // gathers them); called on the tile's thread.
    virtual void drawTile(const std::function<void(QuadSink&)>& rasterize) { rasterize(*this); }
};

// The attributes a draw interpolates: bit k stands for attribute k.
using AttributeMask = std::uint64_t;
static_assert(kMaxAttributes <= 64);

// Attributes [first, end).
constexpr AttributeMask attributeRange(int first, int end) {
    return first >= end ? 0 : ((~AttributeMask{0}) >> (64 - (end - first))) << first;
}

// Rasterises one triangle inside `clip`. D3DCULL_CW drops triangles whose vertices run
// clockwise on screen, D3DCULL_CCW counter-clockwise ones. Degenerate triangles and vertices
// with non-finite or out-of-range positions or a non-positive rhw draw nothing. Only the
// attributes in `attributes` are interpolated (each as it would be alone); the others read 0.
void rasterizeTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                       AttributeMask attributes, D3DCULL cull, const PixelRect& clip,
                       QuadSink& sink);

}  // namespace platform::d3d9
