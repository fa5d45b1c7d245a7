// The manager's life (Init, Clear, Release) and its playing instances: starting them, the
// dense key table, stopping by key, freeing.
#include "effects/L3DEffectManager.h"

#include "foundation/DSjisText.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LQuat.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

constexpr uint32_t kMaxKeys = 0xFFFFFFFE;

}  // namespace

L3DEffectManager::~L3DEffectManager() { Release(); }

void L3DEffectManager::Init(const rcptr<L3DRenderer>& rendererHandle) {
    renderer = rendererHandle;
    flags = 0;
    active = nullptr;
    keyCount = 0;
    blendSeen = 0;
    dropDefinition();
    name[0] = '\0';
    pack = lfmRegistPack("");
}

void L3DEffectManager::Release() {
    Clear();
    releaseDrawArrays();
    trackers.Release();
    keyCount = 0;
    keys.Free();
    instances.Release();
    parts.Release();
    dataList._EraseAllNodes();
    dropDefinition();
    renderer.Reset();
}

void L3DEffectManager::Clear() {
    if (!renderer) return;
    StopAll();
    for (auto it = dataList._GetFirstNode(); it != dataList._GetEndNode(); it = it.Next())
        unloadSeGroups(*it.GetRef());
    dataList._EraseAllNodes();
    pack = lfmRegistPack("");
    name[0] = '\0';
    dropDefinition();
}

void L3DEffectManager::PlayAt(const float* attach, const void* key, const L3D_EFFECT_DATA* data,
                              uint32_t index, uint32_t lifetime, const float position[3],
                              const float rotation[4], const float scale[3]) {
    const uint32_t user[2] = {0, 0};
    Play(data, index, 0, lifetime, position, rotation, scale, user, key, attach, nullptr, nullptr);
}

void L3DEffectManager::Play(const L3D_EFFECT_DATA* data, uint32_t index, uint32_t startDelay,
                            uint32_t lifetime, const float position[3], const float rotation[4],
                            const float scale[3], const uint32_t user[2], const void* key,
                            const float* attach, const float* trailA, const float* trailB) {
    if (!data) {
        l3dWarning("%s", DSjis<"[L3DEffectManager::Play] 無効なエフェクトデータ">());
        return;
    }
    if (index >= data->rootCount) {
        l3dWarning(DSjis<"[L3DEffectManager::Play] 無効なエフェクト番号(%d/%d)">(),
                   static_cast<int>(index), static_cast<int>(data->rootCount));
        return;
    }
    const L3D_EFFECT_ROOT& root = data->roots[index];
    if ((root.flags & L3DEffectRootOptional) && (flags & L3DEffectSkipOptional)) return;

    L3D_EFFECT_WORKROOT* instance = instances.Take();
    *instance = L3D_EFFECT_WORKROOT{};
    instance->data = data;
    instance->root = &root;
    if (attach) {
        for (int i = 0; i < 3; ++i) instance->position[i] = attach[i];
        for (int i = 0; i < 4; ++i) instance->rotation[i] = attach[9 + i];
    } else {
        instance->rotation[3] = 1.0f;
    }
    // Without a key nothing could ever clear a kept target or trail point: keep none.
    if (key) {
        if (root.flags & L3DEffectRootFollow) instance->attach = attach;
        instance->trailA = trailA;
        instance->trailB = trailB;
    }

    LMat rotationMatrix;
    LQuat::ToMatrix({rotation[0], rotation[1], rotation[2], rotation[3]}, rotationMatrix);
    LMat& s = instance->scale;
    s = LMat::Identity();
    for (int i = 0; i < 3; ++i) s.m[i][i] = scale[i];
    LMat translation = LMat::Identity();
    for (int i = 0; i < 3; ++i) translation.m[3][i] = position[i];
    LMat::Multiply(s, rotationMatrix, instance->world);
    LMat::Multiply(instance->world, translation, instance->world);
    instance->user[0] = user[0];
    instance->user[1] = user[1];
    instance->startDelay = startDelay;
    instance->lifetime = lifetime;

    if (!_InitPart(&instance->rootPart, instance, &root.rootPart, 0))
        l3dError("%s", DSjis<"[L3DEffectManager::Play] なぜかルートパーツが初期化できなかった">());
    instance->next = active;
    if (active) active->previous = instance;
    active = instance;
    if (key && ((root.flags & L3DEffectRootKeyed) || instance->attach || instance->trailA ||
                instance->trailB))
        registerKey(instance, key);
}

uint32_t L3DEffectManager::findKey(const void* key) const {
    uint32_t entry = 0;
    while (entry < keyCount && keys[static_cast<int32_t>(entry)].key != key) ++entry;
    return entry;
}

void L3DEffectManager::registerKey(L3D_EFFECT_WORKROOT* instance, const void* key) {
    const uint32_t entry = findKey(key);
    if (entry == keyCount) {
        if (keyCount >= kMaxKeys)
            l3dError("%s", DSjis<"[L3DEffectManager::Play] キーリストの最大数に達しました">());
        keys.At(static_cast<int32_t>(entry)) = {key, nullptr};
        ++keyCount;
    }
    L3D_EFFECT_KEY& slot = keys[static_cast<int32_t>(entry)];
    instance->keyIndex = entry;
    instance->nextKeyed = slot.first;
    if (slot.first) slot.first->previousKeyed = instance;
    slot.first = instance;
}

void L3DEffectManager::unregisterKey(L3D_EFFECT_WORKROOT* instance) {
    const uint32_t entry = instance->keyIndex;
    L3D_EFFECT_KEY& slot = keys[static_cast<int32_t>(entry)];
    if (instance->previousKeyed)
        instance->previousKeyed->nextKeyed = instance->nextKeyed;
    else
        slot.first = instance->nextKeyed;
    if (instance->nextKeyed) instance->nextKeyed->previousKeyed = instance->previousKeyed;
    instance->keyIndex = L3DEffectNoKey;
    instance->previousKeyed = instance->nextKeyed = nullptr;
    if (slot.first) return;
    // The table stays dense: the last entry takes the emptied place.
    const uint32_t last = keyCount - 1;
    if (entry != last) {
        slot = keys[static_cast<int32_t>(last)];
        for (L3D_EFFECT_WORKROOT* moved = slot.first; moved; moved = moved->nextKeyed)
            moved->keyIndex = entry;
    }
    --keyCount;
}

void L3DEffectManager::_FreeRoot(L3D_EFFECT_WORKROOT* instance) {
    if (instance->keyIndex != L3DEffectNoKey) unregisterKey(instance);
    if (instance->previous)
        instance->previous->next = instance->next;
    else
        active = instance->next;
    if (instance->next) instance->next->previous = instance->previous;
    instance->previous = instance->next = nullptr;
    instances.Give(instance);
    while (instance->children) _FreePart(instance->children);
    _FreePart(&instance->rootPart);
}

void L3DEffectManager::StopByKey(const void* key) {
    const uint32_t entry = findKey(key);
    if (entry == keyCount) return;
    L3D_EFFECT_WORKROOT* instance = keys[static_cast<int32_t>(entry)].first;
    while (instance) {
        L3D_EFFECT_WORKROOT* next = instance->nextKeyed;
        instance->attach = instance->trailA = instance->trailB = nullptr;
        if (instance->root->flags & L3DEffectRootStopFrees) {
            _FreeRoot(instance);
        } else {
            L3D_EFFECT_WORKPART* part = instance->children;
            while (part) {
                L3D_EFFECT_WORKPART* nextPart = part->next;
                if (part->part->flags & L3DEffectPartStopFrees) _FreePart(part);
                part = nextPart;
            }
        }
        instance = next;
    }
}

void L3DEffectManager::StopAll() {
    while (active) _FreeRoot(active);
}
