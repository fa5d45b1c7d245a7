#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/spriterect/rect_batch.h"

namespace tessera::test {
namespace {

// Records what the batcher asks of the device.
class RecordingSink : public SpriteRectDrawSink {
public:
    struct Draw {
        L3DTexture* texture;
        int32_t blend;
        uint32_t vertexCount;
        std::vector<uint16_t> indices;
        std::vector<L3D_RENDERER_VERTEX> vertices;
    };
    void setBlend(int32_t kind) override { blend = kind; }
    void drawBatch(L3DTexture* texture, const L3D_RENDERER_VERTEX* vertices, uint32_t vertexCount,
                   const uint16_t* indices, uint32_t indexCount) override {
        draws.push_back({texture,
                         blend,
                         vertexCount,
                         {indices, indices + indexCount},
                         {vertices, vertices + vertexCount}});
    }
    int32_t blend = 0;
    std::vector<Draw> draws;
};

class RectBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        image.width = 64;
        image.height = 32;
        spriteRectRendererInit(renderer, 640, 480, 4, 640, 480);
    }
    void TearDown() override { spriteRectRendererRelease(renderer); }

    SpriteRect* rect(int32_t x, int32_t y, int32_t w, int32_t h) {
        SpriteRect* r = spriteRectCreate(renderer, &image);
        r->drawX = x;
        r->drawY = y;
        r->drawWidth = w;
        r->drawHeight = h;
        r->mapWidth = static_cast<int32_t>(image.width);
        r->mapHeight = static_cast<int32_t>(image.height);
        return r;
    }
    void draw() { spriteRectDrawRects(renderer, batch, sink); }

    SpriteRectImage image;
    SpriteRectRenderer renderer;
    SpriteRectBatch batch;
    RecordingSink sink;
};

TEST_F(RectBatchTest, ThirtyTwoQuadsOfOneTextureTakeTwoDraws) {
    for (int i = 0; i < 32; ++i) rect(i, 0, 4, 4);
    draw();
    ASSERT_EQ(sink.draws.size(), 2u);
    EXPECT_EQ(sink.draws[0].vertexCount, 124u);
    EXPECT_EQ(sink.draws[0].indices.size(), 186u);
    EXPECT_EQ(sink.draws[1].vertexCount, 4u);
    EXPECT_EQ(sink.draws[1].indices, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(sink.draws[0].indices[180], 120);
}

TEST_F(RectBatchTest, BlendChangeSplitsTheBatch) {
    rect(0, 0, 4, 4);
    rect(0, 0, 4, 4)->blend = 3;
    rect(0, 0, 4, 4)->blend = 3;
    SpriteRect* disabled = rect(0, 0, 4, 4);
    disabled->flags &= ~SPRITE_RECT_ENABLED;
    disabled->blend = 1;
    draw();
    ASSERT_EQ(sink.draws.size(), 2u);
    EXPECT_EQ(sink.draws[0].blend, 0);
    EXPECT_EQ(sink.draws[0].vertexCount, 4u);
    EXPECT_EQ(sink.draws[1].blend, 3);
    EXPECT_EQ(sink.draws[1].vertexCount, 8u);
}

TEST_F(RectBatchTest, LevelsAreDrawnInChainOrder) {
    spriteRectSetLevel(rect(3, 0, 1, 1), 3);
    spriteRectSetLevel(rect(1, 0, 1, 1), 1);
    rect(0, 0, 1, 1)->blend = 2;  // level 0, own batch
    draw();
    ASSERT_EQ(sink.draws.size(), 2u);
    ASSERT_EQ(sink.draws[1].vertexCount, 8u);
    EXPECT_FLOAT_EQ(sink.draws[0].vertices[0].x, -0.5f);
    EXPECT_FLOAT_EQ(sink.draws[1].vertices[0].x, 0.5f);
    EXPECT_FLOAT_EQ(sink.draws[1].vertices[4].x, 2.5f);
}

// Corners are (left, top), (left, bottom), (right, top), (right, bottom); the half-pixel offset
// of a renderer as large as the screen is 0.5.
TEST_F(RectBatchTest, PositionsAndMirroring) {
    const struct {
        uint32_t flags;
        float left, top;
    } cases[] = {
        {0, 10, 5},
        {SPRITE_RECT_DRAW_REVERSE_X, 610, 5},
        {SPRITE_RECT_DRAW_REVERSE_Y, 10, 445},
        {SPRITE_RECT_DRAW_REVERSE_X | SPRITE_RECT_DRAW_REVERSE_Y, 610, 445},
    };
    for (const auto& c : cases) {
        SpriteRect* r = rect(10, 5, 20, 30);
        r->flags |= c.flags;
        spriteRectUpdateVertices(*r);
        const float xs[4] = {c.left, c.left, c.left + 20, c.left + 20};
        const float ys[4] = {c.top, c.top + 30, c.top, c.top + 30};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(r->vertices[i].x, xs[i] - 0.5f) << c.flags << " corner " << i;
            EXPECT_FLOAT_EQ(r->vertices[i].y, ys[i] - 0.5f) << c.flags << " corner " << i;
            EXPECT_EQ(r->vertices[i].z, 0.0f);
        }
        EXPECT_EQ(r->flags & 0x60u, 0u);
        spriteRectRelease(r);
    }
}

TEST_F(RectBatchTest, PivotOffsetsAndRotatesTheQuad) {
    SpriteRect* r = rect(100, 100, 20, 10);
    r->pivotX = 10;
    r->pivotY = 5;
    r->rotation = static_cast<float>(M_PI / 2);
    spriteRectUpdateVertices(*r);
    // Unrotated the quad spans (90, 95) to (110, 105) less the half pixel, pivot at its centre;
    // a quarter turn of minus the angle takes (left, top) to (right, bottom) of the turned quad.
    const float cx = 99.5f, cy = 99.5f;
    EXPECT_NEAR(r->vertices[0].x, cx - 5, 1e-4);
    EXPECT_NEAR(r->vertices[0].y, cy + 10, 1e-4);
    EXPECT_NEAR(r->vertices[3].x, cx + 5, 1e-4);
    EXPECT_NEAR(r->vertices[3].y, cy - 10, 1e-4);
}

TEST_F(RectBatchTest, TextureCoordinatesFollowTheMapAndItsMirrors) {
    SpriteRect* r = rect(0, 0, 1, 1);
    r->mapX = 16;
    r->mapY = 8;
    r->mapWidth = 32;
    r->mapHeight = 16;
    r->flags |= SPRITE_RECT_MAP_REVERSE_X;
    spriteRectUpdateVertices(*r);
    const float us[4] = {0.75f, 0.75f, 0.25f, 0.25f};
    const float vs[4] = {0.25f, 0.75f, 0.25f, 0.75f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(r->vertices[i].u, us[i]) << i;
        EXPECT_FLOAT_EQ(r->vertices[i].v, vs[i]) << i;
    }
    // Coordinates are rebuilt only when flagged.
    r->mapX = 0;
    spriteRectUpdateVertices(*r);
    EXPECT_FLOAT_EQ(r->vertices[0].u, 0.75f);
}

}  // namespace
}  // namespace tessera::test
