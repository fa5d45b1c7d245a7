#pragma once
// Screen-aligned texture copies as row spans. Two triangles that together form an
// axis-aligned screen rectangle, with one rhw and texture coordinates where u follows x alone
// and v follows y alone, read texel column c(x) and texel row r(y) at pixel (x, y). The
// mapping computes c and r once per rectangle, and only where the interpolation the general
// path performs is certain to land in the same texel; the rows can then be copied whole.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d9/rasterizer.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

// How one texture axis is addressed: the level's size and the addressing mode.
struct TexelAxis {
    int size;
    DWORD address;  // WRAP, CLAMP or BORDER
};

class IDirect3DTexture9;

// The level a single-texel sampler reads (MAXMIPLEVEL within the chain) and how it reads it.
struct TexelLevel {
    const std::uint32_t* texels;
    TexelAxis u, v;        // u.size is also the row length
    std::uint32_t alpha;   // ORed into every texel read: 0xFF000000 for X8R8G8B8
    std::uint32_t border;  // the border colour's bits, read as they are
};

TexelLevel texelLevel(const IDirect3DTexture9& texture,
                      const std::array<DWORD, kSamplerStateLimit>& states);

// Consecutive pixel columns that read consecutive texels (`contiguous`) or texels found one
// by one in the column table.
struct ColumnRun {
    int left, right;  // pixels [left, right)
    bool contiguous;
};

struct TexelMapping {
    PixelRect pixels;          // the covered pixels inside the clip; may be empty
    std::vector<int> columns;  // the texel column of each pixel column from pixels.left; -1: border
    std::vector<int> rows;     // the texel row of each pixel row from pixels.top; -1: border
    std::vector<ColumnRun> runs;
};

// Maps the rectangle that `first` and `second` form, drawn with `cull` inside `clip`, whose
// texture coordinates are attributes `uAttribute` and `uAttribute + 1`. False when the two
// triangles do not form such a rectangle or a texel is not certain; they must then be drawn
// as triangles.
bool mapRectangle(const std::array<RasterVertex, 3>& first,
                  const std::array<RasterVertex, 3>& second, int uAttribute, D3DCULL cull,
                  const PixelRect& clip, const TexelAxis& u, const TexelAxis& v,
                  TexelMapping& mapping);

}  // namespace platform::d3d9
