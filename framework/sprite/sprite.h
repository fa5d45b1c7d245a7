#pragma once
#include <cstdint>

#include "framework/core/status.h"
#include "framework/sprite/records.h"

// The framework's 2D layer: images, rects, renderers with a tree of sprites each, animations and
// queued text, drawn only through the context's PEL_SPRITE_BACKEND. Main thread only.

// Module: pools and the list of contexts. The framework core must be running.
void pelSpriteInitialize();
void pelSpriteFinalize();

PEL_SPRITE_CONTEXT* pelSpriteCreateContext(const PEL_SPRITE_BACKEND* backend);
void pelSpriteDestroyContext(PEL_SPRITE_CONTEXT* context);
void pelSpriteUpdate(PEL_SPRITE_CONTEXT* context);
void pelSpriteDraw(PEL_SPRITE_CONTEXT* context);

// Images. Loading is cached by the name cut to 127 units and lower-cased; a hit adds one to the
// script count. NULL when the backend creates nothing.
PEL_SPRITE_IMAGE* pelSpriteImageLoad(const char16_t* name, PEL_SPRITE_CONTEXT* context);
PEL_SPRITE_IMAGE* pelSpriteImageCreateText(uint32_t width, uint32_t height,
                                           PEL_SPRITE_CONTEXT* context);
// Destroys the image whatever its counts.
void pelSpriteImageRelease(PEL_SPRITE_IMAGE* image);

struct PEL_SPRITE_RECT_DESC {
    PEL_SPRITE_RENDERER* renderer;
    uint32_t x, y, width, height;
    int32_t originX, originY;
};
// The rectangle is clamped to the image; the origin is not.
PEL_SPRITE_RECT* pelSpriteRectCreate(PEL_SPRITE_IMAGE* image, const PEL_SPRITE_RECT_DESC& desc);
void pelSpriteRectRelease(PEL_SPRITE_RECT* rect);

// A width or height of 0 takes the screen's.
PEL_SPRITE_RENDERER* pelSpriteRendererCreate(PEL_SPRITE_CONTEXT* context, uint32_t width,
                                             uint32_t height, uint32_t levels);
void pelSpriteRendererDestroy(PEL_SPRITE_RENDERER* renderer);
void pelSpriteRendererSetSpeed(PEL_SPRITE_RENDERER* renderer, float speed);

// Sprites: created shown and visible at the end of the renderer's top-level list.
PEL_SPRITE* pelSpriteCreate(PEL_SPRITE_RENDERER* renderer);
// Destroys the sprite whatever its counts; its children become top-level.
void pelSpriteRelease(PEL_SPRITE* sprite);
// Drops one internal reference; true when that destroyed the sprite.
bool pelSpriteUnref(PEL_SPRITE* sprite);
void pelSpriteSetRect(PEL_SPRITE* sprite, PEL_SPRITE_RECT* rect);
void pelSpriteSetParent(PEL_SPRITE* sprite, PEL_SPRITE* parent);
// PEL_E_INVALIDARG for a level at or above the renderer's level count.
PEL_STATUS pelSpriteSetLevel(PEL_SPRITE* sprite, uint32_t level);
void pelSpriteSetShow(PEL_SPRITE* sprite, bool show);
// Makes every child's visibility follow its own shown flag and this sprite's visibility.
void pelSpriteRefreshChildren(PEL_SPRITE* sprite);
void pelSpriteSetRotationX(PEL_SPRITE* sprite, float radians);
void pelSpriteSetRotationY(PEL_SPRITE* sprite, float radians);
void pelSpriteSetRotationZ(PEL_SPRITE* sprite, float radians);
void pelSpriteSetReverse(PEL_SPRITE* sprite, bool x, bool y);
void pelSpriteSetRectReverse(PEL_SPRITE* sprite, bool u, bool v);
// A 4x3 matrix (12 floats, row vectors), or NULL to drop it.
void pelSpriteSetTransform(PEL_SPRITE* sprite, const float* matrix);

// Per-frame work: texts, animations and computed states; then the quads into the backend.
void pelSpriteRendererUpdate(PEL_SPRITE_RENDERER* renderer);
// True when the sprite destroyed itself.
bool pelSpriteUpdateTree(PEL_SPRITE* sprite, const PEL_SPRITE_STATE* parent);
void pelSpriteRendererDraw(PEL_SPRITE_RENDERER* renderer);
PEL_SPRITE_BATCH* pelSpriteRendererPushQuad(PEL_SPRITE* sprite);
void pelSpriteRendererFlushBatches(PEL_SPRITE_RENDERER* renderer);

// Animations. Creation copies the words and the rect table, takes one internal reference on
// each rect and links the record into the renderer; the command-3 argument is an index into
// the rect table. NULL when the track headers do not lie inside the words.
PEL_SPRITE_ANIMATION* pelSpriteAnimationCreate(PEL_SPRITE_RENDERER* renderer, uint32_t flags,
                                               const uint32_t* words, uint32_t wordCount,
                                               PEL_SPRITE_RECT* const* rects);
void pelSpriteAnimationRelease(PEL_SPRITE_ANIMATION* animation);
// NULL detaches.
void pelSpriteSetAnimation(PEL_SPRITE* sprite, PEL_SPRITE_ANIMATION* animation);
// One step at the parent's speed; true when the animation has ended.
bool pelSpriteAnimationRun(PEL_SPRITE* sprite, float parentSpeed);

// Text formats and queued text.
struct PEL_SPRITE_TEXT_FORMAT_DESC {
    uint32_t flag;
    uint32_t fontSize;
    float gamma;
    float speed;
    float red, green, blue;
    int32_t drawX, drawY;
    int32_t marginX, marginY;
};
// NULL when the backend creates no font.
PEL_SPRITE_TEXT_FORMAT* pelSpriteTextFormatCreate(PEL_SPRITE_RENDERER* renderer,
                                                  const PEL_SPRITE_TEXT_FORMAT_DESC& desc);
void pelSpriteTextFormatRelease(PEL_SPRITE_TEXT_FORMAT* format);
PEL_STATUS pelSpriteRectDrawText(PEL_SPRITE_RECT* rect, PEL_SPRITE_TEXT_FORMAT* format,
                                 const char16_t* text);
void pelSpriteRectCancelText(PEL_SPRITE_RECT* rect);
// The rect must have a pending text. A budget of 0xFFFFFFFF draws all that is left.
void pelSpriteRectFlushText(PEL_SPRITE_RECT* rect, uint32_t budget);
void pelSpriteRendererFlushTexts(PEL_SPRITE_RENDERER* renderer);
