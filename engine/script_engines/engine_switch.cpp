#include "engine/script_engines/engine_switch.h"

#include "engine/script/script_native.h"
#include "engine/script/value_buffer.h"
#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/simple_engine.h"
#include "engine/system/system.h"

void recordNextEngine(System& system, Engine* engine) {
    delete system.nextEngine();
    system.setNextEngine(engine);
}

simple::Engine* prepareNextSimpleEngine(System& system, const char16_t* directory) {
    auto* engine = new simple::Engine();
    engine->init(&system);
    engine->setScriptDirectory(directory);
    recordNextEngine(system, engine);
    return engine;
}

basic::Engine* prepareNextBasicEngine(System& system, const char16_t* directory,
                                      ScriptValueBuffer* arguments) {
    auto* engine = new basic::Engine();
    engine->init(&system);
    engine->setScriptDirectory(directory);
    engine->setArgumentBuffer(arguments);
    recordNextEngine(system, engine);
    return engine;
}

namespace {

void globalPrepareNextSimpleEngine(HSQUIRRELVM vm, ScriptObject setup) {
    if (Engine* caller = callingEngine(vm))
        prepareNextSimpleEngine(*caller->system(), setup.getString(u"dir"));
}

void globalPrepareNextBasicEngine(HSQUIRRELVM vm, ScriptObject setup) {
    Engine* caller = callingEngine(vm);
    if (!caller) return;
    const ScriptObject arguments = setup.getSlot(u"args");
    ScriptValueBuffer* buffer =
        arguments.isNull() ? nullptr : ScriptValueBuffer::create(vm, arguments);
    prepareNextBasicEngine(*caller->system(), setup.getString(u"dir"), buffer);
}

}  // namespace

void registerSwitchNatives(const ScriptObject& table) {
    table.addFunction(u"globalPrepareNextSimpleEngine", &globalPrepareNextSimpleEngine)
        .addFunction(u"globalPrepareNextBasicEngine", &globalPrepareNextBasicEngine);
}
