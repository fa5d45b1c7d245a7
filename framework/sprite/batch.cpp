#include <emmintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {
namespace {

// References closer than this share a batch.
constexpr float kReferenceTolerance = 0.00001f;

// The backend codes of the sprite's inherited modes, by the tables of blend, alpha-test and
// scaling values; values outside them are fatal.
void deriveCodes(PEL_SPRITE_STATE& state) {
    const auto blend = static_cast<uint32_t>(state.blend);
    if (blend > 9) reportNotImplemented();
    state.blendCode = blend <= 1 || blend > 9 ? 0 : static_cast<int32_t>(blend) - 1;

    const auto alphaTest = static_cast<uint32_t>(state.alphaTest);
    if (alphaTest > 5) reportNotImplemented();
    if (alphaTest <= 1 || alphaTest > 5) {
        state.alphaTestCode = 0;
        state.effectiveAlphaReference = 0.0f;
    } else {
        state.alphaTestCode = static_cast<int32_t>(alphaTest) - 1;
        state.effectiveAlphaReference = state.alphaReference;
    }

    const auto scaling = static_cast<uint32_t>(state.scaling);
    if (scaling > 2) reportNotImplemented();
    state.filterCode = scaling == 1 ? 0 : 1;
}

// Builds the four corners into the sprite's cache and into the batch at once, two 16-byte lanes
// per vertex: position and texture coordinates, then colour. Each lane computes x and y with
// the same products and sums, in the same order, as px * m00 + py * m10 + m30.
void buildQuad(PEL_SPRITE* sprite, PEL_SPRITE_VERTEX* out) {
    const PEL_SPRITE_STATE& state = sprite->state;
    const PEL_SPRITE_RECT& rect = *sprite->rect;
    const float left = -static_cast<float>(rect.originX);
    const float top = -static_cast<float>(rect.originY);
    const float right = static_cast<float>(static_cast<int64_t>(rect.width) - rect.originX);
    const float bottom = static_cast<float>(static_cast<int64_t>(rect.height) - rect.originY);
    float uLeft = static_cast<float>(rect.x);
    float uRight = static_cast<float>(static_cast<uint64_t>(rect.x) + rect.width);
    float vTop = static_cast<float>(rect.y);
    float vBottom = static_cast<float>(static_cast<uint64_t>(rect.y) + rect.height);
    if (sprite->flags & PEL_SPRITE_RECT_MIRROR_U) std::swap(uLeft, uRight);
    if (sprite->flags & PEL_SPRITE_RECT_MIRROR_V) std::swap(vTop, vBottom);
    const float corners[4][4] = {
        {left, top, uLeft, vTop},
        {left, bottom, uLeft, vBottom},
        {right, top, uRight, vTop},
        {right, bottom, uRight, vBottom},
    };
    const auto& m = state.matrix;
    const __m128 row0 = _mm_setr_ps(m[0][0], m[0][1], 0.0f, 0.0f);
    const __m128 row1 = _mm_setr_ps(m[1][0], m[1][1], 0.0f, 0.0f);
    const __m128 row3 = _mm_setr_ps(m[3][0], m[3][1], 0.0f, 0.0f);
    const __m128 color = _mm_setr_ps(state.red, state.green, state.blue, state.alpha);
    for (int i = 0; i < 4; ++i) {
        const __m128 position = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(corners[i][0]), row0),
                                                      _mm_mul_ps(_mm_set1_ps(corners[i][1]), row1)),
                                           row3);
        const __m128 texture = _mm_setr_ps(corners[i][2], corners[i][3], 0.0f, 0.0f);
        const __m128 first = _mm_movelh_ps(position, texture);
        float* const cached = &sprite->quad[i].x;
        float* const batched = &out[i].x;
        _mm_storeu_ps(cached, first);
        _mm_storeu_ps(cached + 4, color);
        _mm_storeu_ps(batched, first);
        _mm_storeu_ps(batched + 4, color);
    }
}

bool fitsBatch(const PEL_SPRITE_BATCH& batch, const PEL_SPRITE_STATE& state,
               const PelSpriteBackendImage* image) {
    return batch.vertexCount + 4 <= kPelSpriteBatchVertices && batch.image == image &&
           batch.mask == nullptr && batch.filter == state.filterCode &&
           batch.blend == state.blendCode && batch.alphaTest == state.alphaTestCode &&
           std::fabs(batch.alphaReference - state.effectiveAlphaReference) < kReferenceTolerance;
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

PEL_SPRITE_BATCH* pelSpriteRendererPushQuad(PEL_SPRITE* sprite) {
    if (!sprite->rect) return nullptr;
    const bool rebuild = !(sprite->flags & PEL_SPRITE_QUAD_VALID);
    if (rebuild) {
        sprite->flags |= PEL_SPRITE_QUAD_VALID;
        deriveCodes(sprite->state);
    }
    PEL_SPRITE_RENDERER* const renderer = sprite->renderer;
    const PEL_SPRITE_STATE& state = sprite->state;
    PelSpriteBackendImage* const image = sprite->rect->image->handle;
    PEL_SPRITE_BATCH* batch = &renderer->batches[renderer->currentBatch];
    if (batch->vertexCount > 0 && !fitsBatch(*batch, state, image)) {
        if (renderer->currentBatch + 1 < kPelSpriteBatchCount) {
            ++renderer->currentBatch;
        } else {
            pelSpriteRendererFlushBatches(renderer);
        }
        batch = &renderer->batches[renderer->currentBatch];
    }
    if (batch->vertexCount == 0) {
        batch->image = image;
        batch->mask = nullptr;
        batch->filter = state.filterCode;
        batch->blend = state.blendCode;
        batch->alphaTest = state.alphaTestCode;
        batch->alphaReference = state.effectiveAlphaReference;
    }
    const uint32_t count = batch->vertexCount;
    if (rebuild) {
        buildQuad(sprite, &batch->vertices[count]);
    } else {
        std::memcpy(&batch->vertices[count], sprite->quad, sizeof sprite->quad);
    }
    batch->vertexCount = count + 4;
    return batch;
}

void pelSpriteRendererFlushBatches(PEL_SPRITE_RENDERER* renderer) {
    const PEL_SPRITE_BACKEND& backend = renderer->context->backend;
    const uint32_t current = renderer->currentBatch;
    if (renderer->batches[current].vertexCount > 0) {
        backend.drawBatches(backend.user, renderer->batches, current + 1);
    } else if (current > 0) {
        backend.drawBatches(backend.user, renderer->batches, current);
    }
    for (uint32_t i = 0; i <= current; ++i) renderer->batches[i].vertexCount = 0;
    renderer->currentBatch = 0;
}

void pelSpriteRendererDraw(PEL_SPRITE_RENDERER* renderer) {
    const PEL_SPRITE_BACKEND& backend = renderer->context->backend;
    backend.drawBegin(backend.user);
    for (uint32_t level = 0; level < renderer->levelCount; ++level) {
        PEL_LIST* const list = &renderer->levels[level];
        for (PEL_LIST_LINK* link = list->head.next; link != pelListEnd(list); link = link->next) {
            pelSpriteRendererPushQuad(static_cast<PEL_SPRITE*>(pelListElement(list, link)));
        }
    }
    pelSpriteRendererFlushBatches(renderer);
    backend.drawEnd(backend.user);
}
