#include "platform/d3d9/texel_mapping.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/d3d9/texture.h"

namespace platform::d3d9 {
namespace {

// Texel positions beyond this magnitude are left to the general path; within it they fit an int.
constexpr double kLargestPosition = 0x1p30;

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? (a + b - 1) / b : -(-a / b);
}

// One side of the rectangle along an axis: its snapped edges low < high and the texture
// coordinate on each.
struct AxisEdges {
    std::int64_t low, high;
    float atLow, atHigh;
};

int addressTexel(int texel, const TexelAxis& axis) {
    switch (axis.address) {
    case D3DTADDRESS_WRAP: {
        const int wrapped = texel % axis.size;
        return wrapped < 0 ? wrapped + axis.size : wrapped;
    }
    case D3DTADDRESS_BORDER:
        return texel < 0 || texel >= axis.size ? -1 : texel;
    default:
        return std::clamp(texel, 0, axis.size - 1);
    }
}

// The texel index of pixels [first, last) along one axis. The general path interpolates the
// coordinate in float from barycentric weights and scales it to texels, straying from the
// exact value by a few units in the last place of the coordinates' magnitude; a pixel whose
// texel position lies within a far wider margin of a texel boundary makes the mapping
// uncertain, and it is refused. (The position here, stepped in double, is within a far
// smaller error of the exact one.)
bool mapAxis(const AxisEdges& edges, const TexelAxis& axis, int first, int last,
             std::vector<int>& texels) {
    const double t0 = edges.atLow, t1 = edges.atHigh;
    const double largest = std::max(std::fabs(t0), std::fabs(t1));
    const double size = static_cast<double>(axis.size);
    if (!(largest * size <= kLargestPosition)) return false;
    const double margin = size * (largest + 1.0) * 0x1p-16;
    const double extent = static_cast<double>(edges.high - edges.low);
    const double start =
        (t0 + static_cast<double>(first * kSubpixel - edges.low) / extent * (t1 - t0)) * size;
    const double perPixel = (t1 - t0) * static_cast<double>(kSubpixel) / extent * size;
    texels.resize(static_cast<std::size_t>(last - first));
    for (int p = first; p < last; ++p) {
        const double position = start + static_cast<double>(p - first) * perPixel;
        int texel = static_cast<int>(position);
        if (position < static_cast<double>(texel)) --texel;
        const double fraction = position - static_cast<double>(texel);
        if (fraction <= margin || 1.0 - fraction <= margin) return false;
        texels[static_cast<std::size_t>(p - first)] = addressTexel(texel, axis);
    }
    return true;
}

std::vector<ColumnRun> columnRuns(const std::vector<int>& columns, int left) {
    std::vector<ColumnRun> runs;
    const int count = static_cast<int>(columns.size());
    const auto followsOn = [&](int i) {
        return columns[i - 1] >= 0 && columns[i] == columns[i - 1] + 1;
    };
    for (int i = 0; i < count;) {
        int end = i + 1;
        const bool contiguous = end < count && followsOn(end);
        if (contiguous) {
            while (end < count && followsOn(end)) ++end;
        } else {
            while (end < count && !(end + 1 < count && followsOn(end + 1))) ++end;
        }
        runs.push_back({left + i, left + end, contiguous});
        i = end;
    }
    return runs;
}

}  // namespace

TexelLevel texelLevel(const IDirect3DTexture9& texture,
                      const std::array<DWORD, kSamplerStateLimit>& states) {
    const UINT index = std::min<UINT>(states[D3DSAMP_MAXMIPLEVEL], texture.GetLevelCount() - 1);
    const IDirect3DSurface9& level = texture.level(index);
    return {level.texels(),
            {static_cast<int>(level.width()), states[D3DSAMP_ADDRESSU]},
            {static_cast<int>(level.height()), states[D3DSAMP_ADDRESSV]},
            texture.format() == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u,
            states[D3DSAMP_BORDERCOLOR]};
}

bool mapRectangle(const std::array<RasterVertex, 3>& first,
                  const std::array<RasterVertex, 3>& second, int uAttribute, D3DCULL cull,
                  const PixelRect& clip, const TexelAxis& u, const TexelAxis& v,
                  TexelMapping& mapping) {
    const RasterVertex* corners[6] = {&first[0],  &first[1],  &first[2],
                                      &second[0], &second[1], &second[2]};
    // One rhw, so that the perspective division gives back the coordinates; within this range
    // the coordinates times rhw neither overflow nor lose precision beyond the margin.
    const float rhw = corners[0]->rhw;
    if (!(rhw >= 0x1p-60f && rhw <= 0x1p60f)) return false;
    SubpixelPoint points[6];
    for (int i = 0; i < 6; ++i) {
        const RasterVertex& c = *corners[i];
        if (!rasterizable(c) || !std::isfinite(c.attr[uAttribute]) ||
            !std::isfinite(c.attr[uAttribute + 1]) || c.rhw != rhw)
            return false;
        points[i] = snapToSubpixels(c);
    }

    // Both triangles drawn, with the same winding.
    const auto area = [&](int i) {
        const SubpixelPoint &a = points[i], &b = points[i + 1], &c = points[i + 2];
        return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    };
    const std::int64_t firstArea = area(0), secondArea = area(3);
    if (firstArea == 0 || secondArea == 0 || (firstArea > 0) != (secondArea > 0)) return false;
    if ((cull == D3DCULL_CW && firstArea > 0) || (cull == D3DCULL_CCW && firstArea < 0))
        return false;

    // Every vertex on a corner of the bounds; each triangle leaves out one corner, and the
    // two left out are opposite, so the triangles meet along a diagonal and cover the
    // rectangle once.
    std::int64_t left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const SubpixelPoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    unsigned used[2] = {0, 0};
    float uAt[2] = {0, 0}, vAt[2] = {0, 0};
    bool uSeen[2] = {false, false}, vSeen[2] = {false, false};
    for (int i = 0; i < 6; ++i) {
        const SubpixelPoint& p = points[i];
        if ((p.x != left && p.x != right) || (p.y != top && p.y != bottom)) return false;
        const int column = p.x == right, row = p.y == bottom;
        used[i / 3] |= 1u << (column + 2 * row);
        // u follows x alone and v follows y alone.
        const float pu = corners[i]->attr[uAttribute], pv = corners[i]->attr[uAttribute + 1];
        if ((uSeen[column] && uAt[column] != pu) || (vSeen[row] && vAt[row] != pv)) return false;
        uAt[column] = pu;
        vAt[row] = pv;
        uSeen[column] = vSeen[row] = true;
    }
    // A triangle of non-zero area uses three distinct corners; corner c's opposite is c ^ 3.
    const int firstLeftOut = std::countr_zero(~used[0] & 0xFu);
    if ((~used[1] & 0xFu) != 1u << (firstLeftOut ^ 3)) return false;

    // Pixel centres on the left and top sides are inside, those on the right and bottom are not.
    mapping.pixels = {std::max<int>(clip.left, static_cast<int>(ceilDiv(left, kSubpixel))),
                      std::max<int>(clip.top, static_cast<int>(ceilDiv(top, kSubpixel))),
                      std::min<int>(clip.right, static_cast<int>(ceilDiv(right, kSubpixel))),
                      std::min<int>(clip.bottom, static_cast<int>(ceilDiv(bottom, kSubpixel)))};
    const PixelRect& pixels = mapping.pixels;
    mapping.columns.clear();
    mapping.rows.clear();
    mapping.runs.clear();
    if (pixels.left >= pixels.right || pixels.top >= pixels.bottom) return true;
    if (!mapAxis({left, right, uAt[0], uAt[1]}, u, pixels.left, pixels.right, mapping.columns) ||
        !mapAxis({top, bottom, vAt[0], vAt[1]}, v, pixels.top, pixels.bottom, mapping.rows))
        return false;
    mapping.runs = columnRuns(mapping.columns, pixels.left);
    return true;
}

}  // namespace platform::d3d9
