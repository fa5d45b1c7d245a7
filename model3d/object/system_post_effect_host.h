#pragma once
// The System as the host of its engines' post effects: its device, the display mode of its
// video settings, its current renderer, and textures and models loaded by name.
#include "render3d/posteffect/posteffect_host.h"

class System;

class SystemPostEffectHost final : public PostEffectHost {
public:
    explicit SystemPostEffectHost(System& system) : system_(system) {}
    L3DDevice& device() override;
    PostEffectMode mode() const override;
    // Da3dObject::loadTextureByName with load flags 0.
    mirel::rcptr<L3DTexture> loadTexture(const char16_t* name) override;
    const L3DRenderer* renderer() const override;
    // da3dLoadObjectData: a missing model is a level-0 report.
    mirel::rcptr<L3DObjectData> loadModel(const char16_t* directory, const char16_t* name) override;

private:
    System& system_;
};
