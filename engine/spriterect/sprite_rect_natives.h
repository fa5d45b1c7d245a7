#pragma once
// The script natives of the older sprite layer. Each native works on the layer of the engine
// whose task calls it; images, fonts, renderers and rects reach scripts as ids of that layer's
// handle tables (user pointers holding the id), never as addresses.
#include <cstdint>

#include "squirrel/squirrel.h"

class ScriptObject;
class SpriteRectLayer;

// What an engine that uses the older sprite layer offers its natives: the layer, or null while
// it has none.
class SpriteRectHost {
public:
    virtual SpriteRectLayer* spriteRectLayer() = 0;

protected:
    ~SpriteRectHost() = default;
};

// Registers the 55 natives, "spriteDestroyImage" to "spriteSetRectBlend", in the table. The
// engines register the four creation natives (images, dynamic images, fonts, renderers) beside
// them, issuing handles with spriteRectHandle.
void registerSpriteRectNatives(const ScriptObject& root);

// The layer of the engine running on the VM: null when the calling task belongs to no
// SpriteRectHost or that host has no initialised layer.
SpriteRectLayer* spriteRectLayerOf(HSQUIRRELVM vm);

// The value scripts hold for a record of the layer (an image, font, renderer or rect): its id
// as a user pointer, null for no record.
template <typename Record>
void* spriteRectHandle(const Record* record) {
    return record ? reinterpret_cast<void*>(uintptr_t{record->id}) : nullptr;
}
// The id a script value of spriteRectHandle holds.
inline uint32_t spriteRectIdOf(void* handle) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}
