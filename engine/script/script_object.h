#pragma once
#include <cstdint>

#include "squirrel/squirrel.h"

class File;
class ScriptVM;

// Reports "[] Script Error: " followed by the formatted text at the given level (the empty
// pair of brackets is the context, which the engine always leaves empty).
void scriptReportError(int32_t level, const char16_t* format, ...);

// A script value kept by the engine: the VM it lives in and the Squirrel object. A handle of a
// reference-counted type owns one reference in the VM's reference table. A handle without VM
// (what a failed look-up yields) reads as null: every access through it gives the neutral
// value or the default, without a report.
//
// A handle made on a task thread keeps the VM that owns the thread, so it outlives the task.
// Every operation restores the VM's stack top, on success and on failure; only the push
// operations leave one value, by contract. A handle must be destroyed while its VM lives.
class ScriptObject {
public:
    ScriptObject();
    // Takes a reference of the object.
    ScriptObject(HSQUIRRELVM vm, const HSQOBJECT& object);
    ScriptObject(const ScriptObject& other);
    ScriptObject(ScriptObject&& other) noexcept;
    ScriptObject& operator=(const ScriptObject& other) {
        assign(other);
        return *this;
    }
    ScriptObject& operator=(ScriptObject&& other) noexcept;
    ~ScriptObject() { release(); }

    static ScriptObject makeNull(HSQUIRRELVM vm);
    // Negative positions count from the top (-1 the top), positive ones from the frame's base.
    static ScriptObject fromStack(HSQUIRRELVM vm, int32_t index);
    static ScriptObject fromString(HSQUIRRELVM vm, const char16_t* text);
    static ScriptObject fromInt(HSQUIRRELVM vm, int32_t value);
    static ScriptObject fromFloat(HSQUIRRELVM vm, float value);
    static ScriptObject fromBool(HSQUIRRELVM vm, int32_t flag);
    static ScriptObject fromUserPointer(HSQUIRRELVM vm, void* pointer);
    static ScriptObject newTable(HSQUIRRELVM vm);
    static ScriptObject newArray(HSQUIRRELVM vm, int32_t size);
    // A new table delegating to the parent, or to the VM's root table without one.
    static ScriptObject newTableWithDelegate(ScriptVM& vm, const ScriptObject* parent);
    // The closure compiled into an open "cnut" file, read through scriptReadFile.
    static ScriptObject readClosure(File& file, HSQUIRRELVM vm);

    void assign(const ScriptObject& source);
    void release();
    // Releases the value; the handle becomes null of the same VM.
    void reset();
    void assignInt(int32_t value);
    void assignFloat(float value);
    void assignString(const char16_t* text);

    HSQUIRRELVM vm() const { return vm_; }
    const HSQOBJECT& object() const { return object_; }
    bool isNull() const { return object_._type == OT_NULL; }
    // Pushes the value (nothing for a handle without VM).
    void push() const;

    SQObjectType getType() const;
    void* getTypeTag() const;
    int32_t size() const;
    int32_t toInt() const;
    float toFloat() const;
    const char16_t* asString() const;
    void* asUserPointer() const;
    void* getInstanceUp() const;

    // Push the slot's value and return true, or push nothing and return false.
    bool pushSlot(const char16_t* name) const;
    bool pushIndex(int32_t index) const;
    bool pushSlotByKey(const ScriptObject& key) const;

    ScriptObject getSlot(const char16_t* name) const;
    ScriptObject getIndex(int32_t index) const;
    ScriptObject getObjectByKey(const ScriptObject& key) const;
    ScriptObject getSlotOrError(const char16_t* name) const;
    ScriptObject getIndexOrError(int32_t index) const;
    ScriptObject getObjectByKeyOrError(const ScriptObject& key) const;
    bool hasSlot(const char16_t* name) const;
    bool hasSlotByKey(const ScriptObject& key) const;

    int32_t getInt(const char16_t* name) const;
    int32_t getIntByKey(const ScriptObject& key, int32_t fallback) const;
    int32_t getIntAtOr(int32_t index, int32_t fallback) const;
    float getFloat(const char16_t* name) const;
    float getFloatByKey(const ScriptObject& key, float fallback) const;
    float getFloatAtOr(int32_t index, float fallback) const;
    bool getBool(const char16_t* name) const;
    bool getBoolByKey(const ScriptObject& key) const;
    bool getBoolAt(int32_t index) const;
    const char16_t* getString(const char16_t* name) const;
    const char16_t* getStringByKey(const ScriptObject& key) const;
    const char16_t* getStringAt(int32_t index) const;
    void* getUserPointer(const char16_t* name) const;
    void* getUserPointerByKey(const ScriptObject& key) const;

    void setObject(const char16_t* name, const ScriptObject& value) const;
    void setObjectAt(int32_t index, const ScriptObject& value) const;
    void setObjectByKey(const ScriptObject& key, const ScriptObject& value) const;
    void setInt(const char16_t* name, int32_t value) const;
    void setIntByKey(const ScriptObject& key, int32_t value) const;
    void setFloat(const char16_t* name, float value) const;
    void setFloatByKey(const ScriptObject& key, float value) const;
    void setFloatAt(int32_t index, float value) const;
    void setIntAt(int32_t index, int32_t value) const;
    void setStringAt(int32_t index, const char16_t* text) const;
    void setBoolByKey(const ScriptObject& key, bool value) const;
    void setBoolAt(int32_t index, bool value) const;

    void append(const ScriptObject& value) const;
    // Squirrel's own error (a delegate cycle, say) stays in the VM unreported.
    void setDelegate(const ScriptObject& delegate) const;

    // Registers a native (script_native.h) under the name; returns this handle for chaining.
    template <typename Function>
    const ScriptObject& addFunction(const char16_t* name, Function function) const;
    template <typename Method>
    const ScriptObject& addMethod(const char16_t* name, Method method) const;

private:
    // One slot key: a name, a kept key handle or an index.
    struct Key {
        const char16_t* name;
        const ScriptObject* handle;
        int32_t index;
    };

    bool pushKeyed(const Key& key) const;
    ScriptObject getKeyed(const Key& key) const;
    ScriptObject getKeyedOrError(const Key& key) const;
    bool setKeyed(const Key& key, const ScriptObject& value) const;
    void reportKey(const char16_t* what, const Key& key) const;
    void addClosure(const char16_t* name, SQFUNCTION trampoline, const void* address,
                    size_t size) const;

    HSQUIRRELVM vm_;
    HSQOBJECT object_;
};

// The stack of one native call: position 1 is `this`, 2 onward the arguments, top the holder
// of the native's address.
struct ScriptArgs {
    HSQUIRRELVM vm;
    int32_t top;

    SQObjectType getType(int32_t i) const;
    void* getInstanceUp(int32_t i) const;
    float getFloat(int32_t i) const;
    ScriptObject getObject(int32_t i) const;
    int32_t getInt(int32_t i) const;
    bool getBool(int32_t i) const;
    const char16_t* getString(int32_t i) const;
    void* getUserPointer(int32_t i) const;
};

// The value of a float truncated toward zero as the x86 conversion gives it: NaN and values
// outside the 32-bit range give INT32_MIN.
int32_t scriptTruncate(float value);
