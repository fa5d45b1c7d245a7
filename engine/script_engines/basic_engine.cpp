#include "engine/script_engines/basic_engine.h"

#include "engine/script/bin_buffer.h"
#include "engine/script/script_native.h"
#include "engine/script/script_vm.h"
#include "engine/script_engines/shared_natives.h"
#include "engine/sprite_natives/sprite_natives.h"

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

namespace {

ScriptObject engineGetArgsVar(HSQUIRRELVM vm) {
    const auto* engine = dynamic_cast<const Engine*>(callingEngine(vm));
    return engine ? engine->arguments() : ScriptObject();
}

}  // namespace

void registerNatives(const ScriptObject& table) {
    registerSharedNatives(table);
    table.addFunction(u"engineGetArgsVar", &engineGetArgsVar);
    registerSpriteNatives(table);
    registerBinaryNatives(table);
}

}  // namespace basic
