#include "engine/spriterect/rect_batch.h"

namespace {

void flush(SpriteRectBatch& batch, SpriteRectDrawSink& sink) {
    if (batch.vertexCount) {
        sink.drawBatch(batch.texture, batch.vertices, batch.vertexCount, batch.indices,
                       batch.indexCount);
    }
    batch.vertexCount = 0;
    batch.indexCount = 0;
}

}  // namespace

void spriteRectSetBlend(SpriteRectBatch& batch, SpriteRectDrawSink& sink, int32_t kind) {
    if (kind == batch.blend) return;
    batch.blend = kind;
    sink.setBlend(kind);
}

void spriteRectDrawRects(const SpriteRectRenderer& renderer, SpriteRectBatch& batch,
                         SpriteRectDrawSink& sink) {
    batch.vertexCount = 0;
    batch.indexCount = 0;
    for (int32_t level = renderer.firstLevel; level >= 0; level = renderer.levels[level].next) {
        for (SpriteRect* rect = renderer.levels[level].first; rect; rect = rect->nextInLevel) {
            if (!(rect->flags & SPRITE_RECT_ENABLED)) continue;
            L3DTexture* texture = rect->image ? rect->image->texture.Get() : nullptr;
            const bool changed = texture != batch.texture || rect->blend != batch.blend;
            if ((changed && batch.vertexCount) ||
                batch.vertexCount + 4 >= SpriteRectBatch::MaxVertices ||
                batch.indexCount + 6 >= SpriteRectBatch::MaxIndices) {
                flush(batch, sink);
            }
            batch.texture = texture;
            spriteRectUpdateVertices(*rect);
            const uint16_t n = static_cast<uint16_t>(batch.vertexCount);
            for (const L3D_RENDERER_VERTEX& v : rect->vertices)
                batch.vertices[batch.vertexCount++] = v;
            const uint16_t quad[6] = {n,
                                      static_cast<uint16_t>(n + 1),
                                      static_cast<uint16_t>(n + 2),
                                      static_cast<uint16_t>(n + 2),
                                      static_cast<uint16_t>(n + 1),
                                      static_cast<uint16_t>(n + 3)};
            for (uint16_t index : quad) batch.indices[batch.indexCount++] = index;
            spriteRectSetBlend(batch, sink, rect->blend);
        }
    }
    flush(batch, sink);
}
