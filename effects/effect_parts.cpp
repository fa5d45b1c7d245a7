// Playing parts: taking them from the pool with their initial state, freeing them with their
// sounds, draw-list place and trail, and their place in the draw list by priority.
#include "effects/L3DEffectManager.h"
#include "render3d/L3DRenderer.h"
#include "sound/LSeManager.h"

namespace {

void unlinkDraw(L3D_EFFECT_WORKPART* work) {
    L3D_EFFECT_WORKROOT* instance = work->instance;
    if (work->previousDraw)
        work->previousDraw->nextDraw = work->nextDraw;
    else
        instance->drawList = work->nextDraw;
    if (work->nextDraw) work->nextDraw->previousDraw = work->previousDraw;
    work->previousDraw = work->nextDraw = nullptr;
}

}  // namespace

L3D_EFFECT_WORKPART* L3DEffectManager::_AllocPart(L3D_EFFECT_WORKROOT* instance,
                                                  const L3D_EFFECT_PART* part,
                                                  int32_t basePriority) {
    L3D_EFFECT_WORKPART* work = parts.Take();
    if (_InitPart(work, instance, part, basePriority)) return work;
    parts.Give(work);
    return nullptr;
}

bool L3DEffectManager::_InitPart(L3D_EFFECT_WORKPART* work, L3D_EFFECT_WORKROOT* instance,
                                 const L3D_EFFECT_PART* part, int32_t basePriority) {
    if ((part->flags & L3DEffectPartOptional) && (flags & L3DEffectSkipOptional)) return false;
    *work = L3D_EFFECT_WORKPART{};
    work->instance = instance;
    work->part = part;
    work->drawPriority = basePriority;
    work->basePriority = basePriority;
    for (float& channel : work->colour) channel = 1.0f;
    for (float& axis : work->scale) axis = 1.0f;
    work->rotation[3] = 1.0f;
    work->rotationMatrix = LMat::Identity();
    if (work != &instance->rootPart) {
        work->next = instance->children;
        if (instance->children) instance->children->previous = work;
        instance->children = work;
    }
    return true;
}

void L3DEffectManager::_FreePart(L3D_EFFECT_WORKPART* work) {
    L3D_EFFECT_WORKROOT* instance = work->instance;
    if (!instance) return;
    if (renderer && renderer->seManager) renderer->seManager->StopOwner(work);
    if (work->imageMode != 0) unlinkDraw(work);
    if (work->trail) {
        trackers.Give(work->trail);
        work->trail = nullptr;
    }
    if (work != &instance->rootPart) {
        if (work->previous)
            work->previous->next = work->next;
        else
            instance->children = work->next;
        if (work->next) work->next->previous = work->previous;
        work->previous = work->next = nullptr;
        parts.Give(work);
    }
    work->instance = nullptr;
}

void L3DEffectManager::_SetPartOrder(L3D_EFFECT_WORKPART* work, int32_t priority) {
    if (work->imageMode != 0) {
        if (work->drawPriority == priority) return;
        unlinkDraw(work);
    }
    work->drawPriority = priority;
    // Before the first part of the same or a higher priority: lower priorities draw first, and
    // of equal ones the newest placed.
    L3D_EFFECT_WORKROOT* instance = work->instance;
    L3D_EFFECT_WORKPART* before = instance->drawList;
    L3D_EFFECT_WORKPART* after = nullptr;
    while (before && before->drawPriority < priority) {
        after = before;
        before = before->nextDraw;
    }
    work->previousDraw = after;
    work->nextDraw = before;
    if (after)
        after->nextDraw = work;
    else
        instance->drawList = work;
    if (before) before->previousDraw = work;
}
