#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "framework/core/report.h"
#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {
namespace {

// Each root translates by the corner its mirror flags reflect about, then scales the renderer's
// resolution to the screen's and flattens z.
void initRoots(PEL_SPRITE_RENDERER* renderer) {
    const float scaleX =
        renderer->width ? static_cast<float>(renderer->screenWidth) / renderer->width : 1.0f;
    const float scaleY =
        renderer->height ? static_cast<float>(renderer->screenHeight) / renderer->height : 1.0f;
    for (int root = 0; root < 4; ++root) {
        PEL_SPRITE_STATE& state = renderer->roots[root];
        state = {};
        const float tx = (root & 1) ? static_cast<float>(renderer->width) : 0.0f;
        const float ty = (root & 2) ? static_cast<float>(renderer->height) : 0.0f;
        state.matrix[0][0] = scaleX;
        state.matrix[1][1] = scaleY;
        state.matrix[3][0] = tx * scaleX;
        state.matrix[3][1] = ty * scaleY;
        state.alphaReference = 1.0f;
        state.red = state.green = state.blue = state.alpha = 1.0f;
        state.speed = 1.0f;
    }
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

PEL_SPRITE_RENDERER* pelSpriteRendererCreate(PEL_SPRITE_CONTEXT* context, uint32_t width,
                                             uint32_t height, uint32_t levels) {
    uint32_t screenWidth = 0, screenHeight = 0;
    context->backend.screenSize(&screenWidth, &screenHeight, context->backend.user);
    auto* renderer = allocate<PEL_SPRITE_RENDERER>(pools().renderers);
    if (!renderer) return nullptr;
    // Batches make the record large: clear it in place rather than through a temporary.
    std::memset(static_cast<void*>(renderer), 0, sizeof *renderer);
    renderer->width = width ? width : screenWidth;
    renderer->height = height ? height : screenHeight;
    renderer->screenWidth = screenWidth;
    renderer->screenHeight = screenHeight;
    renderer->textSpeed = 256;
    initRoots(renderer);
    pelListInit(&renderer->textFormats, offsetof(PEL_SPRITE_TEXT_FORMAT, link), nullptr, nullptr);
    pelListInit(&renderer->rects, offsetof(PEL_SPRITE_RECT, link), nullptr, nullptr);
    pelListInit(&renderer->pendingTexts, offsetof(PEL_SPRITE_RECT, textLink), nullptr, nullptr);
    pelListInit(&renderer->animations, offsetof(PEL_SPRITE_ANIMATION, link), nullptr, nullptr);
    pelListInit(&renderer->visibleSprites, offsetof(PEL_SPRITE, link), nullptr, nullptr);
    pelListInit(&renderer->hiddenSprites, offsetof(PEL_SPRITE, link), nullptr, nullptr);
    renderer->levelCount = levels;
    if (levels > 0) {
        renderer->levels =
            static_cast<PEL_LIST*>(pelCheckAlloc(std::calloc(levels, sizeof(PEL_LIST))));
        if (!renderer->levels) renderer->levelCount = 0;
    }
    for (uint32_t level = 0; level < renderer->levelCount; ++level) {
        pelListInit(&renderer->levels[level], offsetof(PEL_SPRITE, levelLink), nullptr, nullptr);
    }
    renderer->context = context;
    pelListAppend(&context->renderers, renderer);
    return renderer;
}

void pelSpriteRendererDestroy(PEL_SPRITE_RENDERER* renderer) {
    // A destroyed sprite hands its children to the top-level lists, so the whole tree goes.
    for (;;) {
        auto* sprite = static_cast<PEL_SPRITE*>(pelListFirst(&renderer->hiddenSprites));
        if (!sprite) sprite = static_cast<PEL_SPRITE*>(pelListFirst(&renderer->visibleSprites));
        if (!sprite) break;
        pelSpriteRelease(sprite);
    }
    std::free(renderer->levels);
    renderer->levels = nullptr;
    renderer->levelCount = 0;
    while (auto* animation =
               static_cast<PEL_SPRITE_ANIMATION*>(pelListFirst(&renderer->animations))) {
        pelSpriteAnimationRelease(animation);
    }
    while (auto* rect = static_cast<PEL_SPRITE_RECT*>(pelListFirst(&renderer->rects))) {
        pelSpriteRectRelease(rect);
    }
    while (auto* format =
               static_cast<PEL_SPRITE_TEXT_FORMAT*>(pelListFirst(&renderer->textFormats))) {
        pelSpriteTextFormatRelease(format);
    }
    unlinkFrom(&renderer->context->renderers, renderer);
    pelMempoolFreeBlock(renderer, &pools().renderers);
}

void pelSpriteRendererSetSpeed(PEL_SPRITE_RENDERER* renderer, float speed) {
    for (PEL_SPRITE_STATE& root : renderer->roots) root.speed = speed;
    renderer->textSpeed = roundTime(speed * 256.0f);
}
