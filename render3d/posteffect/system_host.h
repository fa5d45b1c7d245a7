#pragma once
// The system as the host of its engines' post effects: its device, the display mode of its
// video settings, and the textures of its current renderer.
#include "render3d/posteffect/posteffect_host.h"

class System;

class SystemPostEffectHost final : public PostEffectHost {
public:
    explicit SystemPostEffectHost(System& system) : system_(system) {}
    L3DDevice& device() override;
    PostEffectMode mode() const override;
    // The renderer's texture of the default pack, by the name cut to 128 bytes of CP932.
    mirel::rcptr<L3DTexture> loadTexture(const char16_t* name) override;
    const L3DRenderer* renderer() const override;

private:
    System& system_;
};
