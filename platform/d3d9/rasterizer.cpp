#include "platform/d3d9/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace platform::d3d9 {
namespace {

// Edge from p to q; inside is where value() > 0 (or == 0 on a top or left edge).
struct Edge {
    std::int64_t dx, dy, x0, y0, bias;
    Edge(SubpixelPoint p, SubpixelPoint q) : dx(q.x - p.x), dy(q.y - p.y), x0(p.x), y0(p.y) {
        const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        bias = topLeft ? 0 : -1;
    }
    std::int64_t value(std::int64_t px, std::int64_t py) const { return dx * (py - y0) - dy * (px - x0); }
};

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

bool rasterizable(const RasterVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.rhw) && v.rhw > 0.0f &&
           std::fabs(v.x) <= kMaxScreenCoordinate && std::fabs(v.y) <= kMaxScreenCoordinate;
}

SubpixelPoint snapToSubpixels(const RasterVertex& v) {
    return {static_cast<std::int64_t>(std::nearbyint(static_cast<double>(v.x) * kSubpixel)),
            static_cast<std::int64_t>(std::nearbyint(static_cast<double>(v.y) * kSubpixel))};
}

void rasterizeTriangle(const RasterVertex& a, const RasterVertex& b0, const RasterVertex& c0, int firstAttribute,
                       int attributeCount,
                       D3DCULL cull, const PixelRect& clip, QuadSink& sink) {
    if (!rasterizable(a) || !rasterizable(b0) || !rasterizable(c0)) return;
    const SubpixelPoint pa = snapToSubpixels(a);
    SubpixelPoint pb = snapToSubpixels(b0), pc = snapToSubpixels(c0);
    std::int64_t area = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
    if (area == 0) return;
    // With y pointing down, a positive area means the vertices run clockwise on screen.
    if ((cull == D3DCULL_CW && area > 0) || (cull == D3DCULL_CCW && area < 0)) return;
    const RasterVertex* vb = &b0;
    const RasterVertex* vc = &c0;
    if (area < 0) {
        std::swap(pb, pc);
        std::swap(vb, vc);
        area = -area;
    }
    const RasterVertex* v[3] = {&a, vb, vc};

    // Edge i is opposite vertex i, so its value is vertex i's barycentric weight times area.
    const Edge edges[3] = {Edge(pb, pc), Edge(pc, pa), Edge(pa, pb)};

    const std::int64_t minX = std::min({pa.x, pb.x, pc.x}), maxX = std::max({pa.x, pb.x, pc.x});
    const std::int64_t minY = std::min({pa.y, pb.y, pc.y}), maxY = std::max({pa.y, pb.y, pc.y});
    std::int64_t left = std::max<std::int64_t>(clip.left, floorDiv(minX, kSubpixel));
    std::int64_t top = std::max<std::int64_t>(clip.top, floorDiv(minY, kSubpixel));
    const std::int64_t right = std::min<std::int64_t>(clip.right, floorDiv(maxX, kSubpixel) + 1);
    const std::int64_t bottom = std::min<std::int64_t>(clip.bottom, floorDiv(maxY, kSubpixel) + 1);
    if (left >= right || top >= bottom) return;
    left &= ~std::int64_t{1};
    top &= ~std::int64_t{1};

    // Attributes pre-multiplied by rhw interpolate linearly on screen.
    float weighted[3][kMaxAttributes];
    for (int i = 0; i < 3; ++i)
        for (int k = firstAttribute; k < attributeCount; ++k) weighted[i][k] = v[i]->attr[k] * v[i]->rhw;
    const double inverseArea = 1.0 / static_cast<double>(area);

    // Edge values step by constant amounts from pixel to pixel: exact integer increments
    // instead of a full evaluation per pixel.
    std::int64_t stepX[3], stepY[3], rowStart[3];
    for (int e = 0; e < 3; ++e) {
        stepX[e] = -edges[e].dy * kSubpixel;
        stepY[e] = edges[e].dx * kSubpixel;
        rowStart[e] = edges[e].value(left * kSubpixel, top * kSubpixel);
    }

    Quad quad;
    bool emitted = false;
    for (std::int64_t qy = top; qy < bottom; qy += 2) {
        std::int64_t quadStart[3];
        for (int e = 0; e < 3; ++e) quadStart[e] = rowStart[e];
        for (std::int64_t qx = left; qx < right; qx += 2) {
            std::int64_t values[4][3];
            unsigned mask = 0;
            for (int p = 0; p < 4; ++p) {
                const std::int64_t px = qx + (p & 1), py = qy + (p >> 1);
                bool inside = px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom;
                for (int e = 0; e < 3; ++e) {
                    values[p][e] = quadStart[e] + (p & 1) * stepX[e] + (p >> 1) * stepY[e];
                    inside = inside && values[p][e] + edges[e].bias >= 0;
                }
                if (inside) mask |= 1u << p;
            }
            for (int e = 0; e < 3; ++e) quadStart[e] += 2 * stepX[e];
            if (!mask) continue;
            quad.x = static_cast<int>(qx);
            quad.y = static_cast<int>(qy);
            quad.mask = mask;
            for (int p = 0; p < 4; ++p) {
                const float w0 = static_cast<float>(static_cast<double>(values[p][0]) * inverseArea);
                const float w1 = static_cast<float>(static_cast<double>(values[p][1]) * inverseArea);
                const float w2 = static_cast<float>(static_cast<double>(values[p][2]) * inverseArea);
                quad.z[p] = w0 * v[0]->z + w1 * v[1]->z + w2 * v[2]->z;
                const float rhw = w0 * v[0]->rhw + w1 * v[1]->rhw + w2 * v[2]->rhw;
                const float w = rhw != 0.0f ? 1.0f / rhw : 0.0f;
                for (int k = firstAttribute; k < attributeCount; ++k)
                    quad.attr[p][k] = (w0 * weighted[0][k] + w1 * weighted[1][k] + w2 * weighted[2][k]) * w;
            }
            sink.shadeQuad(quad);
            emitted = true;
        }
        for (int e = 0; e < 3; ++e) rowStart[e] += 2 * stepY[e];
    }
    if (emitted) sink.endTriangle();
}

}  // namespace platform::d3d9
