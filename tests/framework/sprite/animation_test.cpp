#include <vector>

#include "tests/framework/sprite/sprite_fixture.h"
#include "tests/framework/sprite/support/animation_builder.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

class AnimationTest : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        renderer = makeRenderer();
        sprite = pelSpriteCreate(renderer);
    }
    void play(const AnimationBuilder& builder, uint32_t flags = 0) {
        PEL_SPRITE_ANIMATION* animation = builder.build(renderer, flags);
        ASSERT_NE(animation, nullptr);
        pelSpriteSetAnimation(sprite, animation);
        --animation->scriptCount;  // the sprite's reference keeps it
    }
    // Runs updates until the animation ends; the update number, or 0 when it still runs after
    // the given number of updates.
    int updatesUntilEnd(int limit) {
        for (int update = 1; update <= limit; ++update) {
            pelSpriteRendererUpdate(renderer);
            if (!sprite->animation) return update;
        }
        return 0;
    }

    PEL_SPRITE_RENDERER* renderer = nullptr;
    PEL_SPRITE* sprite = nullptr;
};

TEST_F(AnimationTest, EndsWhenItsCommandTrackSaysSo) {
    struct Case {
        const char* name;
        AnimationBuilder track;
        int endsIn;  // 0: never
    };
    std::vector<Case> cases;
    cases.push_back({"zero-frame end after ten frames",
                     std::move(AnimationBuilder().command(10, 0).command(1, 1, {0})), 11});
    cases.push_back({"final zero-delay end",
                     std::move(AnimationBuilder().command(1, 0).command(0, 1, {0})), 0});
    cases.push_back({"countdown of three frames",
                     std::move(AnimationBuilder().command(0, 1, {3}).command(5, 0)),
                     4});  // 3 frames after update 1
    cases.push_back(
        {"stopped track without an end", std::move(AnimationBuilder().command(2, 0)), 0});
    cases.push_back({"empty command track", AnimationBuilder(), 0});
    for (const Case& c : cases) {
        play(c.track);
        EXPECT_EQ(updatesUntilEnd(40), c.endsIn) << c.name;
        pelSpriteSetAnimation(sprite, nullptr);
    }
    EXPECT_EQ(renderer->animations.count, 0u);  // each went with its last holder
}

TEST_F(AnimationTest, LinearKeyMovesFromTheSecondUpdate) {
    play(AnimationBuilder()
             .command(0, 0)
             .key(1, 4, 1, {{0, 8, 0, 0}, {10, -4, 0, 0}})
             .key(1, 2, 0, {{100, 1, 1, 1}, {0, 0, 0, 0}}));
    const float expected[] = {0, 2, 4, 6, 100, 100, 100};
    for (float x : expected) {
        pelSpriteRendererUpdate(renderer);
        EXPECT_EQ(sprite->x, x);
    }
    EXPECT_EQ(sprite->y, 0.0f);  // 10 - 4 was written by the first key only at t < 1
}

TEST_F(AnimationTest, CubicKeyUsesAllFourCoefficients) {
    // x(t) = 1 + 2t + 3t^2 + 4t^3 at t = 0.5, with the words stored as c0, c1, c3, c2.
    play(AnimationBuilder().key(6, 2, 2, {{1, 2, 3, 4}}));
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(sprite->alpha, 1.0f);
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(sprite->alpha, 1 + 1 + 0.75f + 0.5f);
}

TEST_F(AnimationTest, LoopedKeyRepeatsAndStoppedKeyHolds) {
    struct Case {
        int loop;
        std::vector<float> xs;
    };
    for (const Case& c : {Case{-1, {0, 5, 5, 5, 5}}, Case{0, {0, 5, 0, 5, 0}}}) {
        sprite->x = 0;
        play(AnimationBuilder().key(1, 2, 1, {{0, 10, 0, 0}, {0, 0, 0, 0}}).loop(1, c.loop));
        for (float x : c.xs) {
            pelSpriteRendererUpdate(renderer);
            EXPECT_EQ(sprite->x, x) << "loop " << c.loop;
        }
        pelSpriteSetAnimation(sprite, nullptr);
    }
}

TEST_F(AnimationTest, ParentSpeedHalvesTheBudget) {
    pelSpriteRendererSetSpeed(renderer, 0.5f);
    play(AnimationBuilder().command(1, 0).command(0, 8, {3}).command(5, 0));
    const int32_t blends[] = {0, 0, 3};
    for (int32_t blend : blends) {
        pelSpriteRendererUpdate(renderer);
        EXPECT_EQ(sprite->blend, blend);
        EXPECT_EQ(sprite->state.speed, 0.5f);  // 128 consumed
    }
}

TEST_F(AnimationTest, ChildrenRunAtTheTimeTheirParentsAnimationConsumed) {
    PEL_SPRITE* child = pelSpriteCreate(renderer);
    pelSpriteSetParent(child, sprite);
    child->animationSpeed = 3.0f;
    play(AnimationBuilder().command(4, 0));
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(child->state.speed, 3.0f);
    sprite->animationSpeed = 0.0f;  // a still parent stops its subtree
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(child->state.speed, 0.0f);
}

TEST_F(AnimationTest, SpeedCommandRescalesTheRestOfTheStep) {
    pelSpriteRendererSetSpeed(renderer, 2.0f);
    play(AnimationBuilder().command(1, 0).speedCommand(2, 2.0f).command(0, 8, {3}).command(9, 0));
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(sprite->blend, 0);
    pelSpriteRendererUpdate(renderer);
    // 256 of the 512 went to the first delay; the rest doubled to 512 covers the second.
    EXPECT_EQ(sprite->blend, 3);
    EXPECT_EQ(sprite->animationSpeed, 2.0f);
    EXPECT_EQ(sprite->state.speed, 3.0f);
}

TEST_F(AnimationTest, CommandsSetRectLevelModesAndMirrors) {
    PEL_SPRITE_RECT* first = makeRect(renderer, u"a.png");
    PEL_SPRITE_RECT* second = makeRect(renderer, u"b.png");
    play(AnimationBuilder({first, second})
             .command(0, 3, {1})
             .command(0, 4, {2})
             .command(0, 9, {3})
             .command(0, 11, {1})
             .command(0, 14, {1, 0})
             .command(0, 15, {0, 1})
             .command(0, 2, {1})
             .command(0, 3, {7})  // outside the rect table: ignored
             .command(1, 0));
    EXPECT_EQ(first->internalCount, 1);
    EXPECT_EQ(second->internalCount, 1);
    pelSpriteRendererUpdate(renderer);  // the first run runs one command
    EXPECT_EQ(sprite->rect, second);
    EXPECT_EQ(sprite->level, 0u);
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(sprite->rect, second);
    EXPECT_EQ(sprite->level, 2u);
    EXPECT_EQ(sprite->alphaTest, 3);
    EXPECT_EQ(sprite->scaling, 1);
    EXPECT_EQ(sprite->flags & 0xE18u,
              PEL_SPRITE_MIRROR_X | PEL_SPRITE_RECT_MIRROR_V | PEL_SPRITE_HOLD);
    EXPECT_TRUE(listHolds(&renderer->levels[2], sprite));

    // Detaching drops the hold flag and the animation's references on its rects.
    pelSpriteSetAnimation(sprite, nullptr);
    EXPECT_FALSE(sprite->flags & PEL_SPRITE_HOLD);
    EXPECT_EQ(first->internalCount, 0);
    EXPECT_EQ(second->internalCount, 1);  // the sprite's
}

TEST_F(AnimationTest, KeysSetRotationReferenceAndColour) {
    play(AnimationBuilder()
             .key(2, 1, 0, {{2, 0, 0, 0}, {3, 0, 0, 0}})
             .key(3, 1, 0, {{0.5f, 0, 0, 0}, {0, 0, 0, 0}, {0.000001f, 0, 0, 0}})
             .key(4, 1, 0, {{0.25f, 0, 0, 0}})
             .key(5, 1, 0, {{0.1f, 0, 0, 0}, {0.2f, 0, 0, 0}, {0.3f, 0, 0, 0}}));
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(sprite->scaleX, 2.0f);
    EXPECT_EQ(sprite->scaleY, 3.0f);
    EXPECT_EQ(sprite->rotationX, 0.5f);
    EXPECT_EQ(sprite->flags & 0xE0u, PEL_SPRITE_ROTATE_X);
    EXPECT_EQ(sprite->alphaReference, 0.25f);
    EXPECT_EQ(sprite->blue, 0.3f);
}

TEST_F(AnimationTest, HeldSpriteDiesInTheUpdateItsAnimationEnds) {
    PEL_SPRITE* child = pelSpriteCreate(renderer);
    child->x = 5;
    pelSpriteSetParent(child, sprite);
    PEL_SPRITE* sibling = pelSpriteCreate(renderer);
    sprite->x = 100;
    play(AnimationBuilder().command(3, 2, {1}).command(1, 1, {0}));
    pelSpriteRendererUpdate(renderer);
    dropScript(sprite);
    EXPECT_EQ(sprite->internalCount, 1);  // its own hold
    for (int update = 2; update <= 3; ++update) {
        pelSpriteRendererUpdate(renderer);
        EXPECT_TRUE(listHolds(&renderer->visibleSprites, sprite)) << update;
    }
    sibling->x = 7;
    sibling->flags |= PEL_SPRITE_DIRTY;
    pelSpriteRendererUpdate(renderer);
    // Gone; its child is now top-level and was updated from the root in the same pass, and
    // the walk went on to the sibling.
    EXPECT_EQ(renderer->visibleSprites.count, 2u);
    EXPECT_EQ(child->parent, nullptr);
    EXPECT_EQ(child->state.matrix[3][0], 5.0f);
    EXPECT_EQ(sibling->state.matrix[3][0], 7.0f);
}

TEST_F(AnimationTest, HoldingAnimationTakesTheSelfReferenceAtOnce) {
    play(AnimationBuilder().command(2, 0).command(0, 1, {0}), PEL_SPRITE_ANIMATION_HOLD);
    EXPECT_EQ(sprite->internalCount, 1);
    dropScript(sprite);
    EXPECT_EQ(renderer->visibleSprites.count, 1u);
    // Without flag 0x800 the first update lets go of it.
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(renderer->visibleSprites.count, 0u);
}

TEST_F(AnimationTest, AttachingThePlayingAnimationAgainRestartsIt) {
    play(AnimationBuilder().command(0, 8, {2}).command(5, 8, {3}));
    PEL_SPRITE_ANIMATION* animation = sprite->animation;
    ASSERT_EQ(animation->internalCount + animation->scriptCount, 1);  // the sprite's only
    pelSpriteRendererUpdate(renderer);
    pelSpriteSetAnimation(sprite, animation);
    EXPECT_EQ(sprite->animation, animation);
    EXPECT_EQ(animation->internalCount, 1);
    EXPECT_EQ(sprite->cursor->flags, uint32_t{PEL_SPRITE_CURSOR_FIRST_RUN});
    EXPECT_EQ(renderer->animations.count, 1u);
}

TEST_F(AnimationTest, ZeroDelayLoopWaitsForTheNextUpdate) {
    play(AnimationBuilder().command(0, 8, {2}).command(0, 0).loop(0, 0));
    for (int update = 0; update < 3; ++update) pelSpriteRendererUpdate(renderer);
    EXPECT_NE(sprite->animation, nullptr);
    EXPECT_EQ(sprite->blend, 2);
}

TEST_F(AnimationTest, CodesOutsideTheTablesAreFatal) {
    const AnimationBuilder cases[] = {
        AnimationBuilder().command(0, 5, {0}),
        AnimationBuilder().command(0, 17, {0}),
        AnimationBuilder().key(1, 1, 3, {{0, 0, 0, 0}, {0, 0, 0, 0}}),
    };
    for (const AnimationBuilder& builder : cases) {
        play(builder);
        ReportCapture capture;
        EXPECT_THROW(pelSpriteRendererUpdate(renderer), FatalReport);
        ASSERT_EQ(ReportCapture::entries().size(), 1u);
        EXPECT_EQ(ReportCapture::entries()[0].text, u"Error: Not Implemented.");
        pelSpriteSetAnimation(sprite, nullptr);
    }
}

TEST_F(AnimationTest, RecordsWhoseTracksLeaveTheirWordsAreRefused) {
    const std::vector<uint32_t> good =
        AnimationBuilder().command(1, 0).key(1, 1, 0, {{0, 0, 0, 0}, {0, 0, 0, 0}}).words();
    ASSERT_NE(pelSpriteAnimationCreate(renderer, 0, good.data(), uint32_t(good.size()), nullptr),
              nullptr);
    struct Case {
        const char* name;
        size_t word;
        uint32_t value;
    };
    const Case cases[] = {
        {"rect count past the words", 0, 1000},
        {"track end past the words", 1, 1000},
        {"track end before its records", 1, 2},
        {"loop outside its track", 2, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> words = good;
        words[c.word] = c.value;
        EXPECT_EQ(
            pelSpriteAnimationCreate(renderer, 0, words.data(), uint32_t(words.size()), nullptr),
            nullptr)
            << c.name;
    }
    EXPECT_EQ(pelSpriteAnimationCreate(renderer, 0, good.data(), 5, nullptr), nullptr);
}

}  // namespace
}  // namespace tessera::test
