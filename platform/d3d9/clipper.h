#pragma once
// Clipping of clip-space triangles: near and far by z in [0, w], and a guard band in x and y
// (|x|, |y| <= kGuardBand * w) that keeps screen coordinates within the rasteriser's range.
#include "platform/d3d9/shaded_vertex.h"

namespace platform::d3d9 {

constexpr float kGuardBand = 4.0f;
constexpr int kMaxClippedVertices = 3 + 7;  // one more per clip plane

// Clips the triangle; writes the resulting convex polygon (0 or 3 to kMaxClippedVertices
// vertices, same winding) and returns its vertex count. Triangles with a non-finite
// coordinate are dropped.
int clipTriangle(const ShadedVertex& a, const ShadedVertex& b, const ShadedVertex& c,
                 ShadedVertex out[kMaxClippedVertices]);

}  // namespace platform::d3d9
