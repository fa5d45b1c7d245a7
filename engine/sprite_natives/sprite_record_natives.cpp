// Sprites: creation with its option table, the tree, and every field's getter and setter.
#include "engine/script/script_native.h"
#include "engine/sprite_natives/native_support.h"
#include "engine/sprite_natives/sprite_copy.h"
#include "framework/sprite/sprite.h"

namespace sprite_natives {
namespace {

constexpr float kRadiansPerDegree = 0.017453292f;
constexpr float kDegreesPerRadian = 57.29578f;
constexpr int32_t kTransformValues = 12;

void markDirty(PEL_SPRITE* sprite) { sprite->flags |= PEL_SPRITE_DIRTY; }

// The rect or parent as the script's id, or null (none, or one the script no longer holds).
template <typename T>
ScriptObject idObject(HSQUIRRELVM vm, SpriteIds<T> SpriteHandles::*table, T* record) {
    Engine* engine = callingEngine(vm);
    const uint32_t id = engine && record ? (spriteHandlesOf(engine).*table).idOf(record) : 0;
    return id ? ScriptObject::fromUserPointer(vm, pointerOf(id)) : ScriptObject::makeNull(vm);
}

// The 12 values of an array: element k is row k % 4, column k / 4 of the row-vector matrix.
void setTransform(PEL_SPRITE* sprite, const ScriptObject& values) {
    if (values.isNull()) {
        pelSpriteSetTransform(sprite, nullptr);
        return;
    }
    float matrix[4][3];
    for (int32_t k = 0; k < kTransformValues; ++k) {
        matrix[k % 4][k / 4] = values.getFloatAtOr(k, 0.0f);
    }
    pelSpriteSetTransform(sprite, &matrix[0][0]);
}

using RotationSetter = void (*)(PEL_SPRITE*, float);
constexpr RotationSetter kRotationSetters[3] = {&pelSpriteSetRotationX, &pelSpriteSetRotationY,
                                                &pelSpriteSetRotationZ};

void setRotationDegrees(PEL_SPRITE* sprite, int axis, float degrees) {
    kRotationSetters[axis](sprite, degrees * kRadiansPerDegree);
}

// The option table of spriteCreate, in its order: bases, tree, values, animation.
void applyOptions(HSQUIRRELVM vm, const Engine& engine, PEL_SPRITE* sprite,
                  const ScriptObject& table) {
    const Options options{engine, table};
    auto spriteAt = [&](const ScriptObject& slot) -> PEL_SPRITE* {
        return slot.isNull() ? nullptr : spriteArg(vm, slot.asUserPointer());
    };
    struct BaseOption {
        const char16_t* name;
        uint32_t parts;
    };
    const BaseOption bases[] = {{nullptr, kCopyAll},
                                {u"baseBase", kCopyBase},
                                {u"basePos", kCopyPosition},
                                {u"baseScale", kCopyScale},
                                {u"baseRotation", kCopyRotation},
                                {u"baseAnimation", kCopyAnimation}};
    for (const BaseOption& base : bases) {
        const ScriptObject slot = base.name ? table.getSlot(base.name)
                                            : table.getObjectByKey(engine.key(EngineKey::Base));
        if (PEL_SPRITE* source = spriteAt(slot)) copySprite(sprite, source, base.parts);
    }
    // A slot holding null counts as absent, so these options never detach.
    if (options.has(u"rect")) {
        pelSpriteSetRect(sprite, lookup(vm, &SpriteHandles::rects,
                                        table.getSlot(u"rect").asUserPointer(), u"sprite rect"));
    }
    if (options.has(u"parentSprite"))
        pelSpriteSetParent(sprite, spriteAt(table.getSlot(u"parentSprite")));
    if (options.has(EngineKey::Level)) {
        pelSpriteSetLevel(sprite, static_cast<uint32_t>(options.getInt(EngineKey::Level, 0)));
    }
    if (options.has(EngineKey::Show)) {
        pelSpriteSetShow(sprite, table.getBoolByKey(engine.key(EngineKey::Show)));
    }
    struct FloatOption {
        const char16_t* name;
        float PEL_SPRITE::*field;
    };
    for (const FloatOption& value :
         {FloatOption{u"posX", &PEL_SPRITE::x}, FloatOption{u"posY", &PEL_SPRITE::y},
          FloatOption{u"scaleX", &PEL_SPRITE::scaleX},
          FloatOption{u"scaleY", &PEL_SPRITE::scaleY}}) {
        if (options.has(value.name)) sprite->*value.field = table.getFloat(value.name);
    }
    const char16_t* const rotations[3] = {u"rotationX", u"rotationY", u"rotationZ"};
    for (int axis = 0; axis < 3; ++axis) {
        if (options.has(rotations[axis])) {
            setRotationDegrees(sprite, axis, table.getFloat(rotations[axis]));
        }
    }
    if (options.has(u"blend")) sprite->blend = table.getInt(u"blend");
    if (options.has(u"alphatest")) sprite->alphaTest = table.getInt(u"alphatest");
    if (options.has(u"alphatestThreshold")) {
        sprite->alphaReference = table.getFloat(u"alphatestThreshold");
    }
    if (options.has(u"scaling")) sprite->scaling = table.getInt(u"scaling");
    struct KeyedFloat {
        EngineKey key;
        float PEL_SPRITE::*field;
    };
    for (const KeyedFloat& value : {KeyedFloat{EngineKey::ColorRed, &PEL_SPRITE::red},
                                    KeyedFloat{EngineKey::ColorGreen, &PEL_SPRITE::green},
                                    KeyedFloat{EngineKey::ColorBlue, &PEL_SPRITE::blue},
                                    KeyedFloat{EngineKey::Alpha, &PEL_SPRITE::alpha}}) {
        if (options.has(value.key)) sprite->*value.field = options.getFloat(value.key, 0.0f);
    }
    // A mirror option changes its own flag; the other of the pair keeps its value.
    auto setPair = [&](const char16_t* first, const char16_t* second, uint32_t firstFlag,
                       uint32_t secondFlag, void (*set)(PEL_SPRITE*, bool, bool)) {
        if (!options.has(first) && !options.has(second)) return;
        const bool a = options.has(first) ? table.getBool(first) : (sprite->flags & firstFlag);
        const bool b = options.has(second) ? table.getBool(second) : (sprite->flags & secondFlag);
        set(sprite, a, b);
    };
    setPair(u"reverseX", u"reverseY", PEL_SPRITE_MIRROR_X, PEL_SPRITE_MIRROR_Y,
            &pelSpriteSetReverse);
    if (options.has(u"transform")) setTransform(sprite, table.getSlot(u"transform"));
    setPair(u"rectReverseX", u"rectReverseY", PEL_SPRITE_RECT_MIRROR_U, PEL_SPRITE_RECT_MIRROR_V,
            &pelSpriteSetRectReverse);
    if (options.has(u"animationSpeed")) sprite->animationSpeed = table.getFloat(u"animationSpeed");
    if (options.has(u"animation")) {
        pelSpriteSetAnimation(
            sprite, lookup(vm, &SpriteHandles::animations,
                           table.getSlot(u"animation").asUserPointer(), u"sprite animation"));
    }
    markDirty(sprite);
}

void* spriteCreate(HSQUIRRELVM vm, void* rendererId, ScriptObject table) {
    Engine* engine = callingEngine(vm);
    PEL_SPRITE_RENDERER* renderer =
        lookup(vm, &SpriteHandles::renderers, rendererId, u"sprite renderer");
    PEL_SPRITE* sprite = engine && renderer ? pelSpriteCreate(renderer) : nullptr;
    if (!sprite) {
        reportCreateFailure("spriteCreate", u"Error: [%s] スプライトの作成に失敗しました");
        return nullptr;
    }
    if (!table.isNull()) applyOptions(vm, *engine, sprite, table);
    return issue(vm, &SpriteHandles::sprites, sprite);
}

void spriteRelease(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    if (!sprite) return;
    if (releaseScriptCount(vm, &SpriteHandles::sprites, sprite)) pelSpriteRelease(sprite);
}

ScriptObject spriteGetRect(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    return idObject(vm, &SpriteHandles::rects, sprite ? sprite->rect : nullptr);
}
ScriptObject spriteGetParent(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    return idObject(vm, &SpriteHandles::sprites, sprite ? sprite->parent : nullptr);
}
void spriteSetRect(HSQUIRRELVM vm, void* id, ScriptObject value) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    if (!sprite) return;
    if (value.isNull()) {
        pelSpriteSetRect(sprite, nullptr);
    } else if (PEL_SPRITE_RECT* rect =
                   lookup(vm, &SpriteHandles::rects, value.asUserPointer(), u"sprite rect")) {
        pelSpriteSetRect(sprite, rect);
    }
}
void spriteSetParent(HSQUIRRELVM vm, void* id, ScriptObject value) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    if (!sprite) return;
    if (value.isNull()) {
        pelSpriteSetParent(sprite, nullptr);
    } else if (PEL_SPRITE* parent = spriteArg(vm, value.asUserPointer())) {
        pelSpriteSetParent(sprite, parent);
    }
}

int32_t spriteGetLevel(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    return sprite ? static_cast<int32_t>(sprite->level) : 0;
}
void spriteSetLevel(HSQUIRRELVM vm, void* id, int32_t level) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) {
        pelSpriteSetLevel(sprite, static_cast<uint32_t>(level));
    }
}
bool spriteIsShow(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    return sprite && (sprite->flags & PEL_SPRITE_SHOWN);
}
void spriteSetShow(HSQUIRRELVM vm, void* id, bool show) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) pelSpriteSetShow(sprite, show);
}

// Plain fields: the getter reads, the setter stores and marks the sprite dirty.
template <typename T, T PEL_SPRITE::*Field>
T getField(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    return sprite ? sprite->*Field : T{};
}
template <typename T, T PEL_SPRITE::*Field>
void setField(HSQUIRRELVM vm, void* id, T value) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) {
        sprite->*Field = value;
        markDirty(sprite);
    }
}
template <float PEL_SPRITE::*First, float PEL_SPRITE::*Second>
void setPair(HSQUIRRELVM vm, void* id, float first, float second) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) {
        sprite->*First = first;
        sprite->*Second = second;
        markDirty(sprite);
    }
}
// A table {x, y} of the two fields.
template <float PEL_SPRITE::*First, float PEL_SPRITE::*Second>
ScriptObject getPair(HSQUIRRELVM vm, void* id) {
    ScriptObject table = ScriptObject::newTable(vm);
    PEL_SPRITE* sprite = spriteArg(vm, id);
    Engine* engine = callingEngine(vm);
    if (sprite && engine) {
        table.setFloatByKey(engine->key(EngineKey::X), sprite->*First);
        table.setFloatByKey(engine->key(EngineKey::Y), sprite->*Second);
    }
    return table;
}

template <int Axis>
float getRotation(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    if (!sprite) return 0.0f;
    const float radians[3] = {sprite->rotationX, sprite->rotationY, sprite->rotationZ};
    return radians[Axis] * kDegreesPerRadian;
}
template <int Axis>
void setRotation(HSQUIRRELVM vm, void* id, float degrees) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) setRotationDegrees(sprite, Axis, degrees);
}

void spriteSetAlphatest(HSQUIRRELVM vm, void* id, int32_t mode, float reference) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) {
        sprite->alphaTest = mode;
        sprite->alphaReference = reference;
        markDirty(sprite);
    }
}

ScriptObject spriteGetColor(HSQUIRRELVM vm, void* id) {
    ScriptObject table = ScriptObject::newTable(vm);
    PEL_SPRITE* sprite = spriteArg(vm, id);
    Engine* engine = callingEngine(vm);
    if (sprite && engine) {
        table.setFloatByKey(engine->key(EngineKey::Red), sprite->red);
        table.setFloatByKey(engine->key(EngineKey::Green), sprite->green);
        table.setFloatByKey(engine->key(EngineKey::Blue), sprite->blue);
    }
    return table;
}
void spriteSetColor(HSQUIRRELVM vm, void* id, float red, float green, float blue) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) {
        sprite->red = red;
        sprite->green = green;
        sprite->blue = blue;
        markDirty(sprite);
    }
}

template <uint32_t Flag>
bool isFlag(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    return sprite && (sprite->flags & Flag);
}
template <uint32_t Flag>
void setFlag(HSQUIRRELVM vm, void* id, bool on) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) {
        sprite->flags = on ? sprite->flags | Flag : sprite->flags & ~Flag;
        markDirty(sprite);
    }
}
// A table {x, y} of the two flags.
template <uint32_t FlagX, uint32_t FlagY>
ScriptObject getFlags(HSQUIRRELVM vm, void* id) {
    ScriptObject table = ScriptObject::newTable(vm);
    PEL_SPRITE* sprite = spriteArg(vm, id);
    Engine* engine = callingEngine(vm);
    if (sprite && engine) {
        table.setBoolByKey(engine->key(EngineKey::X), (sprite->flags & FlagX) != 0);
        table.setBoolByKey(engine->key(EngineKey::Y), (sprite->flags & FlagY) != 0);
    }
    return table;
}
void spriteSetReverse(HSQUIRRELVM vm, void* id, bool x, bool y) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) pelSpriteSetReverse(sprite, x, y);
}
void spriteSetRectReverse(HSQUIRRELVM vm, void* id, bool u, bool v) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) pelSpriteSetRectReverse(sprite, u, v);
}

ScriptObject spriteGetTransform(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE* sprite = spriteArg(vm, id);
    if (!sprite || !(sprite->flags & PEL_SPRITE_TRANSFORM)) return ScriptObject::makeNull(vm);
    ScriptObject values = ScriptObject::newArray(vm, kTransformValues);
    for (int32_t k = 0; k < kTransformValues; ++k) {
        values.setFloatAt(k, sprite->transform[k % 4][k / 4]);
    }
    return values;
}
void spriteSetTransform(HSQUIRRELVM vm, void* id, ScriptObject values) {
    if (PEL_SPRITE* sprite = spriteArg(vm, id)) setTransform(sprite, values);
}

}  // namespace

void registerSpriteRecordNatives(const ScriptObject& root) {
    using S = PEL_SPRITE;
    root.addFunction(u"spriteCreate", &spriteCreate)
        .addFunction(u"spriteRelease", &spriteRelease)
        .addFunction(u"spriteGetRect", &spriteGetRect)
        .addFunction(u"spriteSetRect", &spriteSetRect)
        .addFunction(u"spriteGetParent", &spriteGetParent)
        .addFunction(u"spriteSetParent", &spriteSetParent)
        .addFunction(u"spriteGetLevel", &spriteGetLevel)
        .addFunction(u"spriteSetLevel", &spriteSetLevel)
        .addFunction(u"spriteIsShow", &spriteIsShow)
        .addFunction(u"spriteSetShow", &spriteSetShow)
        .addFunction(u"spriteGetPosX", &getField<float, &S::x>)
        .addFunction(u"spriteSetPosX", &setField<float, &S::x>)
        .addFunction(u"spriteGetPosY", &getField<float, &S::y>)
        .addFunction(u"spriteSetPosY", &setField<float, &S::y>)
        .addFunction(u"spriteGetPos", &getPair<&S::x, &S::y>)
        .addFunction(u"spriteSetPos", &setPair<&S::x, &S::y>)
        .addFunction(u"spriteGetScaleX", &getField<float, &S::scaleX>)
        .addFunction(u"spriteSetScaleX", &setField<float, &S::scaleX>)
        .addFunction(u"spriteGetScaleY", &getField<float, &S::scaleY>)
        .addFunction(u"spriteSetScaleY", &setField<float, &S::scaleY>)
        .addFunction(u"spriteGetScale", &getPair<&S::scaleX, &S::scaleY>)
        .addFunction(u"spriteSetScale", &setPair<&S::scaleX, &S::scaleY>)
        .addFunction(u"spriteGetRotationX", &getRotation<0>)
        .addFunction(u"spriteSetRotationX", &setRotation<0>)
        .addFunction(u"spriteGetRotationY", &getRotation<1>)
        .addFunction(u"spriteSetRotationY", &setRotation<1>)
        .addFunction(u"spriteGetRotationZ", &getRotation<2>)
        .addFunction(u"spriteSetRotationZ", &setRotation<2>)
        .addFunction(u"spriteGetBlend", &getField<int32_t, &S::blend>)
        .addFunction(u"spriteSetBlend", &setField<int32_t, &S::blend>)
        .addFunction(u"spriteGetScaling", &getField<int32_t, &S::scaling>)
        .addFunction(u"spriteSetScaling", &setField<int32_t, &S::scaling>)
        .addFunction(u"spriteGetAlphatest", &getField<int32_t, &S::alphaTest>)
        .addFunction(u"spriteGetAlphatestThreshold", &getField<float, &S::alphaReference>)
        .addFunction(u"spriteSetAlphatest", &spriteSetAlphatest)
        .addFunction(u"spriteGetColorRed", &getField<float, &S::red>)
        .addFunction(u"spriteSetColorRed", &setField<float, &S::red>)
        .addFunction(u"spriteGetColorGreen", &getField<float, &S::green>)
        .addFunction(u"spriteSetColorGreen", &setField<float, &S::green>)
        .addFunction(u"spriteGetColorBlue", &getField<float, &S::blue>)
        .addFunction(u"spriteSetColorBlue", &setField<float, &S::blue>)
        .addFunction(u"spriteGetAlpha", &getField<float, &S::alpha>)
        .addFunction(u"spriteSetAlpha", &setField<float, &S::alpha>)
        .addFunction(u"spriteGetColor", &spriteGetColor)
        .addFunction(u"spriteSetColor", &spriteSetColor)
        .addFunction(u"spriteIsReverseX", &isFlag<PEL_SPRITE_MIRROR_X>)
        .addFunction(u"spriteSetReverseX", &setFlag<PEL_SPRITE_MIRROR_X>)
        .addFunction(u"spriteIsReverseY", &isFlag<PEL_SPRITE_MIRROR_Y>)
        .addFunction(u"spriteSetReverseY", &setFlag<PEL_SPRITE_MIRROR_Y>)
        .addFunction(u"spriteIsReverse", &getFlags<PEL_SPRITE_MIRROR_X, PEL_SPRITE_MIRROR_Y>)
        .addFunction(u"spriteSetReverse", &spriteSetReverse)
        .addFunction(u"spriteIsRectReverseX", &isFlag<PEL_SPRITE_RECT_MIRROR_U>)
        .addFunction(u"spriteSetRectReverseX", &setFlag<PEL_SPRITE_RECT_MIRROR_U>)
        .addFunction(u"spriteIsRectReverseY", &isFlag<PEL_SPRITE_RECT_MIRROR_V>)
        .addFunction(u"spriteSetRectReverseY", &setFlag<PEL_SPRITE_RECT_MIRROR_V>)
        .addFunction(u"spriteIsRectReverse",
                     &getFlags<PEL_SPRITE_RECT_MIRROR_U, PEL_SPRITE_RECT_MIRROR_V>)
        .addFunction(u"spriteSetRectReverse", &spriteSetRectReverse)
        .addFunction(u"spriteGetTransform", &spriteGetTransform)
        .addFunction(u"spriteSetTransform", &spriteSetTransform);
}

}  // namespace sprite_natives
