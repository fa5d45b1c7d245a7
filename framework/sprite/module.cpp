#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>

#include "framework/core/report.h"
#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {
namespace {

bool gStarted = false;
bool gExitRegistered = false;
PEL_LIST gContexts;
Pools gPools;

void initPool(PEL_MEMPOOL& pool, uint32_t perBlock, size_t size) {
    pelMempoolInit(&pool, perBlock, size, PEL_MEMPOOL_GROWABLE);
}

}  // namespace

Pools& pools() { return gPools; }

void reportNotImplemented() { pelReport(PEL_REPORT_ERROR, u"Error: Not Implemented."); }

uint32_t roundTime(float value) {
    if (!(value > 0.0f)) return 0;
    const double rounded = std::floor(static_cast<double>(value) + 0.5);
    return rounded >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(rounded);
}

}  // namespace tessera::sprite

using namespace tessera::sprite;

void pelSpriteInitialize() {
    if (gStarted) return;
    gStarted = true;
    pelListInit(&gContexts, offsetof(PEL_SPRITE_CONTEXT, link), nullptr, nullptr);
    initPool(gPools.images, 128, sizeof(PEL_SPRITE_IMAGE));
    initPool(gPools.renderers, 4, sizeof(PEL_SPRITE_RENDERER));
    initPool(gPools.rects, 256, sizeof(PEL_SPRITE_RECT));
    initPool(gPools.fonts, 8, sizeof(PEL_SPRITE_FONT));
    initPool(gPools.textPages, 16, sizeof(PEL_SPRITE_TEXT_PAGE));
    initPool(gPools.textFormats, 32, sizeof(PEL_SPRITE_TEXT_FORMAT));
    initPool(gPools.texts, 8, sizeof(PEL_SPRITE_TEXT));
    initPool(gPools.sprites, 512, sizeof(PEL_SPRITE));
    initPool(gPools.cursors, 128, sizeof(PEL_SPRITE_CURSOR));
    if (!gExitRegistered) {
        if (std::atexit(pelSpriteFinalize) != 0) {
            pelReport(PEL_REPORT_ERROR, u"Error: Can't initialized.");
        } else {
            gExitRegistered = true;
        }
    }
}

void pelSpriteFinalize() {
    if (!gStarted) return;
    while (auto* context = static_cast<PEL_SPRITE_CONTEXT*>(pelListFirst(&gContexts))) {
        pelSpriteDestroyContext(context);
    }
    for (PEL_MEMPOOL* pool :
         {&gPools.images, &gPools.renderers, &gPools.rects, &gPools.fonts, &gPools.textPages,
          &gPools.textFormats, &gPools.texts, &gPools.sprites, &gPools.cursors}) {
        pelMempoolDestroy(pool);
    }
    gStarted = false;
}

PEL_SPRITE_CONTEXT* pelSpriteCreateContext(const PEL_SPRITE_BACKEND* backend) {
    auto* context =
        static_cast<PEL_SPRITE_CONTEXT*>(pelCheckAlloc(std::calloc(1, sizeof(PEL_SPRITE_CONTEXT))));
    if (!context) return nullptr;
    context->backend = *backend;
    pelListInit(&context->images, offsetof(PEL_SPRITE_IMAGE, link), nullptr, nullptr);
    pelHashInit(&context->imageCache, 256, nullptr);
    pelListInit(&context->fonts, offsetof(PEL_SPRITE_FONT, link), nullptr, nullptr);
    pelListInit(&context->renderers, offsetof(PEL_SPRITE_RENDERER, link), nullptr, nullptr);
    pelListAppend(&gContexts, context);
    return context;
}

void pelSpriteDestroyContext(PEL_SPRITE_CONTEXT* context) {
    while (auto* renderer = static_cast<PEL_SPRITE_RENDERER*>(pelListFirst(&context->renderers))) {
        pelSpriteRendererDestroy(renderer);
    }
    while (auto* font = static_cast<PEL_SPRITE_FONT*>(pelListFirst(&context->fonts))) {
        context->backend.fontRelease(font->handle);
        pelListRemoveFirst(&context->fonts);
        pelMempoolFreeBlock(font, &gPools.fonts);
    }
    while (auto* image = static_cast<PEL_SPRITE_IMAGE*>(pelListFirst(&context->images))) {
        pelSpriteImageRelease(image);
    }
    pelHashDestroy(&context->imageCache);
    pelListRemove(&gContexts, pelListLink(&gContexts, context));
    std::free(context);
}

void pelSpriteUpdate(PEL_SPRITE_CONTEXT* context) {
    for (PEL_LIST_LINK* link = context->renderers.head.next;
         link != pelListEnd(&context->renderers); link = link->next) {
        pelSpriteRendererUpdate(
            static_cast<PEL_SPRITE_RENDERER*>(pelListElement(&context->renderers, link)));
    }
}

void pelSpriteDraw(PEL_SPRITE_CONTEXT* context) {
    for (PEL_LIST_LINK* link = context->renderers.head.next;
         link != pelListEnd(&context->renderers); link = link->next) {
        pelSpriteRendererDraw(
            static_cast<PEL_SPRITE_RENDERER*>(pelListElement(&context->renderers, link)));
    }
}
