#pragma once
// What the older sprite layer's natives share: records found by id in the calling engine's
// layer, and tables of integer slots.
#include <cstdint>

#include "engine/script/script_object.h"
#include "engine/spriterect/sprite_rect_layer.h"
#include "engine/spriterect/sprite_rect_natives.h"
#include "framework/core/report.h"

namespace sprite_rect_natives {

// The record the handle names in the calling engine's layer, or null after a level-2 report
// ("invalid <kind>(<id>)").
template <typename T>
T* lookup(HSQUIRRELVM vm, HandleTable<T> SpriteRectIds::*table, void* handle,
          const char16_t* kind) {
    const SpriteRectLayer* layer = spriteRectLayerOf(vm);
    T* record = layer ? (layer->ids().*table).find(spriteRectIdOf(handle)) : nullptr;
    if (!record) {
        scriptReportError(PEL_REPORT_MESSAGE, u"invalid %ls(%u)", kind, spriteRectIdOf(handle));
    }
    return record;
}

inline SpriteRectImage* imageArg(HSQUIRRELVM vm, void* handle) {
    return lookup(vm, &SpriteRectIds::images, handle, u"sprite image");
}
inline SpriteRectFont* fontArg(HSQUIRRELVM vm, void* handle) {
    return lookup(vm, &SpriteRectIds::fonts, handle, u"sprite font");
}
inline SpriteRectRenderer* rendererArg(HSQUIRRELVM vm, void* handle) {
    return lookup(vm, &SpriteRectIds::renderers, handle, u"sprite renderer");
}
inline SpriteRect* rectArg(HSQUIRRELVM vm, void* handle) {
    return lookup(vm, &SpriteRectIds::rects, handle, u"sprite rect");
}

// A new table {width, height} of integers.
ScriptObject sizeTable(HSQUIRRELVM vm, int32_t width, int32_t height);

// Angles: degrees at the scripts, radians in the rects.
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;

// Registration in the order of the natives' list: images, fonts and renderers; rect creation
// and release; rect properties.
void registerRecordNatives(const ScriptObject& root);
void registerRectCreateNatives(const ScriptObject& root);
void registerRectPropertyNatives(const ScriptObject& root);

}  // namespace sprite_rect_natives
