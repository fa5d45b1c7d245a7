#include "engine/sprite_natives/native_support.h"

#include <string>

#include "engine/script/script_vm.h"
#include "engine/sprite_natives/sprite_natives.h"
#include "framework/core/report.h"

namespace sprite_natives {

Engine* callingEngine(HSQUIRRELVM vm) {
    ScriptTaskContext* context = scriptContext(vm);
    return context ? dynamic_cast<Engine*>(context->engine) : nullptr;
}

void reportBadId(const char16_t* kind, void* id) {
    scriptReportError(PEL_REPORT_MESSAGE, u"invalid %ls(%u)", kind, idOf(id));
}

std::string creationTag(const char* native) {
    return std::string("`anonymous-namespace'::") + native;
}

}  // namespace sprite_natives

void registerSpriteNatives(const ScriptObject& root) {
    sprite_natives::registerResourceNatives(root);
    sprite_natives::registerSpriteRecordNatives(root);
}
