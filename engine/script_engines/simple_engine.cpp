#include "engine/script_engines/simple_engine.h"

#include "engine/spriterect/sprite_rect_layer.h"

namespace simple {

Engine::Engine() = default;

Engine::~Engine() {
    releaseTask();
    layer_.reset();
}

void Engine::start() {
    ::Engine::start();
    internScriptRoot();
    createControllers(false);
    startScript();
}

void Engine::draw() {
    if (layer_) layer_->draw();
}

void Engine::startScript() {
    releaseTask();
    unloadSeGroup();
    layer_.reset();
    releaseSubresources();
    setupSubresources();
    layer_ = std::make_unique<SpriteRectLayer>();
    layer_->init(system());
    switchSeGroup(u"seList");
    runMain(&registerNatives);
}

}  // namespace simple
