#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "framework/core/wide_string.h"
#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {

// Cache keys are the name cut to this many units, lower-cased.
constexpr size_t kImageKeyUnits = 127;

void unrefImage(PEL_SPRITE_IMAGE* image) {
    if (--image->internalCount + image->scriptCount == 0) pelSpriteImageRelease(image);
}

void unrefRect(PEL_SPRITE_RECT* rect) {
    if (--rect->internalCount + rect->scriptCount == 0) pelSpriteRectRelease(rect);
}

namespace {

PEL_SPRITE_IMAGE* newImage(PEL_SPRITE_CONTEXT* context, PelSpriteBackendImage* handle,
                           char16_t* name) {
    auto* image = allocate<PEL_SPRITE_IMAGE>(pools().images);
    if (!image) return nullptr;
    *image = {};
    image->name = name;
    image->scriptCount = 1;
    image->handle = handle;
    image->context = context;
    pelListAppend(&context->images, image);
    return image;
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

PEL_SPRITE_IMAGE* pelSpriteImageLoad(const char16_t* name, PEL_SPRITE_CONTEXT* context) {
    char16_t key[kImageKeyUnits + 1];
    pelStrCopy(name, key, sizeof key / sizeof key[0]);
    pelStrToLower(key);
    if (auto* cached = static_cast<PEL_SPRITE_IMAGE*>(pelHashFind(&context->imageCache, key))) {
        ++cached->scriptCount;
        return cached;
    }
    const PEL_SPRITE_BACKEND& backend = context->backend;
    PelSpriteBackendImage* handle = backend.imageLoad(backend.user, 0, name);
    if (!handle) return nullptr;
    PEL_SPRITE_IMAGE* image = newImage(context, handle, pelStrDup(key));
    if (image) pelHashInsert(&context->imageCache, image->name, image);
    return image;
}

PEL_SPRITE_IMAGE* pelSpriteImageCreateText(uint32_t width, uint32_t height,
                                           PEL_SPRITE_CONTEXT* context) {
    const PEL_SPRITE_BACKEND& backend = context->backend;
    PelSpriteBackendImage* handle = backend.imageCreate(backend.user, width, height);
    if (!handle) return nullptr;
    return newImage(context, handle, nullptr);
}

void pelSpriteImageRelease(PEL_SPRITE_IMAGE* image) {
    PEL_SPRITE_CONTEXT* const context = image->context;
    unlinkFrom(&context->images, image);
    context->backend.imageRelease(image->handle);
    if (image->name) {
        pelHashRemove(&context->imageCache, image->name);
        std::free(image->name);
    }
    pelMempoolFreeBlock(image, &pools().images);
}

PEL_SPRITE_RECT* pelSpriteRectCreate(PEL_SPRITE_IMAGE* image, const PEL_SPRITE_RECT_DESC& desc) {
    uint32_t imageWidth = 0, imageHeight = 0;
    image->context->backend.imageSize(&imageWidth, &imageHeight, image->handle);
    auto* rect = allocate<PEL_SPRITE_RECT>(pools().rects);
    if (!rect) return nullptr;
    *rect = {};
    rect->scriptCount = 1;
    rect->image = image;
    rect->x = std::min(desc.x, imageWidth);
    rect->width = std::min(desc.width, imageWidth - rect->x);
    rect->y = std::min(desc.y, imageHeight);
    rect->height = std::min(desc.height, imageHeight - rect->y);
    rect->originX = desc.originX;
    rect->originY = desc.originY;
    rect->renderer = desc.renderer;
    ++image->internalCount;
    pelListAppend(&desc.renderer->rects, rect);
    return rect;
}

void pelSpriteRectRelease(PEL_SPRITE_RECT* rect) {
    pelSpriteRectCancelText(rect);
    unlinkFrom(&rect->renderer->rects, rect);
    unrefImage(rect->image);
    pelMempoolFreeBlock(rect, &pools().rects);
}
