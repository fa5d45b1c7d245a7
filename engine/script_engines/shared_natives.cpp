#include "engine/script_engines/shared_natives.h"

#include "engine/script_engines/engine_switch.h"

void registerSharedNatives(const ScriptObject& table) {
    registerGlobalNatives(table);
    registerSwitchNatives(table);
    registerEngineNatives(table);
    registerInputControlNatives(table);
    registerMusicNatives(table);
}
