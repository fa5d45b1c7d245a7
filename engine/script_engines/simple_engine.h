#pragma once
// The bootstrap engine: the first engine of a run (directory "start"), which runs the script
// "main" of its directory with the older sprite layer and the shared natives.
#include <memory>

#include "engine/script_engines/scripted_engine.h"
#include "engine/spriterect/sprite_rect_natives.h"

class ScriptObject;

namespace simple {

class Engine : public ScriptedEngine, public SpriteRectHost {
public:
    Engine();
    // The task goes before the sprite layer its script drew on; the base releases the
    // controllers and the group.
    ~Engine() override;

    // Set-up before the first frame: the base start, the script root, one controller per
    // System controller that exists, then startScript.
    void start() override;
    // Draws the older sprite layer in the 2D pass's place of the 3D scene.
    void draw() override;

    // Releases whatever an earlier call built (task, group, sprite layer, subresources), makes
    // fresh subresources, the older sprite layer and the group "seList", and runs "main".
    void startScript();

    SpriteRectLayer* spriteRectLayer() override { return layer_.get(); }

private:
    std::unique_ptr<SpriteRectLayer> layer_;
};

// The bootstrap context's natives: the shared ones, the older sprite layer's with its four
// creation natives, and the byte-buffer natives.
void registerNatives(const ScriptObject& table);

}  // namespace simple
