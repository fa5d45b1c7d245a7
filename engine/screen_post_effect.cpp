#include "engine/screen_post_effect.h"

#include "model3d/object/system_post_effect_host.h"

bool ScreenPostEffect::setup(System* system) {
    return effect_.setup(std::make_unique<SystemPostEffectHost>(*system));
}

void ScreenPostEffect::animate() { effect_.animate(); }

void ScreenPostEffect::beginFrame() { effect_.beginFrame(); }

void ScreenPostEffect::render() { effect_.render(); }

std::unique_ptr<EnginePostEffect> makeScreenPostEffect() {
    return std::make_unique<ScreenPostEffect>();
}
