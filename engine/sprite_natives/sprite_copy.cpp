#include "engine/sprite_natives/sprite_copy.h"

#include "framework/sprite/sprite.h"

void copySprite(PEL_SPRITE* target, const PEL_SPRITE* source, uint32_t parts) {
    if (parts & kCopyBase) {
        pelSpriteSetRect(target, source->rect);
        pelSpriteSetParent(target, source->parent);
        pelSpriteSetLevel(target, source->level);
        pelSpriteSetShow(target, (source->flags & PEL_SPRITE_SHOWN) != 0);
        target->blend = source->blend;
        target->alphaTest = source->alphaTest;
        target->alphaReference = source->alphaReference;
        target->scaling = source->scaling;
        target->red = source->red;
        target->green = source->green;
        target->blue = source->blue;
        target->alpha = source->alpha;
        pelSpriteSetReverse(target, (source->flags & PEL_SPRITE_MIRROR_X) != 0,
                            (source->flags & PEL_SPRITE_MIRROR_Y) != 0);
        pelSpriteSetTransform(
            target, (source->flags & PEL_SPRITE_TRANSFORM) ? &source->transform[0][0] : nullptr);
        pelSpriteSetRectReverse(target, (source->flags & PEL_SPRITE_RECT_MIRROR_U) != 0,
                                (source->flags & PEL_SPRITE_RECT_MIRROR_V) != 0);
    }
    if (parts & kCopyPosition) {
        target->x = source->x;
        target->y = source->y;
    }
    if (parts & kCopyScale) {
        target->scaleX = source->scaleX;
        target->scaleY = source->scaleY;
        target->scaling = source->scaling;
    }
    if (parts & kCopyRotation) {
        pelSpriteSetRotationX(target, source->rotationX);
        pelSpriteSetRotationY(target, source->rotationY);
        pelSpriteSetRotationZ(target, source->rotationZ);
    }
    if (parts & kCopyAnimation) {
        target->animationSpeed = source->animationSpeed;
        pelSpriteSetAnimation(target, source->animation);
    }
    target->flags |= PEL_SPRITE_DIRTY;
}
