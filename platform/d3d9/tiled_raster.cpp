#include "platform/d3d9/tiled_raster.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/tile_workers.h"

namespace platform::d3d9 {
namespace {

int floorTile(int pixel) { return pixel >= 0 ? pixel / kTileSize : -((-pixel + kTileSize - 1) / kTileSize); }

}  // namespace

void TiledRaster::add(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    float minX = a.x, maxX = a.x, minY = a.y, maxY = a.y;
    for (const RasterVertex* v : {&b, &c}) {
        minX = std::min(minX, v->x);
        maxX = std::max(maxX, v->x);
        minY = std::min(minY, v->y);
        maxY = std::max(maxY, v->y);
    }
    // The rasteriser refuses such positions anyway; NaN fails every comparison here.
    if (!(minX >= -kMaxScreenCoordinate && maxX <= kMaxScreenCoordinate && minY >= -kMaxScreenCoordinate &&
          maxY <= kMaxScreenCoordinate))
        return;
    // One pixel of margin covers the snapping of positions to the sub-pixel grid.
    const int left = std::max(clip_.left, static_cast<int>(std::floor(minX)) - 1);
    const int top = std::max(clip_.top, static_cast<int>(std::floor(minY)) - 1);
    const int right = std::min(clip_.right, static_cast<int>(std::ceil(maxX)) + 2);
    const int bottom = std::min(clip_.bottom, static_cast<int>(std::ceil(maxY)) + 2);
    if (left >= right || top >= bottom) return;
    triangles_.push_back({{a, b, c}, {floorTile(left), floorTile(top), floorTile(right - 1) + 1,
                                      floorTile(bottom - 1) + 1}});
}

void TiledRaster::draw(QuadSink& sink, TileWorkers& workers) {
    if (triangles_.empty()) return;
    PixelRect span = triangles_.front().tiles;
    for (const Triangle& t : triangles_) {
        span.left = std::min(span.left, t.tiles.left);
        span.top = std::min(span.top, t.tiles.top);
        span.right = std::max(span.right, t.tiles.right);
        span.bottom = std::max(span.bottom, t.tiles.bottom);
    }
    const int columns = span.right - span.left;
    const int rows = span.bottom - span.top;
    std::vector<std::vector<std::uint32_t>> bins(static_cast<std::size_t>(columns) * rows);
    for (std::size_t i = 0; i < triangles_.size(); ++i) {
        const PixelRect& t = triangles_[i].tiles;
        for (int row = t.top; row < t.bottom; ++row)
            for (int column = t.left; column < t.right; ++column)
                bins[static_cast<std::size_t>(row - span.top) * columns + (column - span.left)].push_back(
                    static_cast<std::uint32_t>(i));
    }

    workers.run(static_cast<unsigned>(bins.size()), [&](unsigned tile) {
        const int column = span.left + static_cast<int>(tile % columns);
        const int row = span.top + static_cast<int>(tile / columns);
        const PixelRect clip{std::max(clip_.left, column * kTileSize), std::max(clip_.top, row * kTileSize),
                             std::min(clip_.right, (column + 1) * kTileSize),
                             std::min(clip_.bottom, (row + 1) * kTileSize)};
        sink.drawTile([&](QuadSink& tileSink) {
            for (const std::uint32_t i : bins[tile]) {
                const RasterVertex* v = triangles_[i].vertex;
                rasterizeTriangle(v[0], v[1], v[2], firstAttribute_, attributeCount_, cull_, clip, tileSink);
            }
        });
    });
    triangles_.clear();
}

}  // namespace platform::d3d9
