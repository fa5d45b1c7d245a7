#include <string>

#include "tests/framework/sprite/sprite_fixture.h"

namespace tessera::test {
namespace {

using ImageTest = SpriteTest;
using TreeTest = SpriteTest;

TEST_F(ImageTest, OneNameInTwoCasesLoadsOnceUntilReleased) {
    PEL_SPRITE_IMAGE* first = pelSpriteImageLoad(u"Sys/Title.PNG", context);
    PEL_SPRITE_IMAGE* second = pelSpriteImageLoad(u"sys/title.png", context);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->scriptCount, 2);
    ASSERT_EQ(backend.count(5), 1);
    EXPECT_EQ(backend.calls[0].args, "0 Sys/Title.PNG");  // the name goes out unchanged

    --first->scriptCount;  // one holder lets go: still cached
    EXPECT_EQ(pelSpriteImageLoad(u"SYS/TITLE.png", context), first);
    EXPECT_EQ(backend.count(5), 1);

    pelSpriteImageRelease(first);
    EXPECT_EQ(backend.count(7), 1);
    PEL_SPRITE_IMAGE* again = pelSpriteImageLoad(u"sys/title.png", context);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(backend.count(5), 2);
    EXPECT_EQ(again->scriptCount, 1);
}

TEST_F(ImageTest, KeyFoldsFullWidthLettersAndIgnoresUnitsPast127) {
    const std::u16string longName(127, u'x');
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad((longName + u"A.png").c_str(), context);
    EXPECT_EQ(pelSpriteImageLoad((longName + u"B.bmp").c_str(), context), image);
    EXPECT_EQ(std::u16string(image->name), longName);

    PEL_SPRITE_IMAGE* wide = pelSpriteImageLoad(u"\uFF21\uFF22", context);  // full-width "AB"
    EXPECT_EQ(pelSpriteImageLoad(u"\uFF41\uFF42", context), wide);
    EXPECT_EQ(backend.count(5), 2);
}

TEST_F(ImageTest, FailedLoadCreatesNothingAndIsRetried) {
    backend.failImageLoad = true;
    EXPECT_EQ(pelSpriteImageLoad(u"missing.png", context), nullptr);
    EXPECT_EQ(context->images.count, 0u);
    backend.failImageLoad = false;
    EXPECT_NE(pelSpriteImageLoad(u"missing.png", context), nullptr);
    EXPECT_EQ(backend.count(5), 2);
}

TEST_F(ImageTest, TextImagesAreNeitherNamedNorCached) {
    PEL_SPRITE_IMAGE* first = pelSpriteImageCreateText(64, 32, context);
    PEL_SPRITE_IMAGE* second = pelSpriteImageCreateText(64, 32, context);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->name, nullptr);
    EXPECT_EQ(backend.calls[0].args, "64 32");
}

TEST_F(ImageTest, RectsAreClampedToTheImage) {
    backend.imageWidth = 100;
    backend.imageHeight = 50;
    PEL_SPRITE_RENDERER* renderer = makeRenderer();
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(u"a.png", context);
    struct Case {
        PEL_SPRITE_RECT_DESC asked;
        uint32_t x, y, width, height;
    };
    const Case cases[] = {
        {{renderer, 10, 5, 20, 10, -3, 99}, 10, 5, 20, 10},
        {{renderer, 90, 40, 20, 20, 0, 0}, 90, 40, 10, 10},
        {{renderer, 150, 0, 10, 10, 0, 0}, 100, 0, 0, 10},
        {{renderer, 0, 60, 10, 10, 0, 0}, 0, 50, 10, 0},
        {{renderer, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0}, 0, 0, 100, 50},
    };
    for (const Case& c : cases) {
        PEL_SPRITE_RECT* rect = pelSpriteRectCreate(image, c.asked);
        EXPECT_EQ(rect->x, c.x);
        EXPECT_EQ(rect->y, c.y);
        EXPECT_EQ(rect->width, c.width);
        EXPECT_EQ(rect->height, c.height);
        EXPECT_EQ(rect->originX, c.asked.originX);  // the pivot is not clamped
        EXPECT_EQ(rect->originY, c.asked.originY);
    }
    EXPECT_EQ(image->internalCount, 5);
}

TEST_F(ImageTest, RectKeepsItsImageAfterTheScriptLetsGo) {
    PEL_SPRITE_RENDERER* renderer = makeRenderer();
    PEL_SPRITE_RECT* rect = makeRect(renderer);
    PEL_SPRITE_IMAGE* image = rect->image;
    --image->scriptCount;
    EXPECT_EQ(backend.count(7), 0);
    pelSpriteRectRelease(rect);
    EXPECT_EQ(backend.count(7), 1);
    EXPECT_EQ(context->images.count, 0u);
}

TEST_F(ImageTest, ContextDestructionReleasesFontsAndImagesAfterRenderers) {
    PEL_SPRITE_RENDERER* renderer = makeRenderer();
    makeSprite(renderer, makeRect(renderer));
    PEL_SPRITE_TEXT_FORMAT_DESC desc{};
    desc.fontSize = 12;
    pelSpriteTextFormatCreate(renderer, desc);
    backend.clear();
    pelSpriteDestroyContext(context);
    context = pelSpriteCreateContext(&backend.table());
    EXPECT_EQ(backend.slots(), (std::vector<int>{18, 7}));
}

// The tree: parent P (visible, rect) with children A (shown, rect) and B (hidden by its own
// flag, rect); A has child C (shown, rect). All on level 1.
class TreeShape : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        renderer = makeRenderer();
        rect = makeRect(renderer);
        for (PEL_SPRITE** sprite : {&p, &a, &b, &c}) {
            *sprite = makeSprite(renderer, rect);
            pelSpriteSetLevel(*sprite, 1);
        }
        pelSpriteSetParent(a, p);
        pelSpriteSetParent(b, p);
        pelSpriteSetShow(b, false);
        pelSpriteSetParent(c, a);
    }
    PEL_LIST* level() { return &renderer->levels[1]; }

    PEL_SPRITE_RENDERER* renderer = nullptr;
    PEL_SPRITE_RECT* rect = nullptr;
    PEL_SPRITE *p = nullptr, *a = nullptr, *b = nullptr, *c = nullptr;
};

TEST_F(TreeShape, HidingAParentHidesTheSubtreeAndShowingRestoresTheShownOnes) {
    EXPECT_EQ(level()->count, 3u);
    pelSpriteSetShow(p, false);
    EXPECT_TRUE(listHolds(&renderer->hiddenSprites, p));
    EXPECT_TRUE(listHolds(&p->hiddenChildren, a));
    EXPECT_TRUE(listHolds(&a->hiddenChildren, c));
    EXPECT_EQ(p->visibleChildren.count + a->visibleChildren.count, 0u);
    EXPECT_EQ(level()->count, 0u);
    for (PEL_SPRITE* sprite : {a, c}) {
        EXPECT_EQ(sprite->flags & (PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE), PEL_SPRITE_SHOWN);
    }

    pelSpriteSetShow(p, true);
    EXPECT_TRUE(listHolds(&renderer->visibleSprites, p));
    EXPECT_TRUE(listHolds(&p->visibleChildren, a));
    EXPECT_TRUE(listHolds(&a->visibleChildren, c));
    EXPECT_TRUE(listHolds(&p->hiddenChildren, b));
    EXPECT_FALSE(b->flags & PEL_SPRITE_VISIBLE);
    EXPECT_EQ(level()->count, 3u);
    EXPECT_FALSE(listHolds(level(), b));
}

TEST_F(TreeShape, ReparentingKeepsOwnShowFlag) {
    // A hidden sprite under a visible parent stays hidden.
    pelSpriteSetParent(b, c);
    EXPECT_TRUE(listHolds(&c->hiddenChildren, b));
    EXPECT_EQ(b->flags & (PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE), 0u);

    // A shown sprite under a hidden parent becomes invisible but stays shown, and appears when
    // the parent is shown.
    pelSpriteSetShow(p, false);
    PEL_SPRITE* d = makeSprite(renderer, rect);
    pelSpriteSetLevel(d, 1);
    pelSpriteSetParent(d, a);
    EXPECT_EQ(d->flags & (PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE), PEL_SPRITE_SHOWN);
    EXPECT_TRUE(listHolds(&a->hiddenChildren, d));
    EXPECT_FALSE(listHolds(level(), d));
    pelSpriteSetShow(p, true);
    EXPECT_TRUE(listHolds(&a->visibleChildren, d));
    EXPECT_TRUE(listHolds(level(), d));

    // Back to the top level: visible again, held by nobody but its script.
    pelSpriteSetParent(c, nullptr);
    EXPECT_TRUE(listHolds(&renderer->visibleSprites, c));
    EXPECT_EQ(c->internalCount, 0);
    EXPECT_EQ(a->visibleChildren.count, 1u);
}

TEST_F(TreeShape, ChildLivesWhileItsParentHoldsIt) {
    dropScript(c);
    EXPECT_EQ(c->internalCount, 1);
    EXPECT_TRUE(listHolds(&a->visibleChildren, c));
    dropScript(a);
    EXPECT_EQ(p->visibleChildren.count, 1u);  // only a remains, held by p
    dropScript(p);
    // p goes; a and b become top-level: a has no holder left and goes with c, b stays.
    EXPECT_EQ(renderer->visibleSprites.count, 0u);
    EXPECT_TRUE(listHolds(&renderer->hiddenSprites, b));
    EXPECT_EQ(b->internalCount, 0);
    EXPECT_EQ(level()->count, 0u);
    EXPECT_EQ(rect->internalCount, 1);  // b's
}

TEST_F(TreeShape, RendererDestructionTakesTheWholeTree) {
    // Destroying the renderer destroys the whole tree, hidden ones included.
    pelSpriteSetShow(p, false);
    pelSpriteRendererDestroy(renderer);
    EXPECT_EQ(context->renderers.count, 0u);
    EXPECT_EQ(backend.count(7), 0);  // the image stays with the context
}

TEST_F(TreeShape, LevelOutsideTheRendererIsRefused) {
    EXPECT_EQ(pelSpriteSetLevel(a, 4), PEL_E_INVALIDARG);
    EXPECT_EQ(a->level, 1u);
    EXPECT_TRUE(listHolds(level(), a));
    EXPECT_EQ(pelSpriteSetLevel(a, 1), PEL_OK);
    EXPECT_EQ(pelSpriteSetLevel(a, 3), PEL_OK);
    EXPECT_TRUE(listHolds(&renderer->levels[3], a));
    EXPECT_FALSE(listHolds(level(), a));
    // A hidden sprite only remembers its level.
    EXPECT_EQ(pelSpriteSetLevel(b, 2), PEL_OK);
    EXPECT_EQ(renderer->levels[2].count, 0u);
}

TEST_F(TreeShape, RectGivenWhileHiddenJoinsTheLevelWhenShown) {
    PEL_SPRITE* d = pelSpriteCreate(renderer);
    pelSpriteSetShow(d, false);
    pelSpriteSetRect(d, rect);
    EXPECT_EQ(renderer->levels[0].count, 0u);
    pelSpriteSetShow(d, true);
    EXPECT_TRUE(listHolds(&renderer->levels[0], d));
    // Changing the rect keeps the place; dropping it leaves the level.
    pelSpriteSetRect(d, makeRect(renderer, u"b.png"));
    EXPECT_EQ(renderer->levels[0].count, 1u);
    pelSpriteSetRect(d, nullptr);
    EXPECT_EQ(renderer->levels[0].count, 0u);
}

TEST_F(TreeShape, DroppedRectGoesWithItsLastHolder) {
    PEL_SPRITE_RECT* own = makeRect(renderer, u"b.png");
    pelSpriteSetRect(c, own);
    --own->scriptCount;
    EXPECT_EQ(renderer->rects.count, 2u);
    pelSpriteSetRect(c, nullptr);
    EXPECT_EQ(renderer->rects.count, 1u);
}

TEST_F(TreeShape, ParentInsideOwnSubtreeIsRefused) {
    pelSpriteSetParent(p, c);
    pelSpriteSetParent(a, a);
    EXPECT_EQ(p->parent, nullptr);
    EXPECT_EQ(a->parent, p);
    EXPECT_EQ(c->parent, a);
    PEL_SPRITE* other = pelSpriteCreate(makeRenderer());
    pelSpriteSetParent(other, p);
    EXPECT_EQ(other->parent, nullptr);
}

TEST_F(TreeTest, RendererWithoutLevelsDrawsNothing) {
    PEL_SPRITE_RENDERER* renderer = makeRenderer(640, 480, 0);
    PEL_SPRITE* sprite = makeSprite(renderer, makeRect(renderer));
    pelSpriteSetShow(sprite, false);
    pelSpriteSetShow(sprite, true);
    EXPECT_EQ(pelSpriteSetLevel(sprite, 0), PEL_E_INVALIDARG);
    pelSpriteRendererUpdate(renderer);
    pelSpriteRendererDraw(renderer);
    EXPECT_EQ(backend.count(4), 0);
}

TEST_F(TreeTest, SettersKeepTheFlagsInStep) {
    PEL_SPRITE_RENDERER* renderer = makeRenderer();
    PEL_SPRITE* sprite = pelSpriteCreate(renderer);
    EXPECT_EQ(sprite->flags, PEL_SPRITE_DIRTY | PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE);
    sprite->flags &= ~PEL_SPRITE_DIRTY;
    pelSpriteSetRotationZ(sprite, 0.000009f);
    EXPECT_EQ(sprite->rotationZ, 0.0f);
    EXPECT_FALSE(sprite->flags & PEL_SPRITE_ROTATE_Z);
    EXPECT_TRUE(sprite->flags & PEL_SPRITE_DIRTY);
    pelSpriteSetRotationZ(sprite, -0.5f);
    pelSpriteSetRotationX(sprite, 0.00002f);
    EXPECT_EQ(sprite->flags & 0xE0u, PEL_SPRITE_ROTATE_Z | PEL_SPRITE_ROTATE_X);
    pelSpriteSetReverse(sprite, true, false);
    pelSpriteSetRectReverse(sprite, false, true);
    EXPECT_EQ(sprite->flags & 0x618u, PEL_SPRITE_MIRROR_X | PEL_SPRITE_RECT_MIRROR_V);
    const float matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 0};
    pelSpriteSetTransform(sprite, matrix);
    EXPECT_TRUE(sprite->flags & PEL_SPRITE_TRANSFORM);
    EXPECT_EQ(sprite->transform[3][1], 6.0f);
    pelSpriteSetTransform(sprite, nullptr);
    EXPECT_FALSE(sprite->flags & PEL_SPRITE_TRANSFORM);
}

}  // namespace
}  // namespace tessera::test
