#pragma once
// The screen post effects as the frame loop drives them: set up once per engine run, animated
// every frame, and wrapped around the 3D scene of every drawn frame.
#include <functional>
#include <memory>

class System;

class EnginePostEffect {
public:
    virtual ~EnginePostEffect() = default;
    // False when the effects cannot run on this system; the engine then draws without them.
    virtual bool setup(System* system) = 0;
    virtual void animate() = 0;
    // Clears the depth buffer and, while effects are queued, redirects the scene into the
    // effects' scene texture.
    virtual void beginFrame() = 0;
    // Runs the queued effects over the scene and puts the result on the back buffer.
    virtual void render() = 0;
};

// Makes the post-effect object of an engine run (not yet set up); null when there is none.
using EnginePostEffectFactory = std::function<std::unique_ptr<EnginePostEffect>()>;
