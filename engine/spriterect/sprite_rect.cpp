#include "engine/spriterect/sprite_rect.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr uint32_t RectsPerBlock = 64;

uint32_t unitToByte(float value) {
    value = std::clamp(value, 0.0f, 1.0f);
    return static_cast<uint32_t>(static_cast<int>(value * 255.0f + 0.5f));
}

// Rotates (x, y) about (cx, cy) by minus the angle, as a row vector times a Z rotation.
void rotateAbout(float& x, float& y, float cx, float cy, float angle) {
    const float c = std::cos(-angle);
    const float s = std::sin(-angle);
    const float dx = x - cx;
    const float dy = y - cy;
    x = cx + dx * c - dy * s;
    y = cy + dx * s + dy * c;
}

}  // namespace

void spriteRectRendererInit(SpriteRectRenderer& renderer, uint32_t width, uint32_t height,
                            uint32_t levels, uint32_t screenWidth, uint32_t screenHeight) {
    renderer.width = width;
    renderer.height = height;
    renderer.levelCount = levels;
    renderer.levels = levels ? new SpriteRectLevel[levels] : nullptr;
    renderer.firstLevel = -1;
    renderer.halfPixelX =
        screenWidth ? static_cast<float>(width) / static_cast<float>(screenWidth) * 0.5f : 0.0f;
    renderer.halfPixelY =
        screenHeight ? static_cast<float>(height) / static_cast<float>(screenHeight) * 0.5f : 0.0f;
    pelMempoolInit(&renderer.pool, RectsPerBlock, sizeof(SpriteRect),
                   PEL_MEMPOOL_GROWABLE | PEL_MEMPOOL_LISTABLE);
}

void spriteRectRendererRelease(SpriteRectRenderer& renderer) {
    spriteRectForEach(renderer, spriteRectRelease);
    delete[] renderer.levels;
    renderer.levels = nullptr;
    renderer.levelCount = 0;
    renderer.firstLevel = -1;
    pelMempoolDestroy(&renderer.pool);
}

void spriteRectInit(SpriteRect& rect, SpriteRectRenderer* renderer, SpriteRectImage* image) {
    rect.renderer = renderer;
    rect.image = image;
    if (image) ++image->rectCount;
    rect.id = 0;
    rect.level = -1;
    rect.prevInLevel = nullptr;
    rect.nextInLevel = nullptr;
    rect.flags = SPRITE_RECT_ENABLED | SPRITE_RECT_POSITIONS_DIRTY | SPRITE_RECT_UVS_DIRTY;
    for (L3D_RENDERER_VERTEX& v : rect.vertices) {
        v = L3D_RENDERER_VERTEX{};
        v.color = 0xFFFFFFFFu;
    }
    rect.pivotX = rect.pivotY = 0;
    rect.drawX = rect.drawY = rect.drawWidth = rect.drawHeight = 0;
    rect.rotation = 0.0f;
    rect.mapX = rect.mapY = rect.mapWidth = rect.mapHeight = 0;
    rect.blend = 0;
    spriteRectSetLevel(&rect, 0);
}

SpriteRect* spriteRectCreate(SpriteRectRenderer& renderer, SpriteRectImage* image) {
    void* block = pelMempoolAllocateBlock(&renderer.pool);
    if (!block) return nullptr;
    SpriteRect* rect = new (block) SpriteRect;
    spriteRectInit(*rect, &renderer, image);
    return rect;
}

void spriteRectRelease(SpriteRect* rect) {
    spriteRectUnlink(rect);
    SpriteRectImage* image = rect->image;
    if (image && --image->rectCount == 0 && image->released) delete image;
    pelMempoolFreeBlock(rect, &rect->renderer->pool);
}

void spriteRectUnlink(SpriteRect* rect) {
    if (rect->level < 0) return;
    SpriteRectRenderer& r = *rect->renderer;
    SpriteRectLevel& level = r.levels[rect->level];
    if (level.first == rect && level.last == rect) {
        if (level.prev >= 0) {
            r.levels[level.prev].next = level.next;
        } else {
            r.firstLevel = level.next;
        }
        if (level.next >= 0) r.levels[level.next].prev = level.prev;
        level.prev = level.next = -1;
    }
    (rect->prevInLevel ? rect->prevInLevel->nextInLevel : level.first) = rect->nextInLevel;
    (rect->nextInLevel ? rect->nextInLevel->prevInLevel : level.last) = rect->prevInLevel;
    rect->prevInLevel = rect->nextInLevel = nullptr;
    rect->level = -1;
}

void spriteRectSetLevel(SpriteRect* rect, int32_t n) {
    spriteRectUnlink(rect);
    SpriteRectRenderer& r = *rect->renderer;
    if (r.levelCount == 0) return;
    n = std::clamp(n, 0, static_cast<int32_t>(r.levelCount) - 1);
    rect->level = n;
    SpriteRectLevel& level = r.levels[n];
    if (!level.first) {
        int32_t below = -1;
        for (int32_t i = r.firstLevel; i >= 0 && i < n; i = r.levels[i].next) below = i;
        level.prev = below;
        if (below >= 0) {
            level.next = r.levels[below].next;
            r.levels[below].next = n;
        } else {
            level.next = r.firstLevel;
            r.firstLevel = n;
        }
        if (level.next >= 0) r.levels[level.next].prev = n;
    }
    rect->prevInLevel = level.last;
    rect->nextInLevel = nullptr;
    (level.last ? level.last->nextInLevel : level.first) = rect;
    level.last = rect;
}

void spriteRectSetColor(SpriteRect* rect, float r, float g, float b) {
    const uint32_t rgb = unitToByte(r) << 16 | unitToByte(g) << 8 | unitToByte(b);
    for (L3D_RENDERER_VERTEX& v : rect->vertices) v.color = (v.color & 0xFF000000u) | rgb;
}

void spriteRectSetAlpha(SpriteRect* rect, float a) {
    const uint32_t alpha = unitToByte(a) << 24;
    for (L3D_RENDERER_VERTEX& v : rect->vertices) v.color = (v.color & 0x00FFFFFFu) | alpha;
}

void spriteRectUpdateVertices(SpriteRect& rect) {
    const SpriteRectRenderer& r = *rect.renderer;
    if (rect.flags & SPRITE_RECT_POSITIONS_DIRTY) {
        const bool mirrorX = rect.flags & SPRITE_RECT_DRAW_REVERSE_X;
        const bool mirrorY = rect.flags & SPRITE_RECT_DRAW_REVERSE_Y;
        const int32_t w = static_cast<int32_t>(r.width);
        const int32_t h = static_cast<int32_t>(r.height);
        float left = static_cast<float>(mirrorX ? w + rect.pivotX - rect.drawX - rect.drawWidth
                                                : rect.drawX - rect.pivotX);
        float top = static_cast<float>(mirrorY ? h + rect.pivotY - rect.drawY - rect.drawHeight
                                               : rect.drawY - rect.pivotY);
        left -= r.halfPixelX;
        top -= r.halfPixelY;
        const float right = left + static_cast<float>(rect.drawWidth);
        const float bottom = top + static_cast<float>(rect.drawHeight);
        const float xs[4] = {left, left, right, right};
        const float ys[4] = {top, bottom, top, bottom};
        const float cx = mirrorX ? right - static_cast<float>(rect.pivotX)
                                 : left + static_cast<float>(rect.pivotX);
        const float cy = mirrorY ? bottom - static_cast<float>(rect.pivotY)
                                 : top + static_cast<float>(rect.pivotY);
        for (int i = 0; i < 4; ++i) {
            L3D_RENDERER_VERTEX& v = rect.vertices[i];
            v.x = xs[i];
            v.y = ys[i];
            v.z = 0.0f;
            if (rect.rotation != 0.0f) rotateAbout(v.x, v.y, cx, cy, rect.rotation);
        }
    }
    if (rect.flags & SPRITE_RECT_UVS_DIRTY) {
        const float iw = static_cast<float>(rect.image ? rect.image->width : 1);
        const float ih = static_cast<float>(rect.image ? rect.image->height : 1);
        float uL = static_cast<float>(rect.mapX) / iw;
        float uR = static_cast<float>(rect.mapX + rect.mapWidth) / iw;
        float vT = static_cast<float>(rect.mapY) / ih;
        float vB = static_cast<float>(rect.mapY + rect.mapHeight) / ih;
        if (rect.flags & SPRITE_RECT_MAP_REVERSE_X) std::swap(uL, uR);
        if (rect.flags & SPRITE_RECT_MAP_REVERSE_Y) std::swap(vT, vB);
        const float us[4] = {uL, uL, uR, uR};
        const float vs[4] = {vT, vB, vT, vB};
        for (int i = 0; i < 4; ++i) {
            rect.vertices[i].u = us[i];
            rect.vertices[i].v = vs[i];
        }
    }
    rect.flags &= ~(SPRITE_RECT_POSITIONS_DIRTY | SPRITE_RECT_UVS_DIRTY);
}
