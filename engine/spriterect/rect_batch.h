#pragma once
// Gathers the enabled rects of a renderer, level by level, into batches of one texture and one
// blend kind, and hands each batch to a sink (the device, or a recorder in tests).
#include <cstdint>

#include "engine/spriterect/sprite_rect.h"

class SpriteRectDrawSink {
public:
    virtual ~SpriteRectDrawSink() = default;
    // Switches the blend states to a kind of spriteRectBlendStates; other kinds change nothing.
    virtual void setBlend(int32_t kind) = 0;
    // Draws a triangle list of 16-bit indices with the texture on stage 0.
    virtual void drawBatch(L3DTexture* texture, const L3D_RENDERER_VERTEX* vertices,
                           uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount) = 0;
};

struct SpriteRectBatch {
    static constexpr uint32_t MaxVertices = 128;
    static constexpr uint32_t MaxIndices = 256;

    L3D_RENDERER_VERTEX vertices[MaxVertices];
    uint16_t indices[MaxIndices];
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    L3DTexture* texture = nullptr;
    int32_t blend = 0;  // the kind whose states are set
};

// Sets the blend kind through the sink when it differs from the batch's current one.
void spriteRectSetBlend(SpriteRectBatch& batch, SpriteRectDrawSink& sink, int32_t kind);
// Walks the renderer's non-empty levels in chain order and draws its enabled rects.
void spriteRectDrawRects(const SpriteRectRenderer& renderer, SpriteRectBatch& batch,
                         SpriteRectDrawSink& sink);
