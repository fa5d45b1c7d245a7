#pragma once
// The records of the older sprite layer: images, renderers with their level chains, and the
// flat quads (rects) they draw.
#include <cstdint>

#include "foundation/rcptr.h"
#include "framework/core/mempool.h"
#include "render3d/L3DRendererVertex.h"
#include "render3d/L3DTexture.h"

class SpriteRectLayer;
struct SpriteRectRenderer;

enum : uint32_t {
    SPRITE_RECT_ENABLED = 0x1,
    SPRITE_RECT_DRAW_REVERSE_X = 0x2,
    SPRITE_RECT_DRAW_REVERSE_Y = 0x4,
    SPRITE_RECT_MAP_REVERSE_X = 0x8,
    SPRITE_RECT_MAP_REVERSE_Y = 0x10,
    SPRITE_RECT_POSITIONS_DIRTY = 0x20,
    SPRITE_RECT_UVS_DIRTY = 0x40,
};

struct SpriteRectImage {
    SpriteRectLayer* layer = nullptr;
    SpriteRectImage* prev = nullptr;
    SpriteRectImage* next = nullptr;
    mirel::rcptr<L3DTexture> texture;
    uint32_t width = 1;  // logical size: texture size, times the resource scale when loaded
    uint32_t height = 1;
    uint32_t dynamic = 0;
    uint32_t id = 0;  // the scripts' handle, 0 for none
    // Rects showing the image. A released image that rects still show stays until the last of
    // them goes, so that they never draw from freed memory.
    uint32_t rectCount = 0;
    bool released = false;
};

struct SpriteRect {
    SpriteRectRenderer* renderer;
    SpriteRectImage* image;
    uint32_t id;    // the scripts' handle, 0 for none
    int32_t level;  // -1: in no level
    SpriteRect* prevInLevel;
    SpriteRect* nextInLevel;
    uint32_t flags;
    L3D_RENDERER_VERTEX vertices[4];  // (left, top), (left, bottom), (right, top), (right, bottom)
    int32_t pivotX, pivotY;
    int32_t drawX, drawY, drawWidth, drawHeight;
    float rotation;  // radians
    int32_t mapX, mapY, mapWidth, mapHeight;
    int32_t blend;  // 0 to 3, see spriteRectBlendStates
};

// One draw level: its rects in insertion order and its neighbours in the chain of non-empty
// levels (-1 for none).
struct SpriteRectLevel {
    SpriteRect* first = nullptr;
    SpriteRect* last = nullptr;
    int32_t prev = -1;
    int32_t next = -1;
};

struct SpriteRectRenderer {
    SpriteRectLayer* layer = nullptr;
    SpriteRectRenderer* prev = nullptr;
    SpriteRectRenderer* next = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levelCount = 0;
    SpriteRectLevel* levels = nullptr;
    int32_t firstLevel = -1;
    float halfPixelX = 0.0f;
    float halfPixelY = 0.0f;
    PEL_MEMPOOL pool{};  // listable: every rect of the renderer, whether in a level or not
    uint32_t id = 0;     // the scripts' handle, 0 for none
};

// Renderer set-up and tear-down; the rect pool grows by 64 records at a time.
void spriteRectRendererInit(SpriteRectRenderer& renderer, uint32_t width, uint32_t height,
                            uint32_t levels, uint32_t screenWidth, uint32_t screenHeight);
void spriteRectRendererRelease(SpriteRectRenderer& renderer);
// Calls visit(SpriteRect*) for every rect taken from the renderer's pool, in creation order;
// visit may release the rect it is given.
template <typename Visit>
void spriteRectForEach(SpriteRectRenderer& renderer, Visit visit) {
    PEL_LIST_LINK* end = pelMempoolGetListEnd(&renderer.pool);
    for (PEL_LIST_LINK* link = pelMempoolGetListBegin(&renderer.pool); link != end;) {
        PEL_LIST_LINK* next = link->next;
        visit(static_cast<SpriteRect*>(pelMempoolListElement(link)));
        link = next;
    }
}

// Takes a rect from the renderer's pool and puts it, freshly initialised, in level 0.
SpriteRect* spriteRectCreate(SpriteRectRenderer& renderer, SpriteRectImage* image);
// Leaves its level and returns to its renderer's pool; frees its image when that was released
// and this rect was the last to show it.
void spriteRectRelease(SpriteRect* rect);
void spriteRectInit(SpriteRect& rect, SpriteRectRenderer* renderer, SpriteRectImage* image);

// Level chain. A level outside 0 .. level count - 1 is clamped into it: the renderer has exactly
// that many slots.
void spriteRectSetLevel(SpriteRect* rect, int32_t level);
void spriteRectUnlink(SpriteRect* rect);

// Vertex colours: each channel clamped to 0..1 and rounded to a byte.
void spriteRectSetColor(SpriteRect* rect, float r, float g, float b);
void spriteRectSetAlpha(SpriteRect* rect, float a);

// Rebuilds the positions (flag 0x20) and texture coordinates (flag 0x40) that are out of date
// and clears both flags.
void spriteRectUpdateVertices(SpriteRect& rect);
