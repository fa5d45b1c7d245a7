#pragma once
// Tile-parallel rasterisation. The triangles and rectangles of a draw are queued, sorted into
// tiles of the target (an item goes to every tile its bounds touch) and the tiles are drawn
// on the tile workers. Each tile draws its items in submission order and tiles never share a
// pixel or a 2x2 quad, so every pixel sees the same operations in the same order whatever the
// number of threads: frames are bit-identical with any thread count.
#include <cstdint>
#include <vector>

#include "platform/d3d9/rasterizer.h"

namespace platform::d3d9 {

class TileWorkers;

// Shades the rectangles queued with TiledRaster::addRectangle.
class RectangleSink {
public:
    virtual ~RectangleSink() = default;
    // Shades `pixels`, the part inside one tile of the rectangle queued with `tag`; called on
    // the tile's thread.
    virtual void shadeRectangle(std::uint32_t tag, const PixelRect& pixels) = 0;
};

// Tiles are kTileSize pixels high, aligned to multiples of kTileSize.
constexpr int kTileSize = 64;

enum class TileShape {
    square,  // kTileSize wide, aligned to multiples of kTileSize
    band,    // the clip's full width: each thread streams whole rows of the target
};

// What a TiledRaster queues and sorts. The device keeps one between draws, so that its
// storage is reused rather than allocated for every draw.
struct TileQueues {
    struct Triangle {
        RasterVertex vertex[3];
    };
    struct Rectangle {
        PixelRect pixels;
        std::uint32_t tag;
    };
    struct Item {
        PixelRect tiles;      // the tile columns and rows touched, [left, right) x [top, bottom)
        std::uint32_t index;  // into triangles or rectangles
        bool rectangle;
    };
    std::vector<Item> items;
    std::vector<Triangle> triangles;
    std::vector<Rectangle> rectangles;
    std::vector<std::vector<std::uint32_t>> bins;  // item numbers per tile
};

class TiledRaster {
public:
    // Quads carry `attributes` interpolated. The raster queues into `queues` (emptied
    // first), which must outlive it.
    TiledRaster(TileQueues& queues, AttributeMask attributes, D3DCULL cull, const PixelRect& clip,
                TileShape shape);

    void reserve(std::size_t triangles);
    void add(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c);
    // Queues `pixels` (inside the clip), which draw() hands to its rectangle sink tile by
    // tile, in order with the triangles.
    void addRectangle(const PixelRect& pixels, std::uint32_t tag);
    // Rasterises every queued triangle into `quads` and hands every rectangle to
    // `rectangles`, then empties the queue.
    void draw(QuadSink& quads, RectangleSink& rectangles, TileWorkers& workers);

private:
    // The tiles a rectangle of pixels (inside the clip, not empty) touches.
    PixelRect tilesOf(const PixelRect& pixels) const;
    // The pixels of tile (column, row) inside the clip.
    PixelRect tileClip(int column, int row) const;

    TileQueues& queues_;
    AttributeMask attributes_;
    D3DCULL cull_;
    PixelRect clip_;
    int tileWidth_;
    int tileLeft_;  // the left edge of tile column 0
};

}  // namespace platform::d3d9
