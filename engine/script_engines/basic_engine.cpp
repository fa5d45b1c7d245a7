#include "engine/script_engines/basic_engine.h"

#include "engine/script/script_vm.h"

namespace basic {

Engine::Engine() = default;
Engine::~Engine() = default;

void Engine::start() {
    ::Engine::start();
    internScriptRoot();
    if (buffer_) {
        arguments_ = ScriptValueBuffer::load(buffer_.get(), *vm());
        buffer_.reset();
    }
    releaseTask();
    releaseControllers();
    unloadSeGroup();
    releaseSubresources();
    setupSubresources();
    switchSeGroup(u"seList");
    createControllers(true);
    runMain(&registerNatives);
}

}  // namespace basic
