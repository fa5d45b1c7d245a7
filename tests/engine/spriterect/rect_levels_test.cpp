#include <gtest/gtest.h>

#include <vector>

#include "engine/spriterect/sprite_rect.h"

namespace tessera::test {
namespace {

class RectLevelTest : public ::testing::Test {
protected:
    void SetUp() override { spriteRectRendererInit(renderer, 640, 480, 5, 640, 480); }
    void TearDown() override { spriteRectRendererRelease(renderer); }

    SpriteRect* rectAt(int32_t level) {
        SpriteRect* rect = spriteRectCreate(renderer, &image);
        spriteRectSetLevel(rect, level);
        return rect;
    }
    // The chain of non-empty levels, checked in both directions.
    std::vector<int32_t> chain() {
        std::vector<int32_t> out;
        int32_t prev = -1;
        for (int32_t i = renderer.firstLevel; i >= 0; i = renderer.levels[i].next) {
            EXPECT_EQ(renderer.levels[i].prev, prev) << "level " << i;
            EXPECT_NE(renderer.levels[i].first, nullptr) << "level " << i;
            out.push_back(i);
            prev = i;
        }
        return out;
    }

    SpriteRectImage image;
    SpriteRectRenderer renderer;
};

TEST_F(RectLevelTest, NewRectStartsInLevelZeroEnabledWithWhiteVertices) {
    SpriteRect* rect = spriteRectCreate(renderer, &image);
    EXPECT_EQ(rect->level, 0);
    EXPECT_EQ(rect->flags, 0x61u);
    for (const L3D_RENDERER_VERTEX& v : rect->vertices) EXPECT_EQ(v.color, 0xFFFFFFFFu);
    EXPECT_EQ(chain(), std::vector<int32_t>{0});
}

TEST_F(RectLevelTest, ChainKeepsNonEmptyLevelsInOrder) {
    SpriteRect* zero = rectAt(0);
    rectAt(3);
    EXPECT_EQ(chain(), (std::vector<int32_t>{0, 3}));
    spriteRectRelease(zero);
    EXPECT_EQ(chain(), std::vector<int32_t>{3});
    SpriteRect* one = rectAt(1);
    EXPECT_EQ(chain(), (std::vector<int32_t>{1, 3}));
    rectAt(0);
    rectAt(2);
    EXPECT_EQ(chain(), (std::vector<int32_t>{0, 1, 2, 3}));
    spriteRectSetLevel(one, 4);
    EXPECT_EQ(chain(), (std::vector<int32_t>{0, 2, 3, 4}));
    spriteRectUnlink(one);
    EXPECT_EQ(one->level, -1);
    spriteRectUnlink(one);  // a rect in no level is left alone
    EXPECT_EQ(chain(), (std::vector<int32_t>{0, 2, 3}));
}

TEST_F(RectLevelTest, RectsOfALevelKeepInsertionOrderAndLeaveFromAnyPlace) {
    SpriteRect* a = rectAt(2);
    SpriteRect* b = rectAt(2);
    SpriteRect* c = rectAt(2);
    spriteRectRelease(b);
    EXPECT_EQ(renderer.levels[2].first, a);
    EXPECT_EQ(a->nextInLevel, c);
    EXPECT_EQ(c->prevInLevel, a);
    EXPECT_EQ(renderer.levels[2].last, c);
    spriteRectRelease(a);
    spriteRectRelease(c);
    EXPECT_TRUE(chain().empty());
}

// The level array has exactly level-count slots: levels outside it are clamped.
TEST_F(RectLevelTest, LevelsOutsideTheSlotsAreClamped) {
    const struct { int32_t asked, stored; } cases[] = {{-3, 0}, {-1, 0}, {4, 4}, {5, 4}, {1000, 4}};
    for (const auto& c : cases) {
        SpriteRect* rect = rectAt(c.asked);
        EXPECT_EQ(rect->level, c.stored) << c.asked;
        EXPECT_EQ(renderer.levels[c.stored].last, rect) << c.asked;
        spriteRectRelease(rect);
    }
    EXPECT_TRUE(chain().empty());
}

TEST_F(RectLevelTest, PoolGrowsBeyondOneBlockAndReleaseTakesEveryRect) {
    for (int i = 0; i < 150; ++i) rectAt(i % 5);
    EXPECT_EQ(chain(), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    // TearDown releases the renderer with all 150 rects in it (ASan checks the pool).
}

TEST_F(RectLevelTest, ColourAndAlphaClampAndRoundEachChannel) {
    SpriteRect* rect = rectAt(0);
    spriteRectSetColor(rect, 0.5f, -1.0f, 2.0f);
    for (const L3D_RENDERER_VERTEX& v : rect->vertices) EXPECT_EQ(v.color, 0xFF8000FFu);
    spriteRectSetAlpha(rect, 0.25f);
    for (const L3D_RENDERER_VERTEX& v : rect->vertices) EXPECT_EQ(v.color, 0x408000FFu);
}

}  // namespace
}  // namespace tessera::test
