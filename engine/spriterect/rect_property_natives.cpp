// A rect's level, visibility, pivot, draw rectangle and rotation, map rectangle, mirroring,
// colour and blend. Setters of positions mark them for rebuilding (0x20), setters of the map
// mark the texture coordinates (0x40); the blend needs no rebuild.
#include "engine/script/script_native.h"
#include "engine/spriterect/rect_native_support.h"

namespace sprite_rect_natives {
namespace {

using Field = int32_t SpriteRect::*;

template <Field F>
int32_t getInt(HSQUIRRELVM vm, void* handle) {
    const SpriteRect* rect = rectArg(vm, handle);
    return rect ? rect->*F : 0;
}

template <Field F, uint32_t Dirty>
void setInt(HSQUIRRELVM vm, void* handle, int32_t value) {
    if (SpriteRect* rect = rectArg(vm, handle)) {
        rect->*F = value;
        rect->flags |= Dirty;
    }
}

template <uint32_t Flag, uint32_t Dirty>
void setFlag(HSQUIRRELVM vm, void* handle, bool on) {
    if (SpriteRect* rect = rectArg(vm, handle)) {
        rect->flags = (on ? rect->flags | Flag : rect->flags & ~Flag) | Dirty;
    }
}

// Fields read and written together, with their table slot names.
struct FieldGroup {
    Field fields[4];
    const char16_t* names[4];
    int count;
    uint32_t dirty;
};

constexpr uint32_t kPositions = SPRITE_RECT_POSITIONS_DIRTY;
constexpr uint32_t kUvs = SPRITE_RECT_UVS_DIRTY;

constexpr FieldGroup kPivotPos{
    {&SpriteRect::pivotX, &SpriteRect::pivotY}, {u"x", u"y"}, 2, kPositions};
constexpr FieldGroup kDrawPos{
    {&SpriteRect::drawX, &SpriteRect::drawY}, {u"x", u"y"}, 2, kPositions};
constexpr FieldGroup kDrawSize{
    {&SpriteRect::drawWidth, &SpriteRect::drawHeight}, {u"width", u"height"}, 2, kPositions};
constexpr FieldGroup kDrawPosSize{
    {&SpriteRect::drawX, &SpriteRect::drawY, &SpriteRect::drawWidth, &SpriteRect::drawHeight},
    {u"x", u"y", u"width", u"height"},
    4,
    kPositions};
constexpr FieldGroup kMapPos{{&SpriteRect::mapX, &SpriteRect::mapY}, {u"x", u"y"}, 2, kUvs};
constexpr FieldGroup kMapSize{
    {&SpriteRect::mapWidth, &SpriteRect::mapHeight}, {u"width", u"height"}, 2, kUvs};
constexpr FieldGroup kMapPosSize{
    {&SpriteRect::mapX, &SpriteRect::mapY, &SpriteRect::mapWidth, &SpriteRect::mapHeight},
    {u"x", u"y", u"width", u"height"},
    4,
    kUvs};

template <const FieldGroup& G>
ScriptObject getGroup(HSQUIRRELVM vm, void* handle) {
    const SpriteRect* rect = rectArg(vm, handle);
    ScriptObject table = ScriptObject::newTable(vm);
    for (int i = 0; i < G.count; ++i) table.setInt(G.names[i], rect ? rect->*G.fields[i] : 0);
    return table;
}

void setGroup(HSQUIRRELVM vm, void* handle, const FieldGroup& group,
              std::initializer_list<int32_t> values) {
    SpriteRect* rect = rectArg(vm, handle);
    if (!rect) return;
    int i = 0;
    for (int32_t value : values) rect->*group.fields[i++] = value;
    rect->flags |= group.dirty;
}

template <const FieldGroup& G>
void setPair(HSQUIRRELVM vm, void* handle, int32_t a, int32_t b) {
    setGroup(vm, handle, G, {a, b});
}

template <const FieldGroup& G>
void setQuad(HSQUIRRELVM vm, void* handle, int32_t a, int32_t b, int32_t c, int32_t d) {
    setGroup(vm, handle, G, {a, b, c, d});
}

int32_t spriteGetRectLevel(HSQUIRRELVM vm, void* handle) {
    const SpriteRect* rect = rectArg(vm, handle);
    return rect ? rect->level : 0;
}

void spriteSetRectLevel(HSQUIRRELVM vm, void* handle, int32_t level) {
    if (SpriteRect* rect = rectArg(vm, handle)) spriteRectSetLevel(rect, level);
}

float spriteGetRectDrawRotation(HSQUIRRELVM vm, void* handle) {
    const SpriteRect* rect = rectArg(vm, handle);
    return rect ? rect->rotation * kRadiansToDegrees : 0.0f;
}

void spriteSetRectDrawRotation(HSQUIRRELVM vm, void* handle, float degrees) {
    if (SpriteRect* rect = rectArg(vm, handle)) {
        rect->rotation = degrees * kDegreesToRadians;
        rect->flags |= kPositions;
    }
}

void spriteSetRectColor(HSQUIRRELVM vm, void* handle, float r, float g, float b) {
    if (SpriteRect* rect = rectArg(vm, handle)) spriteRectSetColor(rect, r, g, b);
}

void spriteSetRectAlpha(HSQUIRRELVM vm, void* handle, float a) {
    if (SpriteRect* rect = rectArg(vm, handle)) spriteRectSetAlpha(rect, a);
}

}  // namespace

void registerRectPropertyNatives(const ScriptObject& root) {
    using R = SpriteRect;
    root.addFunction(u"spriteGetRectLevel", &spriteGetRectLevel)
        .addFunction(u"spriteSetRectLevel", &spriteSetRectLevel)
        .addFunction(u"spriteSetRectEnable", &setFlag<SPRITE_RECT_ENABLED, 0>)
        .addFunction(u"spriteGetRectPivotX", &getInt<&R::pivotX>)
        .addFunction(u"spriteGetRectPivotY", &getInt<&R::pivotY>)
        .addFunction(u"spriteSetRectPivotX", &setInt<&R::pivotX, kPositions>)
        .addFunction(u"spriteSetRectPivotY", &setInt<&R::pivotY, kPositions>)
        .addFunction(u"spriteGetRectPivotPos", &getGroup<kPivotPos>)
        .addFunction(u"spriteSetRectPivotPos", &setPair<kPivotPos>)
        .addFunction(u"spriteSetRectDrawReverseX", &setFlag<SPRITE_RECT_DRAW_REVERSE_X, kPositions>)
        .addFunction(u"spriteSetRectDrawReverseY", &setFlag<SPRITE_RECT_DRAW_REVERSE_Y, kPositions>)
        .addFunction(u"spriteGetRectDrawX", &getInt<&R::drawX>)
        .addFunction(u"spriteGetRectDrawY", &getInt<&R::drawY>)
        .addFunction(u"spriteGetRectDrawWidth", &getInt<&R::drawWidth>)
        .addFunction(u"spriteGetRectDrawHeight", &getInt<&R::drawHeight>)
        .addFunction(u"spriteSetRectDrawX", &setInt<&R::drawX, kPositions>)
        .addFunction(u"spriteSetRectDrawY", &setInt<&R::drawY, kPositions>)
        .addFunction(u"spriteSetRectDrawWidth", &setInt<&R::drawWidth, kPositions>)
        .addFunction(u"spriteSetRectDrawHeight", &setInt<&R::drawHeight, kPositions>)
        .addFunction(u"spriteGetRectDrawPos", &getGroup<kDrawPos>)
        .addFunction(u"spriteSetRectDrawPos", &setPair<kDrawPos>)
        .addFunction(u"spriteGetRectDrawSize", &getGroup<kDrawSize>)
        .addFunction(u"spriteSetRectDrawSize", &setPair<kDrawSize>)
        .addFunction(u"spriteGetRectDrawPosSize", &getGroup<kDrawPosSize>)
        .addFunction(u"spriteSetRectDrawPosSize", &setQuad<kDrawPosSize>)
        .addFunction(u"spriteGetRectDrawRotation", &spriteGetRectDrawRotation)
        .addFunction(u"spriteSetRectDrawRotation", &spriteSetRectDrawRotation)
        .addFunction(u"spriteSetRectMapReverseX", &setFlag<SPRITE_RECT_MAP_REVERSE_X, kUvs>)
        .addFunction(u"spriteSetRectMapReverseY", &setFlag<SPRITE_RECT_MAP_REVERSE_Y, kUvs>)
        .addFunction(u"spriteGetRectMapX", &getInt<&R::mapX>)
        .addFunction(u"spriteGetRectMapY", &getInt<&R::mapY>)
        .addFunction(u"spriteGetRectMapWidth", &getInt<&R::mapWidth>)
        .addFunction(u"spriteGetRectMapHeight", &getInt<&R::mapHeight>)
        .addFunction(u"spriteSetRectMapX", &setInt<&R::mapX, kUvs>)
        .addFunction(u"spriteSetRectMapY", &setInt<&R::mapY, kUvs>)
        .addFunction(u"spriteSetRectMapWidth", &setInt<&R::mapWidth, kUvs>)
        .addFunction(u"spriteSetRectMapHeight", &setInt<&R::mapHeight, kUvs>)
        .addFunction(u"spriteGetRectMapPos", &getGroup<kMapPos>)
        .addFunction(u"spriteSetRectMapPos", &setPair<kMapPos>)
        .addFunction(u"spriteGetRectMapSize", &getGroup<kMapSize>)
        .addFunction(u"spriteSetRectMapSize", &setPair<kMapSize>)
        .addFunction(u"spriteGetRectMapPosSize", &getGroup<kMapPosSize>)
        .addFunction(u"spriteSetRectMapPosSize", &setQuad<kMapPosSize>)
        .addFunction(u"spriteSetRectColor", &spriteSetRectColor)
        .addFunction(u"spriteSetRectAlpha", &spriteSetRectAlpha)
        .addFunction(u"spriteGetRectBlend", &getInt<&R::blend>)
        .addFunction(u"spriteSetRectBlend", &setInt<&R::blend, 0>);
}

}  // namespace sprite_rect_natives
