// The script-only context: the shared natives, the arguments, the layered sprite natives and
// the byte-buffer natives.
#include "engine/script/bin_buffer.h"
#include "engine/script/script_native.h"
#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/shared_natives.h"
#include "engine/sprite_natives/sprite_natives.h"

namespace basic {
namespace {

// Null when the engine got no arguments.
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
