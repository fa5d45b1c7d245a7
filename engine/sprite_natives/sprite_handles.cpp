#include "engine/sprite_natives/sprite_handles.h"

#include "engine/engine.h"
#include "engine/script/script_vm.h"

namespace {

constexpr const char16_t* kRegistryKey = u"sprite handles";

SQInteger freeHandles(SQUserPointer holder, SQInteger) {
    delete *static_cast<SpriteHandles**>(holder);
    return 1;
}

}  // namespace

SpriteHandles& spriteHandlesOf(const Engine* engine) {
    HSQUIRRELVM vm = engine->vm()->vm();
    const SQInteger top = sq_gettop(vm);
    sq_pushregistrytable(vm);
    sq_pushstring(vm, kRegistryKey, -1);
    SpriteHandles* handles = nullptr;
    SQUserPointer holder = nullptr;
    if (SQ_SUCCEEDED(sq_get(vm, -2)) && SQ_SUCCEEDED(sq_getuserdata(vm, -1, &holder, nullptr))) {
        handles = *static_cast<SpriteHandles**>(holder);
    } else {
        sq_settop(vm, top + 1);
        handles = new SpriteHandles;
        sq_pushstring(vm, kRegistryKey, -1);
        holder = sq_newuserdata(vm, sizeof handles);
        *static_cast<SpriteHandles**>(holder) = handles;
        sq_setreleasehook(vm, -1, &freeHandles);
        sq_newslot(vm, -3, SQFalse);
    }
    sq_settop(vm, top);
    return *handles;
}
