#include <cmath>
#include <vector>

#include "tests/framework/sprite/sprite_fixture.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

class BatchTest : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        renderer = makeRenderer();
        rectA = makeRect(renderer, u"a.png");
        rectB = makeRect(renderer, u"b.png");
        backend.clear();
    }
    // One frame: update, then draw.
    void frame() {
        pelSpriteRendererUpdate(renderer);
        pelSpriteRendererDraw(renderer);
    }
    // The batches handed over in the frame's only slot-4 call.
    const std::vector<PEL_SPRITE_BATCH>& onlyDraw() {
        EXPECT_EQ(backend.draws.size(), 1u);
        return backend.draws.at(0);
    }

    PEL_SPRITE_RENDERER* renderer = nullptr;
    PEL_SPRITE_RECT* rectA = nullptr;
    PEL_SPRITE_RECT* rectB = nullptr;
};

TEST_F(BatchTest, SameImageAndModesShareABatchAndChangesSplit) {
    makeSprite(renderer, rectA);
    makeSprite(renderer, rectA);
    makeSprite(renderer, rectA)->blend = 3;
    makeSprite(renderer, rectA);
    makeSprite(renderer, rectB);
    frame();
    const auto& batches = onlyDraw();
    ASSERT_EQ(batches.size(), 4u);
    const uint32_t counts[] = {8, 4, 4, 4};
    const int32_t blends[] = {0, 2, 0, 0};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(batches[i].vertexCount, counts[i]);
        EXPECT_EQ(batches[i].blend, blends[i]);
        EXPECT_EQ(batches[i].mask, nullptr);
    }
    EXPECT_EQ(batches[0].image, rectA->image->handle);
    EXPECT_EQ(batches[3].image, rectB->image->handle);
    EXPECT_EQ(backend.slots(), (std::vector<int>{2, 4, 3}));
}

TEST_F(BatchTest, FullBatchesAreFlushedTogetherAndDrawingGoesOnInBatchZero) {
    for (int i = 0; i < 129; ++i) makeSprite(renderer, rectA, float(i))->blend = i % 2 ? 2 : 1;
    frame();
    ASSERT_EQ(backend.draws.size(), 2u);
    ASSERT_EQ(backend.draws[0].size(), 128u);
    EXPECT_EQ(backend.draws[0][127].blend, 1);
    ASSERT_EQ(backend.draws[1].size(), 1u);
    EXPECT_EQ(backend.draws[1][0].vertices[0].x, 128.0f);
    EXPECT_EQ(renderer->currentBatch, 0u);
    EXPECT_EQ(renderer->batches[0].vertexCount, 0u);
}

TEST_F(BatchTest, A512VertexBatchContinuesInTheNextWithTheSameHeader) {
    for (int i = 0; i < 129; ++i) makeSprite(renderer, rectA, float(i));
    frame();
    const auto& batches = onlyDraw();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].vertexCount, 512u);
    EXPECT_EQ(batches[1].vertexCount, 4u);
    EXPECT_EQ(batches[1].image, batches[0].image);
    EXPECT_EQ(batches[1].blend, batches[0].blend);
    EXPECT_EQ(batches[1].vertices[0].x, 128.0f);
}

TEST_F(BatchTest, ADrawWithNothingVisibleCallsBeginAndEndOnly) {
    pelSpriteCreate(renderer);                             // no rect
    pelSpriteSetShow(makeSprite(renderer, rectA), false);  // hidden
    frame();
    EXPECT_EQ(backend.slots(), (std::vector<int>{2, 3}));
}

TEST_F(BatchTest, ModesAreInheritedAndTranslatedToBackendCodes) {
    struct Case {
        int32_t parentBlend, blend;
        int32_t parentTest, test;
        float parentReference, reference;
        int32_t parentScaling, scaling;
        int32_t blendCode, testCode;
        float sentReference;
        int32_t filter;
    };
    const Case cases[] = {
        {3, 0, 0, 0, 0.7f, 0.2f, 0, 0, 2, 0, 0.0f, 1},  // blend inherited
        {3, 1, 0, 0, 0.7f, 0.2f, 0, 1, 0, 0, 0.0f, 0},  // 1: no blending; scaling 1: point
        {9, 2, 1, 0, 0.7f, 0.2f, 2, 0, 1, 0, 0.0f, 1},  // test 1 sends reference 0
        {0, 0, 5, 0, 0.7f, 0.2f, 0, 0, 0, 4, 0.7f, 1},  // mode and reference inherited
        {0, 9, 5, 3, 0.7f, 0.2f, 1, 2, 8, 2, 0.2f, 1},  // the sprite's own
    };
    for (const Case& c : cases) {
        PEL_SPRITE* parent = pelSpriteCreate(renderer);
        parent->blend = c.parentBlend;
        parent->alphaTest = c.parentTest;
        parent->alphaReference = c.parentReference;
        parent->scaling = c.parentScaling;
        PEL_SPRITE* child = makeSprite(renderer, rectA);
        child->blend = c.blend;
        child->alphaTest = c.test;
        child->alphaReference = c.reference;
        child->scaling = c.scaling;
        pelSpriteSetParent(child, parent);
        dropScript(child);  // held by the parent only, so it goes with it
        backend.clear();
        frame();
        const PEL_SPRITE_BATCH& batch = onlyDraw().at(0);
        EXPECT_EQ(batch.blend, c.blendCode);
        EXPECT_EQ(batch.alphaTest, c.testCode);
        EXPECT_EQ(batch.alphaReference, c.sentReference);
        EXPECT_EQ(batch.filter, c.filter);
        pelSpriteRelease(parent);
    }
}

TEST_F(BatchTest, ReferencesCloserThanATenThousandthShareABatch) {
    struct Case {
        float second;
        size_t batches;
    };
    for (const Case& c : {Case{0.500005f, 1}, Case{0.50002f, 2}}) {
        for (float reference : {0.5f, c.second}) {
            PEL_SPRITE* sprite = makeSprite(renderer, rectA);
            sprite->alphaTest = 2;
            sprite->alphaReference = reference;
        }
        backend.clear();
        frame();
        EXPECT_EQ(onlyDraw().size(), c.batches) << c.second;
        pelSpriteRendererDestroy(renderer);
        renderer = makeRenderer();
        rectA = makeRect(renderer, u"a.png");
    }
}

TEST_F(BatchTest, MirroredTopLevelSpriteReflectsAcrossTheRenderer) {
    PEL_SPRITE* sprite = makeSprite(renderer, makeRect(renderer, u"a.png", 20, 8), 10, 4);
    pelSpriteSetReverse(sprite, true, false);
    frame();
    const PEL_SPRITE_VERTEX* v = onlyDraw().at(0).vertices;
    EXPECT_EQ(v[0].x, 630.0f);  // the pivot
    EXPECT_EQ(v[0].y, 4.0f);
    EXPECT_EQ(v[2].x, 610.0f);  // the right edge goes left

    // Mirrored in Y too: about the bottom edge.
    pelSpriteSetReverse(sprite, true, true);
    backend.clear();
    frame();
    EXPECT_EQ(onlyDraw().at(0).vertices[0].y, 476.0f);
    EXPECT_EQ(onlyDraw().at(0).vertices[1].y, 468.0f);
}

TEST_F(BatchTest, MirroredChildReflectsAboutItsParentsOrigin) {
    PEL_SPRITE* parent = pelSpriteCreate(renderer);
    parent->x = 100;
    PEL_SPRITE* child = makeSprite(renderer, makeRect(renderer, u"a.png", 20, 8), 10, 0);
    pelSpriteSetReverse(child, true, false);
    pelSpriteSetParent(child, parent);
    frame();
    EXPECT_EQ(onlyDraw().at(0).vertices[0].x, 90.0f);
    EXPECT_EQ(onlyDraw().at(0).vertices[2].x, 70.0f);
}

TEST_F(BatchTest, SmallRendererIsScaledToTheScreen) {
    PEL_SPRITE_RENDERER* small = makeRenderer(320, 240);
    makeSprite(small, makeRect(small, u"a.png", 8, 4), 10, 20);
    pelSpriteRendererUpdate(small);
    pelSpriteRendererDraw(small);
    const PEL_SPRITE_VERTEX* v = onlyDraw().at(0).vertices;
    const float expected[4][4] = {{20, 40, 0, 0}, {20, 48, 0, 4}, {36, 40, 8, 0}, {36, 48, 8, 4}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, expected[i][0]);
        EXPECT_EQ(v[i].y, expected[i][1]);
        EXPECT_EQ(v[i].u, expected[i][2]);  // texture coordinates stay in image pixels
        EXPECT_EQ(v[i].v, expected[i][3]);
    }
}

TEST_F(BatchTest, QuadFollowsOriginRotationScaleTransformAndColour) {
    PEL_SPRITE* parent = pelSpriteCreate(renderer);
    parent->x = 100;
    parent->y = 100;
    parent->alpha = 0.5f;
    pelSpriteSetRotationZ(parent, float(M_PI / 2));
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(u"a.png", context);
    PEL_SPRITE_RECT* rect = pelSpriteRectCreate(image, {renderer, 32, 16, 10, 6, 2, 3});
    PEL_SPRITE* child = makeSprite(renderer, rect, 4, 0);
    child->scaleX = 2;
    child->alpha = 0.5f;
    child->red = 0.25f;
    pelSpriteSetParent(child, parent);
    frame();
    // Local corners (-2, -3) .. (8, 3), x doubled, moved by (4, 0), then turned a quarter
    // (x -> y, y -> -x) about the parent at (100, 100).
    const PEL_SPRITE_VERTEX* v = onlyDraw().at(0).vertices;
    const float expected[4][4] = {
        {103, 100, 32, 16}, {97, 100, 32, 22}, {103, 120, 42, 16}, {97, 120, 42, 22}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(v[i].x, expected[i][0], 1e-4);
        EXPECT_NEAR(v[i].y, expected[i][1], 1e-4);
        EXPECT_EQ(v[i].u, expected[i][2]);
        EXPECT_EQ(v[i].v, expected[i][3]);
        EXPECT_EQ(v[i].alpha, 0.25f);
        EXPECT_EQ(v[i].red, 0.25f);
    }

    // A transform applies after rotation and scale, before the position.
    const float shift[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 50, 0};
    pelSpriteSetTransform(parent, shift);
    pelSpriteSetRectReverse(child, true, false);
    backend.clear();
    frame();
    v = onlyDraw().at(0).vertices;
    EXPECT_NEAR(v[0].x, 103, 1e-4);
    EXPECT_NEAR(v[0].y, 150, 1e-4);
    EXPECT_EQ(v[0].u, 42.0f);  // mirrored in U
    EXPECT_EQ(v[2].u, 32.0f);
}

TEST_F(BatchTest, ExtremeOriginsStayFinite) {
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(u"a.png", context);
    makeSprite(renderer, pelSpriteRectCreate(image, {renderer, 0, 0, 4, 4, INT32_MIN, INT32_MAX}));
    frame();
    const PEL_SPRITE_VERTEX* v = onlyDraw().at(0).vertices;
    EXPECT_EQ(v[0].x, 2147483648.0f);
    EXPECT_EQ(v[0].y, -2147483648.0f);
}

TEST_F(BatchTest, RotationsCombineYThenXThenZ) {
    // The product of the Y half turn and the Z quarter turn takes (10, 0) to (0, 10); the
    // product in the other order would take it to (0, -10).
    PEL_SPRITE* sprite = makeSprite(renderer, makeRect(renderer, u"a.png", 10, 10), 100, 100);
    pelSpriteSetRotationY(sprite, float(M_PI));
    pelSpriteSetRotationZ(sprite, float(M_PI / 2));
    frame();
    const PEL_SPRITE_VERTEX* v = onlyDraw().at(0).vertices;
    EXPECT_NEAR(v[2].x, 100, 1e-4);
    EXPECT_NEAR(v[2].y, 110, 1e-4);
}

TEST_F(BatchTest, ChangingTheRectRebuildsTheQuadWithoutAnUpdate) {
    PEL_SPRITE* sprite = makeSprite(renderer, rectA, 5, 5);
    frame();
    pelSpriteSetRect(sprite, makeRect(renderer, u"c.png", 4, 2));
    backend.clear();
    pelSpriteRendererDraw(renderer);
    const PEL_SPRITE_BATCH& batch = onlyDraw().at(0);
    EXPECT_EQ(batch.image, sprite->rect->image->handle);
    EXPECT_EQ(batch.vertices[3].x, 9.0f);
    EXPECT_EQ(batch.vertices[3].v, 2.0f);
}

TEST_F(BatchTest, HiddenChildFollowsItsParentWhenShownAgain) {
    PEL_SPRITE* parent = pelSpriteCreate(renderer);
    PEL_SPRITE* child = makeSprite(renderer, rectA, 1, 0);
    pelSpriteSetParent(child, parent);
    frame();
    pelSpriteSetShow(child, false);
    parent->x = 50;
    parent->flags |= PEL_SPRITE_DIRTY;
    frame();
    pelSpriteSetShow(child, true);
    backend.clear();
    frame();
    EXPECT_EQ(onlyDraw().at(0).vertices[0].x, 51.0f);
}

TEST_F(BatchTest, LevelsDrawInOrder) {
    PEL_SPRITE* high = makeSprite(renderer, rectA, 1);
    pelSpriteSetLevel(high, 2);
    makeSprite(renderer, rectA, 2);
    makeSprite(renderer, rectA, 3);
    frame();
    const PEL_SPRITE_BATCH& batch = onlyDraw().at(0);
    EXPECT_EQ(batch.vertices[0].x, 2.0f);
    EXPECT_EQ(batch.vertices[4].x, 3.0f);
    EXPECT_EQ(batch.vertices[8].x, 1.0f);
}

TEST_F(BatchTest, ContextRunsItsRenderersInOrder) {
    makeSprite(renderer, rectA, 1);
    PEL_SPRITE_RENDERER* second = makeRenderer();
    makeSprite(second, makeRect(second, u"a.png"), 2);
    pelSpriteUpdate(context);
    pelSpriteDraw(context);
    EXPECT_EQ(backend.slots(), (std::vector<int>{1, 9, 2, 4, 3, 2, 4, 3}));
    ASSERT_EQ(backend.draws.size(), 2u);
    EXPECT_EQ(backend.draws[0][0].vertices[0].x, 1.0f);
    EXPECT_EQ(backend.draws[1][0].vertices[0].x, 2.0f);
}

TEST_F(BatchTest, CodesOutsideTheTablesAreFatal) {
    struct Case {
        int32_t blend, test, scaling;
    };
    for (const Case& c : {Case{10, 0, 0}, Case{-1, 0, 0}, Case{0, 6, 0}, Case{0, 0, 3}}) {
        PEL_SPRITE* sprite = makeSprite(renderer, rectA);
        sprite->blend = c.blend;
        sprite->alphaTest = c.test;
        sprite->scaling = c.scaling;
        pelSpriteRendererUpdate(renderer);
        ReportCapture capture;
        EXPECT_THROW(pelSpriteRendererPushQuad(sprite), FatalReport);
        ASSERT_EQ(ReportCapture::entries().size(), 1u);
        EXPECT_EQ(ReportCapture::entries()[0].text, u"Error: Not Implemented.");
        pelSpriteRelease(sprite);
    }
}

}  // namespace
}  // namespace tessera::test
