#include "engine/spriterect/sprite_rect_layer.h"

#include <gtest/gtest.h>

#include "platform/d3d9/d3d9_enums.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

TEST(SpriteRectProjection, MapsTheRendererSpaceOntoClipSpace) {
    const LMat m = spriteRectProjection(640, 480);
    const float rows[4][4] = {
        {2.0f / 640, 0, 0, 0}, {0, -2.0f / 480, 0, 0}, {0, 0, -0.5f, 0}, {-1, 1, 0.5f, 1}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(m.m[r][c], rows[r][c]) << r << "," << c;
    }
}

TEST(SpriteRectBlend, KindsGiveTheirStatesAndOthersNone) {
    const struct {
        int32_t kind;
        uint32_t source, destination;
        bool alphaTest;
    } cases[] = {
        {0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true},
        {1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, true},
        {2, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, false},
        {3, D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, false},
    };
    for (const auto& c : cases) {
        const SpriteRectBlendStates* s = spriteRectBlendStates(c.kind);
        ASSERT_NE(s, nullptr) << c.kind;
        EXPECT_EQ(s->source, c.source) << c.kind;
        EXPECT_EQ(s->destination, c.destination) << c.kind;
        EXPECT_EQ(s->alphaTest, c.alphaTest) << c.kind;
    }
    EXPECT_EQ(spriteRectBlendStates(-1), nullptr);
    EXPECT_EQ(spriteRectBlendStates(4), nullptr);
}

// Without a device the layer still keeps its records; release takes renderers (with their
// rects) and images.
TEST(SpriteRectLayerRecords, ReleaseTakesEveryRecord) {
    SpriteRectLayer layer;
    EXPECT_FALSE(layer.initialised());
    layer.release();  // nothing when not initialised
    SpriteRectTarget target;
    target.screenWidth = 320;
    target.screenHeight = 240;
    target.resourceScale = 2;
    layer.init(target);
    SpriteRectImage* image = layer.createLoadedImage(nullptr);
    EXPECT_EQ(image->width, 1u);
    EXPECT_EQ(image->dynamic, 0u);
    SpriteRectRenderer* a = layer.createRenderer(640, 480, 3);
    SpriteRectRenderer* b = layer.createRenderer(160, 120, 1);
    EXPECT_FLOAT_EQ(a->halfPixelX, 1.0f);
    EXPECT_FLOAT_EQ(b->halfPixelY, 0.25f);
    layer.createRect(a, image);
    layer.createRect(b, image);
    layer.releaseRenderer(a);
    EXPECT_EQ(layer.firstRenderer(), b);
    EXPECT_EQ(b->prev, nullptr);
    layer.release();
    EXPECT_EQ(layer.firstRenderer(), nullptr);
    EXPECT_EQ(layer.firstImage(), nullptr);
}

// Every record gets an id of its kind's table; an id goes stale with its record, rects' ids with
// their renderer (a rect in no level too), and an image shown by a rect outlives its release.
TEST(SpriteRectLayerRecords, IdsLiveAsLongAsTheirRecords) {
    SpriteRectLayer layer;
    layer.init(SpriteRectTarget{});
    SpriteRectImage* image = layer.createLoadedImage(nullptr);
    SpriteRectRenderer* renderer = layer.createRenderer(64, 64, 2);
    SpriteRectRenderer* levelless = layer.createRenderer(64, 64, 0);
    SpriteRect* shown = layer.createRect(renderer, image);
    SpriteRect* nowhere = layer.createRect(levelless, image);
    const SpriteRectIds& ids = layer.ids();
    EXPECT_EQ(ids.images.find(image->id), image);
    EXPECT_EQ(ids.renderers.find(renderer->id), renderer);
    EXPECT_EQ(ids.rects.find(shown->id), shown);
    EXPECT_EQ(nowhere->level, -1);
    EXPECT_EQ(ids.rects.find(image->id), nullptr);  // one kind's id finds nothing of another
    EXPECT_EQ(image->rectCount, 2u);

    const uint32_t nowhereId = nowhere->id;
    layer.releaseRenderer(levelless);
    EXPECT_EQ(ids.rects.find(nowhereId), nullptr);
    EXPECT_EQ(image->rectCount, 1u);

    const uint32_t imageId = image->id;
    layer.releaseImage(image);
    EXPECT_EQ(ids.images.find(imageId), nullptr);
    EXPECT_EQ(layer.firstImage(), nullptr);
    EXPECT_TRUE(shown->image->released);
    const uint32_t shownId = shown->id;
    layer.releaseRect(shown);  // the last rect frees the image (ASan checks both ways)
    EXPECT_EQ(ids.rects.find(shownId), nullptr);
    layer.release();
}

}  // namespace
}  // namespace tessera::test
