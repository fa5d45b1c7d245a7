#include "engine/spriterect/sprite_rect_natives.h"

#include "engine/script/script_host.h"
#include "engine/script/script_vm.h"
#include "engine/spriterect/rect_native_support.h"

SpriteRectLayer* spriteRectLayerOf(HSQUIRRELVM vm) {
    ScriptTaskContext* context = scriptContext(vm);
    auto* host = context ? dynamic_cast<SpriteRectHost*>(context->engine) : nullptr;
    SpriteRectLayer* layer = host ? host->spriteRectLayer() : nullptr;
    return layer && layer->initialised() ? layer : nullptr;
}

void registerSpriteRectNatives(const ScriptObject& root) {
    sprite_rect_natives::registerRecordNatives(root);
    sprite_rect_natives::registerRectCreateNatives(root);
    sprite_rect_natives::registerRectPropertyNatives(root);
}

namespace sprite_rect_natives {

ScriptObject sizeTable(HSQUIRRELVM vm, int32_t width, int32_t height) {
    ScriptObject table = ScriptObject::newTable(vm);
    table.setInt(u"width", width);
    table.setInt(u"height", height);
    return table;
}

}  // namespace sprite_rect_natives
