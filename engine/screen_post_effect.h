#pragma once
// The engine's post effects: the screen effects of render3d/posteffect driven by the frame loop.
#include <memory>

#include "engine/engine_post_effect.h"
#include "render3d/posteffect/PostEffect.h"

class ScreenPostEffect : public EnginePostEffect {
public:
    bool setup(System* system) override;
    void animate() override;
    void beginFrame() override;
    void render() override;

    // The effects themselves, where the engines queue their requests.
    PostEffect& effect() { return effect_; }

private:
    PostEffect effect_;
};

// The factory of the engine's post effects: a ScreenPostEffect for every engine run.
std::unique_ptr<EnginePostEffect> makeScreenPostEffect();
