// The renderer's effect steps: Create makes and binds the effect manager after the renderer's
// own steps; StopAll frees its playing instances after stopping the sound voices. Release
// drops the manager in render3d itself, through its counted handle.
#include "effects/L3DEffectManager.h"
#include "render3d/L3DRenderer.h"

using mirel::rcptr;

void L3DRenderer::Create(const rcptr<L3DDevice>& deviceHandle,
                         const rcptr<mirel::DsndManager>& soundManagerHandle,
                         mirel::DFile& archive) {
    _CreateCore(deviceHandle, soundManagerHandle, archive);
    rcptr<L3DEffectManager> manager;
    manager.Create();
    // The renderer owns the manager; the manager's handle back counts nothing, so the two
    // form no cycle.
    manager->Init(rcptr<L3DRenderer>::NonOwning(this));
    effectManager = std::move(manager);
}

void L3DRenderer::StopAll() {
    _StopVoices();
    if (!effectManager) return;
    while (L3D_EFFECT_WORKROOT* instance = effectManager->active)
        effectManager->_FreeRoot(instance);
}
