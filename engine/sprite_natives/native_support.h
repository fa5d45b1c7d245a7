#pragma once
// What every sprite native shares: the calling engine, its records by id, option reading.
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/script/script_object.h"
#include "engine/sprite_natives/sprite_handles.h"
#include "framework/core/report.h"

namespace sprite_natives {

// The engine whose task runs on the VM, or null (a VM of no engine).
Engine* callingEngine(HSQUIRRELVM vm);

inline uint32_t idOf(void* pointer) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}
inline void* pointerOf(uint32_t id) { return reinterpret_cast<void*>(uintptr_t{id}); }

// The record an id names in the calling engine's table, or null after a level-2 report
// ("invalid <kind>(<id>)").
template <typename T>
T* lookup(HSQUIRRELVM vm, SpriteIds<T> SpriteHandles::*table, void* id, const char16_t* kind);

// A new id for a record in the calling engine's table (0 when none is left).
template <typename T>
void* issue(HSQUIRRELVM vm, SpriteIds<T> SpriteHandles::*table, T* record) {
    Engine* engine = callingEngine(vm);
    return engine ? pointerOf((spriteHandlesOf(engine).*table).insert(record)) : nullptr;
}

// The script's release: drops the script count and, once the script holds the record no more,
// its id; true when the library holds none either (the caller destroys the record).
template <typename T>
bool releaseScriptCount(HSQUIRRELVM vm, SpriteIds<T> SpriteHandles::*table, T* record) {
    if (record->scriptCount <= 0) return false;
    if (--record->scriptCount == 0) {
        if (Engine* engine = callingEngine(vm)) (spriteHandlesOf(engine).*table).remove(record);
    }
    return record->scriptCount + record->internalCount == 0;
}

void reportBadId(const char16_t* kind, void* id);

template <typename T>
T* lookup(HSQUIRRELVM vm, SpriteIds<T> SpriteHandles::*table, void* id, const char16_t* kind) {
    Engine* engine = callingEngine(vm);
    T* record = engine ? (spriteHandlesOf(engine).*table).find(idOf(id)) : nullptr;
    if (!record) reportBadId(kind, id);
    return record;
}

inline PEL_SPRITE* spriteArg(HSQUIRRELVM vm, void* id) {
    return lookup(vm, &SpriteHandles::sprites, id, u"sprite");
}

// Option reading: a slot named by an engine key or by name, with a default when absent.
struct Options {
    const Engine& engine;
    const ScriptObject& table;

    bool has(EngineKey key) const { return table.hasSlotByKey(engine.key(key)); }
    bool has(const char16_t* name) const { return table.hasSlot(name); }
    int32_t getInt(EngineKey key, int32_t fallback) const {
        return table.getIntByKey(engine.key(key), fallback);
    }
    int32_t getInt(const char16_t* name, int32_t fallback) const {
        return has(name) ? table.getInt(name) : fallback;
    }
    float getFloat(EngineKey key, float fallback) const {
        return table.getFloatByKey(engine.key(key), fallback);
    }
    float getFloat(const char16_t* name, float fallback) const {
        return has(name) ? table.getFloat(name) : fallback;
    }
};

// The tag of a failed creation's report: the native's name in its anonymous namespace.
std::string creationTag(const char* native);

// The fatal report of a failed creation.
template <typename... A>
void reportCreateFailure(const char* native, const char16_t* format, A... args) {
    pelReport(PEL_REPORT_ERROR, format, creationTag(native).c_str(), args...);
}

// Registration of the two halves.
void registerResourceNatives(const ScriptObject& root);
void registerSpriteRecordNatives(const ScriptObject& root);

}  // namespace sprite_natives
