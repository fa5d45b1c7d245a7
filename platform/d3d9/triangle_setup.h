#pragma once
// What rasterising a triangle computes once before walking its quads, shared by the SSE2 walk
// (rasterizer.cpp, one quad a step) and the AVX2 walk (rasterizer_avx2.cpp, two quads a step).
// Both evaluate the same expressions in the same precision, so they hand the sink the same
// quads with the same bits.
#include <cstdint>

#include "platform/d3d9/rasterizer.h"

namespace platform::d3d9 {

struct TriangleSetup {
    // The quads to walk: rows [top, bottom) and columns [left, right), left and top even.
    std::int64_t left, top, right, bottom;
    // Edge e (opposite vertex e, its value that vertex's barycentric weight times the area):
    // its value at pixel (left, top), its change per pixel step right and down, and the least
    // value inside. Edge values are integers far below 2^53 in magnitude, so doubles hold
    // them and every sum of them with the steps exactly: stepping gives the values a per-pixel
    // evaluation would, in any order.
    double start[3], stepX[3], stepY[3], minimum[3];
    double inverseStepX[3];  // 1 / stepX, where stepX is not 0
    double inverseArea;
    // The attributes interpolated, and per vertex each pre-multiplied by rhw (so that it
    // interpolates linearly on screen), z and rhw.
    AttributeMask attributes;
    int used[kMaxAttributes];
    int usedCount;
    float weighted[3][kMaxAttributes];
    float z[3], rhw[3];
};

// Culls, snaps and sets up the triangle; false when it draws nothing (culled, degenerate,
// unrasterizable or outside `clip`).
bool setUpTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                   AttributeMask attributes, D3DCULL cull, const PixelRect& clip,
                   TriangleSetup& setup);

// The quads of the row pair whose edge values at column `left` are `rowStart` that may hold
// pixels of the triangle: from column `first` (even), up to `end`; the others are skipped.
void rowQuads(const TriangleSetup& setup, const double (&rowStart)[3], std::int64_t& first,
              std::int64_t& end);

// Sets attributes `stale` of `count` quads to 0. Defined with the SSE2 walk: the AVX2 walk's
// file instantiates no shared library templates, whose one kept copy could be its AVX2 one.
void clearAttributes(Quad* quads, int count, AttributeMask stale);

// The quads a walk fills and hands to the sink, kept per thread and walk from triangle to
// triangle: the attributes outside a triangle's set must read 0, and rather than clearing the
// whole quads for every triangle only those a triangle before wrote are cleared.
template <int N>
struct QuadScratch {
    Quad quads[N] = {};
    AttributeMask written = 0;

    Quad* prepare(AttributeMask attributes) {
        clearAttributes(quads, N, written & ~attributes);
        written = attributes;
        return quads;
    }
};

// Coverage bits of quad (x, y) left by the clip rectangle. Internal linkage: the AVX2 walk's
// copy must not stand in for the SSE2 walk's.
static inline unsigned clipMask(std::int64_t x, std::int64_t y, const PixelRect& clip) {
    const auto in = [](std::int64_t p, int low, int high) { return p >= low && p < high; };
    const unsigned rows =
        (in(y, clip.top, clip.bottom) ? 0x3u : 0u) | (in(y + 1, clip.top, clip.bottom) ? 0xCu : 0u);
    const unsigned columns =
        (in(x, clip.left, clip.right) ? 0x5u : 0u) | (in(x + 1, clip.left, clip.right) ? 0xAu : 0u);
    return rows & columns;
}

// The triangle's quads through the SSE2 or the AVX2 walk.
void walkQuadsSse2(const TriangleSetup& setup, const PixelRect& clip, QuadSink& sink);
void walkQuadsAvx2(const TriangleSetup& setup, const PixelRect& clip, QuadSink& sink);

}  // namespace platform::d3d9
