#include <cmath>

#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {
namespace {

struct Quaternion {
    float x, y, z, w;
};

Quaternion multiply(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

using Matrix = float[4][3];

// out = a followed by b, both affine 4x3 in the row-vector convention.
void concatenate(const Matrix& a, const Matrix& b, Matrix& out) {
    for (int row = 0; row < 4; ++row) {
        const float x = a[row][0], y = a[row][1], z = a[row][2];
        for (int column = 0; column < 3; ++column) {
            float sum = x * b[0][column] + y * b[1][column] + z * b[2][column];
            if (row == 3) sum += b[3][column];
            out[row][column] = sum;
        }
    }
}

// The sprite's matrix in its parent's space: rotation, flat scale, the optional transform, the
// position, then the mirrors.
void localMatrix(const PEL_SPRITE* sprite, Matrix& local) {
    const uint32_t flags = sprite->flags;
    Quaternion q{0.0f, 0.0f, 0.0f, 1.0f};
    if (flags & PEL_SPRITE_ROTATE_Y) {
        const float half = sprite->rotationY * 0.5f;
        q = multiply(q, {0.0f, std::sin(half), 0.0f, std::cos(half)});
    }
    if (flags & PEL_SPRITE_ROTATE_X) {
        const float half = sprite->rotationX * 0.5f;
        q = multiply(q, {std::sin(half), 0.0f, 0.0f, std::cos(half)});
    }
    if (flags & PEL_SPRITE_ROTATE_Z) {
        const float half = sprite->rotationZ * 0.5f;
        q = multiply(q, {0.0f, 0.0f, std::sin(half), std::cos(half)});
    }
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    const float sx = sprite->scaleX, sy = sprite->scaleY;
    local[0][0] = (1 - 2 * y * y - 2 * z * z) * sx;
    local[0][1] = (2 * x * y + 2 * z * w) * sx;
    local[0][2] = (2 * x * z - 2 * y * w) * sx;
    local[1][0] = (2 * x * y - 2 * z * w) * sy;
    local[1][1] = (1 - 2 * x * x - 2 * z * z) * sy;
    local[1][2] = (2 * y * z + 2 * x * w) * sy;
    local[2][0] = local[2][1] = local[2][2] = 0.0f;
    local[3][0] = local[3][1] = local[3][2] = 0.0f;
    if (flags & PEL_SPRITE_TRANSFORM) {
        Matrix rotation;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 3; ++column) rotation[row][column] = local[row][column];
        }
        concatenate(rotation, sprite->transform, local);
    }
    local[3][0] += sprite->x;
    local[3][1] += sprite->y;
    if (flags & (PEL_SPRITE_MIRROR_X | PEL_SPRITE_MIRROR_Y)) {
        for (int row = 0; row < 4; ++row) {
            if (flags & PEL_SPRITE_MIRROR_X) {
                local[row][0] = -local[row][0];
                local[row][2] = -local[row][2];
            }
            if (flags & PEL_SPRITE_MIRROR_Y) {
                local[row][1] = -local[row][1];
                local[row][2] = -local[row][2];
            }
        }
    }
}

// The world matrix of an unrotated, untransformed, unmirrored sprite: the same products as the
// general path without the terms that are zero.
void plainWorldMatrix(const PEL_SPRITE* sprite, const Matrix& parent, Matrix& world) {
    const float sx = sprite->scaleX, sy = sprite->scaleY, x = sprite->x, y = sprite->y;
    for (int column = 0; column < 3; ++column) {
        world[0][column] = sx * parent[0][column];
        world[1][column] = sy * parent[1][column];
        world[2][column] = 0.0f;
        world[3][column] = x * parent[0][column] + y * parent[1][column] + parent[3][column];
    }
}

constexpr uint32_t kShapeFlags = PEL_SPRITE_ROTATE_X | PEL_SPRITE_ROTATE_Y | PEL_SPRITE_ROTATE_Z |
                                 PEL_SPRITE_TRANSFORM | PEL_SPRITE_MIRROR_X | PEL_SPRITE_MIRROR_Y;

void recompute(PEL_SPRITE* sprite, const PEL_SPRITE_STATE& parent) {
    PEL_SPRITE_STATE& state = sprite->state;
    if (sprite->flags & kShapeFlags) {
        Matrix local;
        localMatrix(sprite, local);
        concatenate(local, parent.matrix, state.matrix);
    } else {
        plainWorldMatrix(sprite, parent.matrix, state.matrix);
    }
    state.blend = sprite->blend ? sprite->blend : parent.blend;
    if (sprite->alphaTest) {
        state.alphaTest = sprite->alphaTest;
        state.alphaReference = sprite->alphaReference;
    } else {
        state.alphaTest = parent.alphaTest;
        state.alphaReference = parent.alphaReference;
    }
    state.scaling = sprite->scaling ? sprite->scaling : parent.scaling;
    state.red = sprite->red * parent.red;
    state.green = sprite->green * parent.green;
    state.blue = sprite->blue * parent.blue;
    state.alpha = sprite->alpha * parent.alpha;
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

bool pelSpriteUpdateTree(PEL_SPRITE* sprite, const PEL_SPRITE_STATE* parent) {
    sprite->flags &= ~PEL_SPRITE_ANIMATING;
    if (sprite->animation) {
        const bool ended = pelSpriteAnimationRun(sprite, parent->speed);
        sprite->state.speed = static_cast<float>(sprite->cursor->consumed) / 256.0f;
        if (ended) {
            pelSpriteSetAnimation(sprite, nullptr);
        } else {
            sprite->flags |= PEL_SPRITE_ANIMATING;
        }
    } else {
        sprite->state.speed = sprite->animationSpeed * parent->speed;
    }
    if (sprite->parent && (sprite->parent->flags & PEL_SPRITE_DIRTY)) {
        sprite->flags |= PEL_SPRITE_DIRTY;
    }
    if (sprite->flags & PEL_SPRITE_DIRTY) {
        sprite->flags &= ~PEL_SPRITE_QUAD_VALID;
        recompute(sprite, *parent);
        forEachSprite(&sprite->hiddenChildren,
                      [](PEL_SPRITE* child) { child->flags |= PEL_SPRITE_DIRTY; });
    }
    forEachSprite(&sprite->visibleChildren, [sprite](PEL_SPRITE* child) {
        if (!pelSpriteUpdateTree(child, &sprite->state)) {
            sprite->flags |= child->flags & PEL_SPRITE_ANIMATING;
        }
    });
    sprite->flags &= ~PEL_SPRITE_DIRTY;
    if ((sprite->flags & PEL_SPRITE_ANIMATING) && (sprite->flags & PEL_SPRITE_HOLD)) {
        if (!(sprite->flags & PEL_SPRITE_SELF_REFERENCE)) {
            sprite->flags |= PEL_SPRITE_SELF_REFERENCE;
            ++sprite->internalCount;
        }
        return false;
    }
    if (sprite->flags & PEL_SPRITE_SELF_REFERENCE) {
        sprite->flags &= ~PEL_SPRITE_SELF_REFERENCE;
        return pelSpriteUnref(sprite);
    }
    return false;
}

void pelSpriteRendererUpdate(PEL_SPRITE_RENDERER* renderer) {
    PEL_LIST* const texts = &renderer->pendingTexts;
    for (PEL_LIST_LINK* link = texts->head.next; link != pelListEnd(texts);) {
        PEL_LIST_LINK* const next = link->next;
        pelSpriteRectFlushText(static_cast<PEL_SPRITE_RECT*>(pelListElement(texts, link)),
                               renderer->textSpeed);
        link = next;
    }
    // A sprite may destroy itself here; its children then join the end of this list.
    forEachSprite(&renderer->visibleSprites, [renderer](PEL_SPRITE* sprite) {
        const uint32_t root = ((sprite->flags & PEL_SPRITE_MIRROR_X) ? 1 : 0) |
                              ((sprite->flags & PEL_SPRITE_MIRROR_Y) ? 2 : 0);
        pelSpriteUpdateTree(sprite, &renderer->roots[root]);
    });
}
