#include <cmath>
#include <cstddef>
#include <cstring>

#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {

PEL_LIST* placeList(PEL_SPRITE* sprite) {
    const bool visible = (sprite->flags & PEL_SPRITE_VISIBLE) != 0;
    if (PEL_SPRITE* parent = sprite->parent) {
        return visible ? &parent->visibleChildren : &parent->hiddenChildren;
    }
    PEL_SPRITE_RENDERER* const renderer = sprite->renderer;
    return visible ? &renderer->visibleSprites : &renderer->hiddenSprites;
}

// A renderer made without levels has no level lists: its sprites draw nothing.
void joinLevel(PEL_SPRITE* sprite) {
    PEL_SPRITE_RENDERER* const renderer = sprite->renderer;
    if (sprite->level < renderer->levelCount) {
        pelListAppend(&renderer->levels[sprite->level], sprite);
    }
}

void leaveLevel(PEL_SPRITE* sprite) {
    PEL_SPRITE_RENDERER* const renderer = sprite->renderer;
    if (sprite->level < renderer->levelCount) {
        unlinkFrom(&renderer->levels[sprite->level], sprite);
    }
}

namespace {

bool isVisible(const PEL_SPRITE* sprite) { return (sprite->flags & PEL_SPRITE_VISIBLE) != 0; }

bool isSelfOrDescendant(const PEL_SPRITE* candidate, const PEL_SPRITE* sprite) {
    for (; candidate; candidate = candidate->parent) {
        if (candidate == sprite) return true;
    }
    return false;
}

void setRotation(PEL_SPRITE* sprite, float radians, float& field, uint32_t flag) {
    if (std::fabs(radians) < 0.00001f) {
        field = 0.0f;
        sprite->flags &= ~flag;
    } else {
        field = radians;
        sprite->flags |= flag;
    }
    sprite->flags |= PEL_SPRITE_DIRTY;
}

void setFlag(PEL_SPRITE* sprite, uint32_t flag, bool on) {
    if (on) {
        sprite->flags |= flag;
    } else {
        sprite->flags &= ~flag;
    }
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

PEL_SPRITE* pelSpriteCreate(PEL_SPRITE_RENDERER* renderer) {
    auto* sprite = allocate<PEL_SPRITE>(pools().sprites);
    if (!sprite) return nullptr;
    std::memset(static_cast<void*>(sprite), 0, sizeof *sprite);
    pelListInit(&sprite->visibleChildren, offsetof(PEL_SPRITE, link), nullptr, nullptr);
    pelListInit(&sprite->hiddenChildren, offsetof(PEL_SPRITE, link), nullptr, nullptr);
    sprite->flags = PEL_SPRITE_DIRTY | PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE;
    sprite->scaleX = sprite->scaleY = 1.0f;
    sprite->red = sprite->green = sprite->blue = sprite->alpha = 1.0f;
    sprite->animationSpeed = 1.0f;
    sprite->scriptCount = 1;
    sprite->renderer = renderer;
    pelListAppend(&renderer->visibleSprites, sprite);
    return sprite;
}

void pelSpriteRelease(PEL_SPRITE* sprite) {
    pelSpriteSetRect(sprite, nullptr);
    while (auto* child = static_cast<PEL_SPRITE*>(pelListFirst(&sprite->hiddenChildren))) {
        pelSpriteSetParent(child, nullptr);
    }
    while (auto* child = static_cast<PEL_SPRITE*>(pelListFirst(&sprite->visibleChildren))) {
        pelSpriteSetParent(child, nullptr);
    }
    pelSpriteSetAnimation(sprite, nullptr);
    unlinkFrom(placeList(sprite), sprite);
    pelMempoolFreeBlock(sprite, &pools().sprites);
}

bool pelSpriteUnref(PEL_SPRITE* sprite) {
    if (--sprite->internalCount + sprite->scriptCount != 0) return false;
    pelSpriteRelease(sprite);
    return true;
}

void pelSpriteSetRect(PEL_SPRITE* sprite, PEL_SPRITE_RECT* rect) {
    PEL_SPRITE_RECT* const old = sprite->rect;
    if (old == rect) return;
    if (!rect) {
        if (isVisible(sprite)) leaveLevel(sprite);
        sprite->rect = nullptr;
        unrefRect(old);
        return;
    }
    if (old) {
        unrefRect(old);
    } else if (isVisible(sprite)) {
        joinLevel(sprite);
    }
    sprite->rect = rect;
    ++rect->internalCount;
    sprite->flags &= ~PEL_SPRITE_QUAD_VALID;
}

void pelSpriteRefreshChildren(PEL_SPRITE* sprite) {
    const auto refresh = [](PEL_SPRITE* child) {
        pelSpriteSetShow(child, (child->flags & PEL_SPRITE_SHOWN) != 0);
    };
    if (isVisible(sprite)) {
        forEachSprite(&sprite->visibleChildren, refresh);
        forEachSprite(&sprite->hiddenChildren, refresh);
    } else {
        forEachSprite(&sprite->hiddenChildren, refresh);
        forEachSprite(&sprite->visibleChildren, refresh);
    }
}

void pelSpriteSetShow(PEL_SPRITE* sprite, bool show) {
    const bool wasVisible = isVisible(sprite);
    PEL_LIST* const oldPlace = placeList(sprite);
    if (show) {
        sprite->flags |= PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE;
        if (sprite->parent && !isVisible(sprite->parent)) sprite->flags &= ~PEL_SPRITE_VISIBLE;
    } else {
        sprite->flags &= ~(PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE);
    }
    if (isVisible(sprite) != wasVisible) {
        unlinkFrom(oldPlace, sprite);
        pelListAppend(placeList(sprite), sprite);
        if (sprite->rect) {
            if (wasVisible) {
                leaveLevel(sprite);
            } else {
                joinLevel(sprite);
            }
        }
    }
    pelSpriteRefreshChildren(sprite);
}

void pelSpriteSetParent(PEL_SPRITE* sprite, PEL_SPRITE* parent) {
    if (sprite->parent == parent) return;
    // A parent inside the sprite's own subtree would close a cycle, and one of another renderer
    // would mix two trees: both are refused.
    if (parent && (parent->renderer != sprite->renderer || isSelfOrDescendant(parent, sprite))) {
        return;
    }
    ++sprite->internalCount;
    unlinkFrom(placeList(sprite), sprite);
    if (isVisible(sprite) && sprite->rect) leaveLevel(sprite);
    if (sprite->parent) pelSpriteUnref(sprite);

    sprite->parent = parent;
    sprite->flags = (sprite->flags & ~PEL_SPRITE_VISIBLE) | PEL_SPRITE_DIRTY;
    if ((sprite->flags & PEL_SPRITE_SHOWN) && (!parent || isVisible(parent))) {
        sprite->flags |= PEL_SPRITE_VISIBLE;
    }
    pelListAppend(placeList(sprite), sprite);
    if (isVisible(sprite) && sprite->rect) joinLevel(sprite);
    if (parent) ++sprite->internalCount;

    if (--sprite->internalCount + sprite->scriptCount == 0) {
        pelSpriteRelease(sprite);
    } else {
        pelSpriteRefreshChildren(sprite);
    }
}

PEL_STATUS pelSpriteSetLevel(PEL_SPRITE* sprite, uint32_t level) {
    if (level >= sprite->renderer->levelCount) return PEL_E_INVALIDARG;
    if (level == sprite->level) return PEL_OK;
    const bool listed = isVisible(sprite) && sprite->rect;
    if (listed) leaveLevel(sprite);
    sprite->level = level;
    if (listed) joinLevel(sprite);
    return PEL_OK;
}

void pelSpriteSetRotationX(PEL_SPRITE* sprite, float radians) {
    setRotation(sprite, radians, sprite->rotationX, PEL_SPRITE_ROTATE_X);
}

void pelSpriteSetRotationY(PEL_SPRITE* sprite, float radians) {
    setRotation(sprite, radians, sprite->rotationY, PEL_SPRITE_ROTATE_Y);
}

void pelSpriteSetRotationZ(PEL_SPRITE* sprite, float radians) {
    setRotation(sprite, radians, sprite->rotationZ, PEL_SPRITE_ROTATE_Z);
}

void pelSpriteSetReverse(PEL_SPRITE* sprite, bool x, bool y) {
    setFlag(sprite, PEL_SPRITE_MIRROR_X, x);
    setFlag(sprite, PEL_SPRITE_MIRROR_Y, y);
    sprite->flags |= PEL_SPRITE_DIRTY;
}

void pelSpriteSetRectReverse(PEL_SPRITE* sprite, bool u, bool v) {
    setFlag(sprite, PEL_SPRITE_RECT_MIRROR_U, u);
    setFlag(sprite, PEL_SPRITE_RECT_MIRROR_V, v);
    sprite->flags |= PEL_SPRITE_DIRTY;
}

void pelSpriteSetTransform(PEL_SPRITE* sprite, const float* matrix) {
    if (matrix) {
        std::memcpy(sprite->transform, matrix, sizeof sprite->transform);
        sprite->flags |= PEL_SPRITE_TRANSFORM;
    } else {
        sprite->flags &= ~PEL_SPRITE_TRANSFORM;
    }
    sprite->flags |= PEL_SPRITE_DIRTY;
}
