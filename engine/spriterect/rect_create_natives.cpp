// Rect creation from an option table, and release.
#include "engine/script/script_native.h"
#include "engine/spriterect/rect_native_support.h"

namespace sprite_rect_natives {
namespace {

// What a new rect starts with, before the options.
struct RectValues {
    int32_t level = 0;
    int32_t mapX = 0, mapY = 0, mapWidth = 0, mapHeight = 0;
    int32_t pivotX = 0, pivotY = 0;
    int32_t drawX = 0, drawY = 0, drawWidth = 0, drawHeight = 0;
    bool drawWidthSet = false, drawHeightSet = false;
    float rotation = 0.0f;  // radians
    int32_t blend = 0;
};

void copyMap(RectValues& v, const SpriteRect& r) {
    v.mapX = r.mapX;
    v.mapY = r.mapY;
    v.mapWidth = r.mapWidth;
    v.mapHeight = r.mapHeight;
}
void copyPivot(RectValues& v, const SpriteRect& r) {
    v.pivotX = r.pivotX;
    v.pivotY = r.pivotY;
}
void copyDraw(RectValues& v, const SpriteRect& r) {
    v.drawX = r.drawX;
    v.drawY = r.drawY;
    v.drawWidth = r.drawWidth;
    v.drawHeight = r.drawHeight;
    v.drawWidthSet = v.drawHeightSet = true;
    v.rotation = r.rotation;
}

class RectOptions {
public:
    RectOptions(HSQUIRRELVM vm, const ScriptObject& table) : vm_(vm), table_(table) {}

    // The rect a "base…" slot names; null when the slot is missing or null, or after the report
    // of a stale id.
    const SpriteRect* base(const char16_t* name) const {
        const ScriptObject slot = table_.getSlot(name);
        return slot.isNull() ? nullptr : rectArg(vm_, slot.asUserPointer());
    }
    // Replaces the value with the slot's number when there is one.
    void read(const char16_t* name, int32_t& value) const {
        const ScriptObject slot = table_.getSlot(name);
        if (isNumber(slot)) value = slot.toInt();
    }
    void read(const char16_t* name, int32_t& value, bool& set) const {
        const ScriptObject slot = table_.getSlot(name);
        if (!isNumber(slot)) return;
        value = slot.toInt();
        set = true;
    }
    void readDegrees(const char16_t* name, float& radians) const {
        const ScriptObject slot = table_.getSlot(name);
        if (isNumber(slot)) radians = slot.toFloat() * kDegreesToRadians;
    }

private:
    static bool isNumber(const ScriptObject& slot) {
        return slot.getType() == OT_INTEGER || slot.getType() == OT_FLOAT;
    }

    HSQUIRRELVM vm_;
    const ScriptObject& table_;
};

// The options in their fixed order: "base", the single "base…" groups, then single values.
RectValues readOptions(const RectOptions& options, const SpriteRectImage& image) {
    RectValues v;
    v.mapWidth = static_cast<int32_t>(image.width);
    v.mapHeight = static_cast<int32_t>(image.height);
    if (const SpriteRect* base = options.base(u"base")) {
        v.level = base->level;
        copyMap(v, *base);
        copyPivot(v, *base);
        copyDraw(v, *base);
        v.blend = base->blend;
    }
    if (const SpriteRect* base = options.base(u"baseLevel")) v.level = base->level;
    if (const SpriteRect* base = options.base(u"baseMap")) copyMap(v, *base);
    if (const SpriteRect* base = options.base(u"basePivot")) copyPivot(v, *base);
    if (const SpriteRect* base = options.base(u"baseDraw")) copyDraw(v, *base);
    if (const SpriteRect* base = options.base(u"baseBlend")) v.blend = base->blend;
    options.read(u"level", v.level);
    options.read(u"mapX", v.mapX);
    options.read(u"mapY", v.mapY);
    options.read(u"mapWidth", v.mapWidth);
    options.read(u"mapHeight", v.mapHeight);
    options.read(u"pivotX", v.pivotX);
    options.read(u"pivotY", v.pivotY);
    options.read(u"drawX", v.drawX);
    options.read(u"drawY", v.drawY);
    options.read(u"drawWidth", v.drawWidth, v.drawWidthSet);
    options.read(u"drawHeight", v.drawHeight, v.drawHeightSet);
    options.readDegrees(u"drawRotation", v.rotation);
    options.read(u"blend", v.blend);
    if (!v.drawWidthSet) v.drawWidth = v.mapWidth;
    if (!v.drawHeightSet) v.drawHeight = v.mapHeight;
    return v;
}

void* spriteCreateRect(HSQUIRRELVM vm, void* rendererHandle, void* imageHandle,
                       ScriptObject options) {
    SpriteRectRenderer* renderer = rendererArg(vm, rendererHandle);
    SpriteRectImage* image = imageArg(vm, imageHandle);
    if (!renderer || !image) return nullptr;
    const RectValues v = readOptions(RectOptions(vm, options), *image);
    SpriteRectLayer& layer = *renderer->layer;
    SpriteRect* rect = layer.createRect(renderer, image);
    if (!rect) return nullptr;
    if (!rect->id) {  // every id is taken: a rect no script could name is not kept
        layer.releaseRect(rect);
        return nullptr;
    }
    // The level array has exactly level-count slots: the level is clamped into it.
    spriteRectSetLevel(rect, v.level);
    rect->mapX = v.mapX;
    rect->mapY = v.mapY;
    rect->mapWidth = v.mapWidth;
    rect->mapHeight = v.mapHeight;
    rect->pivotX = v.pivotX;
    rect->pivotY = v.pivotY;
    rect->drawX = v.drawX;
    rect->drawY = v.drawY;
    rect->drawWidth = v.drawWidth;
    rect->drawHeight = v.drawHeight;
    rect->rotation = v.rotation;
    rect->blend = v.blend;
    rect->flags |= SPRITE_RECT_POSITIONS_DIRTY | SPRITE_RECT_UVS_DIRTY;
    return spriteRectHandle(rect);
}

void spriteDestroyRect(HSQUIRRELVM vm, void* handle) {
    if (SpriteRect* rect = rectArg(vm, handle)) rect->renderer->layer->releaseRect(rect);
}

}  // namespace

void registerRectCreateNatives(const ScriptObject& root) {
    root.addFunction(u"spriteCreateRect", &spriteCreateRect)
        .addFunction(u"spriteDestroyRect", &spriteDestroyRect);
}

}  // namespace sprite_rect_natives
