#pragma once
// Tile-parallel rasterisation. The triangles of a draw are queued, sorted into square tiles
// of the target (a triangle goes to every tile its bounds touch) and the tiles are drawn on
// the tile workers. Each tile draws its triangles in submission order and tiles never share
// a pixel or a 2x2 quad, so every pixel sees the same operations in the same order whatever
// the number of threads: frames are bit-identical with any thread count.
#include <cstdint>
#include <vector>

#include "platform/d3d9/rasterizer.h"

namespace platform::d3d9 {

class TileWorkers;

// Tiles are kTileSize pixels square, aligned to multiples of kTileSize.
constexpr int kTileSize = 64;

class TiledRaster {
public:
    // Quads carry the attributes [firstAttribute, attributeCount).
    TiledRaster(int firstAttribute, int attributeCount, D3DCULL cull, const PixelRect& clip)
        : firstAttribute_(firstAttribute), attributeCount_(attributeCount), cull_(cull), clip_(clip) {}

    void add(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);
    // Rasterises and shades every queued triangle, then empties the queue.
    void draw(QuadSink& sink, TileWorkers& workers);

private:
    struct Triangle {
        RasterVertex vertex[3];
        PixelRect tiles;  // the tile columns and rows touched, [left, right) x [top, bottom)
    };

    int firstAttribute_;
    int attributeCount_;
    D3DCULL cull_;
    PixelRect clip_;
    std::vector<Triangle> triangles_;
};

}  // namespace platform::d3d9
