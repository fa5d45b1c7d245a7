#include "platform/d3d9/tiled_raster.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/tile_workers.h"

namespace platform::d3d9 {
namespace {

int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

TiledRaster::TiledRaster(TileQueues& queues, AttributeMask attributes, D3DCULL cull,
                         const PixelRect& clip, TileShape shape)
    : queues_(queues),
      attributes_(attributes),
      cull_(cull),
      clip_(clip),
      tileWidth_(shape == TileShape::band ? std::max(1, clip.right - clip.left) : kTileSize),
      tileLeft_(shape == TileShape::band ? clip.left : 0) {
    queues_.items.clear();
    queues_.triangles.clear();
    queues_.rectangles.clear();
}

void TiledRaster::reserve(std::size_t triangles) {
    queues_.items.reserve(triangles);
    queues_.triangles.reserve(triangles);
}

PixelRect TiledRaster::tilesOf(const PixelRect& pixels) const {
    return {floorDiv(pixels.left - tileLeft_, tileWidth_), floorDiv(pixels.top, kTileSize),
            floorDiv(pixels.right - 1 - tileLeft_, tileWidth_) + 1,
            floorDiv(pixels.bottom - 1, kTileSize) + 1};
}

PixelRect TiledRaster::tileClip(int column, int row) const {
    const int left = tileLeft_ + column * tileWidth_;
    return {std::max(clip_.left, left), std::max(clip_.top, row * kTileSize),
            std::min(clip_.right, left + tileWidth_),
            std::min(clip_.bottom, (row + 1) * kTileSize)};
}

void TiledRaster::add(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
    float minX = a.x, maxX = a.x, minY = a.y, maxY = a.y;
    for (const RasterVertex* v : {&b, &c}) {
        minX = std::min(minX, v->x);
        maxX = std::max(maxX, v->x);
        minY = std::min(minY, v->y);
        maxY = std::max(maxY, v->y);
    }
    // The rasteriser refuses such positions anyway; NaN fails every comparison here.
    if (!(minX >= -kMaxScreenCoordinate && maxX <= kMaxScreenCoordinate &&
          minY >= -kMaxScreenCoordinate && maxY <= kMaxScreenCoordinate))
        return;
    // One pixel of margin covers the snapping of positions to the sub-pixel grid.
    const PixelRect bounds{std::max(clip_.left, static_cast<int>(std::floor(minX)) - 1),
                           std::max(clip_.top, static_cast<int>(std::floor(minY)) - 1),
                           std::min(clip_.right, static_cast<int>(std::ceil(maxX)) + 2),
                           std::min(clip_.bottom, static_cast<int>(std::ceil(maxY)) + 2)};
    if (bounds.left >= bounds.right || bounds.top >= bounds.bottom) return;
    queues_.items.push_back(
        {tilesOf(bounds), static_cast<std::uint32_t>(queues_.triangles.size()), false});
    queues_.triangles.push_back({{a, b, c}});
}

void TiledRaster::addRectangle(const PixelRect& pixels, std::uint32_t tag) {
    if (pixels.left >= pixels.right || pixels.top >= pixels.bottom) return;
    queues_.items.push_back(
        {tilesOf(pixels), static_cast<std::uint32_t>(queues_.rectangles.size()), true});
    queues_.rectangles.push_back({pixels, tag});
}

void TiledRaster::draw(QuadSink& quads, RectangleSink& rectangles, TileWorkers& workers) {
    std::vector<TileQueues::Item>& items = queues_.items;
    if (items.empty()) return;
    PixelRect span = items.front().tiles;
    for (const TileQueues::Item& item : items) {
        span.left = std::min(span.left, item.tiles.left);
        span.top = std::min(span.top, item.tiles.top);
        span.right = std::max(span.right, item.tiles.right);
        span.bottom = std::max(span.bottom, item.tiles.bottom);
    }
    const int columns = span.right - span.left;
    const int rows = span.bottom - span.top;
    const std::size_t tiles = static_cast<std::size_t>(columns) * rows;
    auto& bins = queues_.bins;
    if (bins.size() < tiles) bins.resize(tiles);
    for (std::size_t tile = 0; tile < tiles; ++tile) bins[tile].clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PixelRect& t = items[i].tiles;
        for (int row = t.top; row < t.bottom; ++row)
            for (int column = t.left; column < t.right; ++column)
                bins[static_cast<std::size_t>(row - span.top) * columns + (column - span.left)]
                    .push_back(static_cast<std::uint32_t>(i));
    }

    workers.run(static_cast<unsigned>(tiles), [&](unsigned tile) {
        const PixelRect clip = tileClip(span.left + static_cast<int>(tile % columns),
                                        span.top + static_cast<int>(tile / columns));
        quads.drawTile([&](QuadSink& tileSink) {
            for (const std::uint32_t i : bins[tile]) {
                const TileQueues::Item& item = items[i];
                if (item.rectangle) {
                    const TileQueues::Rectangle& r = queues_.rectangles[item.index];
                    const PixelRect part{std::max(clip.left, r.pixels.left),
                                         std::max(clip.top, r.pixels.top),
                                         std::min(clip.right, r.pixels.right),
                                         std::min(clip.bottom, r.pixels.bottom)};
                    rectangles.shadeRectangle(r.tag, part);
                } else {
                    const RasterVertex* v = queues_.triangles[item.index].vertex;
                    rasterizeTriangle(v[0], v[1], v[2], attributes_, cull_, clip, tileSink);
                }
            }
        });
    });
    items.clear();
    queues_.triangles.clear();
    queues_.rectangles.clear();
}

}  // namespace platform::d3d9
