// The global natives: the script parameters kept by the System, the screen size, the network
// session and the game version.
#include <algorithm>

#include "engine/config/config.h"
#include "engine/script/script_native.h"
#include "engine/script_engines/scripted_engine.h"
#include "engine/script_engines/shared_natives.h"
#include "engine/system/net.h"
#include "engine/system/system.h"

namespace {

System* callingSystem(HSQUIRRELVM vm) {
    Engine* engine = callingEngine(vm);
    return engine ? engine->system() : nullptr;
}

SystemParameters* parameters(HSQUIRRELVM vm) {
    System* system = callingSystem(vm);
    return system ? &system->parameters() : nullptr;
}

// An index past a parameter array reads as 0 or "" and writes nothing, with a message.
template <typename Values>
bool inRange(const Values& values, int32_t index, const char16_t* kind) {
    if (index >= 0 && static_cast<size_t>(index) < values.size()) return true;
    scriptReportError(PEL_REPORT_MESSAGE, u"%ls parameter index out of range(%d)", kind, index);
    return false;
}

int32_t* intParameter(HSQUIRRELVM vm, int32_t index) {
    SystemParameters* values = parameters(vm);
    if (!values || !inRange(values->ints, index, u"integer")) return nullptr;
    return &values->ints[static_cast<size_t>(index)];
}

std::u16string* stringParameter(HSQUIRRELVM vm, int32_t index) {
    SystemParameters* values = parameters(vm);
    if (!values || !inRange(values->strings, index, u"string")) return nullptr;
    return &values->strings[static_cast<size_t>(index)];
}

int32_t globalGetIntegerParameterCount(HSQUIRRELVM vm) {
    SystemParameters* values = parameters(vm);
    return values ? static_cast<int32_t>(values->ints.size()) : 0;
}

void globalSetIntegerParameterCount(HSQUIRRELVM vm, int32_t count) {
    if (System* system = callingSystem(vm))
        system->resizeIntParams(static_cast<uint32_t>(std::max(count, 0)));
}

int32_t globalGetIntegerParameterValue(HSQUIRRELVM vm, int32_t index) {
    const int32_t* value = intParameter(vm, index);
    return value ? *value : 0;
}

void globalSetIntegerParameterValue(HSQUIRRELVM vm, int32_t index, int32_t value) {
    if (int32_t* slot = intParameter(vm, index)) *slot = value;
}

void globalSetIntegerParameterFlag(HSQUIRRELVM vm, int32_t index, int32_t bits) {
    if (int32_t* slot = intParameter(vm, index)) *slot |= bits;
}

void globalUnsetIntegerParameterFlag(HSQUIRRELVM vm, int32_t index, int32_t bits) {
    if (int32_t* slot = intParameter(vm, index)) *slot &= ~bits;
}

void globalSetStringParameterCount(HSQUIRRELVM vm, int32_t count) {
    if (System* system = callingSystem(vm))
        system->resizeStringParams(static_cast<uint32_t>(std::max(count, 0)));
}

const char16_t* globalGetStringParameterValue(HSQUIRRELVM vm, int32_t index) {
    const std::u16string* value = stringParameter(vm, index);
    return value ? value->c_str() : u"";
}

void globalSetStringParameterValue(HSQUIRRELVM vm, int32_t index, const char16_t* text) {
    if (std::u16string* slot = stringParameter(vm, index)) *slot = text ? text : u"";
}

bool globalIsDebugBuild() { return false; }

ScriptObject globalGetScreenSize(HSQUIRRELVM vm) {
    const System* system = callingSystem(vm);
    const ScriptObject size = ScriptObject::newTable(vm);
    size.setInt(u"width", system ? static_cast<int32_t>(system->displayWidth()) : 0);
    size.setInt(u"height", system ? static_cast<int32_t>(system->displayHeight()) : 0);
    return size;
}

Net* session(HSQUIRRELVM vm) {
    const System* system = callingSystem(vm);
    return system ? system->net() : nullptr;
}

bool globalIsNetSync(HSQUIRRELVM vm) { return session(vm) != nullptr; }

int32_t globalGetNetSyncCount(HSQUIRRELVM vm) {
    Net* net = session(vm);
    return net ? net->getPlayerCount() : 1;
}

int32_t globalGetNetSyncId(HSQUIRRELVM vm) {
    Net* net = session(vm);
    return net ? net->getLocalPlayerIndex() : -1;
}

int32_t globalGetNetSyncConnect(HSQUIRRELVM vm, int32_t player) {
    Net* net = session(vm);
    return net ? net->getPlayerConnect(player) : 0;
}

bool globalIsNetSyncReady(HSQUIRRELVM vm) {
    Net* net = session(vm);
    return net ? net->isReady() : true;
}

int32_t globalGetGameVersion(HSQUIRRELVM vm) {
    const System* system = callingSystem(vm);
    const Config* config = system ? system->config() : nullptr;
    return config ? static_cast<int32_t>(config->gameVersion) : 0;
}

}  // namespace

void registerGlobalNatives(const ScriptObject& table) {
    table.addFunction(u"globalGetIntegerParameterCount", &globalGetIntegerParameterCount)
        .addFunction(u"globalSetIntegerParameterCount", &globalSetIntegerParameterCount)
        .addFunction(u"globalGetIntegerParameterValue", &globalGetIntegerParameterValue)
        .addFunction(u"globalSetIntegerParameterValue", &globalSetIntegerParameterValue)
        .addFunction(u"globalSetIntegerParameterFlag", &globalSetIntegerParameterFlag)
        .addFunction(u"globalUnsetIntegerParameterFlag", &globalUnsetIntegerParameterFlag)
        .addFunction(u"globalSetStringParameterCount", &globalSetStringParameterCount)
        .addFunction(u"globalGetStringParameterValue", &globalGetStringParameterValue)
        .addFunction(u"globalSetStringParameterValue", &globalSetStringParameterValue)
        .addFunction(u"globalIsDebugBuild", &globalIsDebugBuild)
        .addFunction(u"globalGetScreenSize", &globalGetScreenSize)
        .addFunction(u"globalIsNetSync", &globalIsNetSync)
        .addFunction(u"globalGetNetSyncCount", &globalGetNetSyncCount)
        .addFunction(u"globalGetNetSyncId", &globalGetNetSyncId)
        .addFunction(u"globalGetNetSyncConnect", &globalGetNetSyncConnect)
        .addFunction(u"globalIsNetSyncReady", &globalIsNetSyncReady)
        .addFunction(u"globalGetGameVersion", &globalGetGameVersion);
}
