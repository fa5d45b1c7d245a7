#pragma once
#include <gtest/gtest.h>

#include <string>

#include "framework/core/core.h"
#include "framework/sprite/sprite.h"
#include "tests/framework/sprite/support/recording_backend.h"

namespace tessera::test {

// A context over a recording backend, destroyed after each test.
class SpriteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pelInitialize();
        pelSpriteInitialize();
    }
    void SetUp() override { context = pelSpriteCreateContext(&backend.table()); }
    void TearDown() override { pelSpriteDestroyContext(context); }

    PEL_SPRITE_RENDERER* makeRenderer(uint32_t width = 640, uint32_t height = 480,
                                      uint32_t levels = 4) {
        return pelSpriteRendererCreate(context, width, height, levels);
    }
    PEL_SPRITE_RECT* makeRect(PEL_SPRITE_RENDERER* renderer, const char16_t* image = u"a.png",
                              uint32_t width = 16, uint32_t height = 16, int32_t originX = 0,
                              int32_t originY = 0) {
        PEL_SPRITE_IMAGE* loaded = pelSpriteImageLoad(image, context);
        return pelSpriteRectCreate(loaded, {renderer, 0, 0, width, height, originX, originY});
    }
    // A sprite with a rect at a position.
    PEL_SPRITE* makeSprite(PEL_SPRITE_RENDERER* renderer, PEL_SPRITE_RECT* rect, float x = 0,
                           float y = 0) {
        PEL_SPRITE* sprite = pelSpriteCreate(renderer);
        pelSpriteSetRect(sprite, rect);
        sprite->x = x;
        sprite->y = y;
        return sprite;
    }
    // What a script does when it lets go of its sprite.
    static void dropScript(PEL_SPRITE* sprite) {
        if (--sprite->scriptCount + sprite->internalCount == 0) pelSpriteRelease(sprite);
    }

    RecordingBackend backend;
    PEL_SPRITE_CONTEXT* context = nullptr;
};

inline bool listHolds(PEL_LIST* list, const void* element) {
    for (PEL_LIST_LINK* link = list->head.next; link != pelListEnd(list); link = link->next) {
        if (pelListElement(list, link) == element) return true;
    }
    return false;
}

}  // namespace tessera::test
