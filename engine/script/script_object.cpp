#include "engine/script/script_object.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

#include "engine/script/file.h"
#include "engine/script/script_vm.h"
#include "framework/core/format.h"
#include "framework/core/report.h"

void scriptReportError(int32_t level, const char16_t* format, ...) {
    char16_t text[kPelReportMaxText + 1];
    va_list args;
    va_start(args, format);
    pelVformatCut(text, kPelReportMaxText + 1, format, args);
    va_end(args);
    pelReport(level, u"[%ls] Script Error: %ls", u"", text);
}

int32_t scriptTruncate(float value) {
    if (!(value > -2147483904.0f && value < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

namespace {

// Restores the VM's stack top when it goes out of scope.
class StackGuard {
public:
    explicit StackGuard(HSQUIRRELVM vm) : vm_(vm), top_(sq_gettop(vm)) {}
    ~StackGuard() { sq_settop(vm_, top_); }
    StackGuard(const StackGuard&) = delete;
    StackGuard& operator=(const StackGuard&) = delete;

private:
    HSQUIRRELVM vm_;
    SQInteger top_;
};

HSQOBJECT nullObject() {
    HSQOBJECT object;
    sq_resetobject(&object);
    return object;
}

// Takes the top of the stack as a handle and pops it.
ScriptObject takeTop(HSQUIRRELVM vm) {
    HSQOBJECT object;
    sq_getstackobj(vm, -1, &object);
    ScriptObject handle(vm, object);
    sq_pop(vm, 1);
    return handle;
}

// The VM a handle keeps: a task thread's handles work through the VM that owns the thread, so
// that they stay usable after the task (and its thread) is gone.
HSQUIRRELVM homeVm(HSQUIRRELVM vm) {
    if (!vm) return nullptr;
    const ScriptTaskContext* context = scriptContext(vm);
    return context && context->vm ? context->vm->vm() : vm;
}

}  // namespace

ScriptObject::ScriptObject() : vm_(nullptr), object_(nullObject()) {}

ScriptObject::ScriptObject(HSQUIRRELVM vm, const HSQOBJECT& object)
    : vm_(homeVm(vm)), object_(object) {
    if (vm_) sq_addref(vm_, &object_);
}

ScriptObject::ScriptObject(const ScriptObject& other) : ScriptObject(other.vm_, other.object_) {}

ScriptObject::ScriptObject(ScriptObject&& other) noexcept : vm_(other.vm_), object_(other.object_) {
    other.object_ = nullObject();
}

ScriptObject& ScriptObject::operator=(ScriptObject&& other) noexcept {
    if (this != &other) {
        release();
        vm_ = other.vm_;
        object_ = other.object_;
        other.object_ = nullObject();
    }
    return *this;
}

void ScriptObject::assign(const ScriptObject& source) {
    HSQOBJECT object = source.object_;
    if (source.vm_) sq_addref(source.vm_, &object);
    release();
    vm_ = source.vm_;
    object_ = object;
}

void ScriptObject::release() {
    if (vm_ && ISREFCOUNTED(object_._type)) sq_release(vm_, &object_);
    object_ = nullObject();
}

void ScriptObject::reset() { release(); }

ScriptObject ScriptObject::makeNull(HSQUIRRELVM vm) { return ScriptObject(vm, nullObject()); }

ScriptObject ScriptObject::fromStack(HSQUIRRELVM vm, int32_t index) {
    HSQOBJECT object;
    if (SQ_FAILED(sq_getstackobj(vm, index, &object))) return makeNull(vm);
    return ScriptObject(vm, object);
}

ScriptObject ScriptObject::fromString(HSQUIRRELVM vm, const char16_t* text) {
    StackGuard guard(vm);
    sq_pushstring(vm, text, -1);
    return takeTop(vm);
}

ScriptObject ScriptObject::fromInt(HSQUIRRELVM vm, int32_t value) {
    StackGuard guard(vm);
    sq_pushinteger(vm, value);
    return takeTop(vm);
}

ScriptObject ScriptObject::fromFloat(HSQUIRRELVM vm, float value) {
    StackGuard guard(vm);
    sq_pushfloat(vm, value);
    return takeTop(vm);
}

ScriptObject ScriptObject::fromBool(HSQUIRRELVM vm, int32_t flag) {
    StackGuard guard(vm);
    sq_pushbool(vm, flag != 0);
    return takeTop(vm);
}

ScriptObject ScriptObject::fromUserPointer(HSQUIRRELVM vm, void* pointer) {
    StackGuard guard(vm);
    sq_pushuserpointer(vm, pointer);
    return takeTop(vm);
}

ScriptObject ScriptObject::newTable(HSQUIRRELVM vm) {
    StackGuard guard(vm);
    sq_newtable(vm);
    return takeTop(vm);
}

ScriptObject ScriptObject::newArray(HSQUIRRELVM vm, int32_t size) {
    StackGuard guard(vm);
    sq_newarray(vm, size < 0 ? 0 : size);
    return takeTop(vm);
}

ScriptObject ScriptObject::newTableWithDelegate(ScriptVM& vm, const ScriptObject* parent) {
    ScriptObject table = newTable(vm.vm());
    table.setDelegate(parent ? *parent : vm.root());
    return table;
}

ScriptObject ScriptObject::readClosure(File& file, HSQUIRRELVM vm) {
    StackGuard guard(vm);
    if (SQ_FAILED(sq_readclosure(vm, scriptReadFile, &file))) {
        scriptReportError(PEL_REPORT_ERROR, u"can't read a closure");
        return ScriptObject();
    }
    return takeTop(vm);
}

void ScriptObject::assignInt(int32_t value) {
    if (vm_) assign(fromInt(vm_, value));
}

void ScriptObject::assignFloat(float value) {
    if (vm_) assign(fromFloat(vm_, value));
}

void ScriptObject::assignString(const char16_t* text) {
    if (vm_) assign(fromString(vm_, text));
}

void ScriptObject::push() const {
    if (vm_) sq_pushobject(vm_, object_);
}

SQObjectType ScriptObject::getType() const {
    if (!vm_) return OT_NULL;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    return sq_gettype(vm_, -1);
}

void* ScriptObject::getTypeTag() const {
    if (!vm_) return nullptr;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    SQUserPointer tag = nullptr;
    if (SQ_FAILED(sq_gettypetag(vm_, -1, &tag))) {
        scriptReportError(PEL_REPORT_ERROR, u"can't get object type tag");
        return nullptr;
    }
    return tag;
}

int32_t ScriptObject::size() const {
    if (!vm_) return 0;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    const SQInteger size = sq_getsize(vm_, -1);
    if (size < 0) scriptReportError(PEL_REPORT_ERROR, u"can't get object size");
    return size;
}

int32_t ScriptObject::toInt() const {
    if (object_._type == OT_INTEGER) return object_._unVal.nInteger;
    if (object_._type == OT_FLOAT) return scriptTruncate(object_._unVal.fFloat);
    return 0;
}

float ScriptObject::toFloat() const {
    if (object_._type == OT_FLOAT) return object_._unVal.fFloat;
    if (object_._type == OT_INTEGER) return static_cast<float>(object_._unVal.nInteger);
    return 0.0f;
}

const char16_t* ScriptObject::asString() const {
    if (!vm_ || object_._type != OT_STRING) return u"";
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    const SQChar* text = u"";
    sq_getstring(vm_, -1, &text);
    return text;
}

void* ScriptObject::asUserPointer() const {
    if (!vm_) return nullptr;
    if (object_._type != OT_USERPOINTER) {
        scriptReportError(PEL_REPORT_ERROR, u"can't get user pointer");
        return nullptr;
    }
    return object_._unVal.pUserPointer;
}

void* ScriptObject::getInstanceUp() const {
    if (!vm_) return nullptr;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    SQUserPointer pointer = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm_, -1, &pointer, nullptr))) {
        sq_throwerror(vm_, u"the object is not a class instance");
        scriptReportError(PEL_REPORT_ERROR, u"can't get instance up");
        return nullptr;
    }
    return pointer;
}

bool ScriptObject::pushKeyed(const Key& key) const {
    if (!vm_) return false;
    const SQInteger top = sq_gettop(vm_);
    sq_pushobject(vm_, object_);
    if (key.name) {
        sq_pushstring(vm_, key.name, -1);
    } else if (key.handle) {
        sq_pushobject(vm_, key.handle->object_);
    } else {
        sq_pushinteger(vm_, key.index);
    }
    if (SQ_SUCCEEDED(sq_get(vm_, -2))) {
        sq_remove(vm_, -2);
        return true;
    }
    sq_settop(vm_, top);
    return false;
}

bool ScriptObject::pushSlot(const char16_t* name) const { return pushKeyed({name, nullptr, 0}); }

bool ScriptObject::pushIndex(int32_t index) const { return pushKeyed({nullptr, nullptr, index}); }

bool ScriptObject::pushSlotByKey(const ScriptObject& key) const {
    return pushKeyed({nullptr, &key, 0});
}

ScriptObject ScriptObject::getKeyed(const Key& key) const {
    if (!vm_) return ScriptObject();
    StackGuard guard(vm_);
    if (!pushKeyed(key)) return ScriptObject();
    return takeTop(vm_);
}

void ScriptObject::reportKey(const char16_t* what, const Key& key) const {
    if (key.name) {
        scriptReportError(PEL_REPORT_ERROR, u"%ls(%ls)", what, key.name);
    } else if (key.handle) {
        scriptReportError(PEL_REPORT_ERROR, u"%ls(%ls)", what, key.handle->asString());
    } else {
        scriptReportError(PEL_REPORT_ERROR, u"%ls(%d)", what, key.index);
    }
}

ScriptObject ScriptObject::getKeyedOrError(const Key& key) const {
    if (!vm_) return ScriptObject();
    ScriptObject value = getKeyed(key);
    if (value.isNull()) {
        reportKey(u"can't find object", key);
        return ScriptObject();
    }
    return value;
}

ScriptObject ScriptObject::getSlot(const char16_t* name) const {
    return getKeyed({name, nullptr, 0});
}
ScriptObject ScriptObject::getIndex(int32_t index) const {
    return getKeyed({nullptr, nullptr, index});
}
ScriptObject ScriptObject::getObjectByKey(const ScriptObject& key) const {
    return getKeyed({nullptr, &key, 0});
}
ScriptObject ScriptObject::getSlotOrError(const char16_t* name) const {
    return getKeyedOrError({name, nullptr, 0});
}
ScriptObject ScriptObject::getIndexOrError(int32_t index) const {
    return getKeyedOrError({nullptr, nullptr, index});
}
ScriptObject ScriptObject::getObjectByKeyOrError(const ScriptObject& key) const {
    return getKeyedOrError({nullptr, &key, 0});
}
bool ScriptObject::hasSlot(const char16_t* name) const { return !getSlot(name).isNull(); }
bool ScriptObject::hasSlotByKey(const ScriptObject& key) const {
    return !getObjectByKey(key).isNull();
}

namespace {

int32_t intOr(const ScriptObject& value, int32_t fallback) {
    const SQObjectType type = value.object()._type;
    return type == OT_INTEGER || type == OT_FLOAT ? value.toInt() : fallback;
}

float floatOr(const ScriptObject& value, float fallback) {
    const SQObjectType type = value.object()._type;
    return type == OT_INTEGER || type == OT_FLOAT ? value.toFloat() : fallback;
}

bool boolOf(const ScriptObject& value) {
    return value.object()._type == OT_BOOL && value.object()._unVal.nInteger != 0;
}

}  // namespace

int32_t ScriptObject::getInt(const char16_t* name) const { return intOr(getSlot(name), 0); }
int32_t ScriptObject::getIntByKey(const ScriptObject& key, int32_t fallback) const {
    return intOr(getObjectByKey(key), fallback);
}
int32_t ScriptObject::getIntAtOr(int32_t index, int32_t fallback) const {
    return intOr(getIndex(index), fallback);
}
float ScriptObject::getFloat(const char16_t* name) const { return floatOr(getSlot(name), 0.0f); }
float ScriptObject::getFloatByKey(const ScriptObject& key, float fallback) const {
    return floatOr(getObjectByKey(key), fallback);
}
float ScriptObject::getFloatAtOr(int32_t index, float fallback) const {
    return floatOr(getIndex(index), fallback);
}
bool ScriptObject::getBool(const char16_t* name) const { return boolOf(getSlot(name)); }
bool ScriptObject::getBoolByKey(const ScriptObject& key) const {
    return boolOf(getObjectByKey(key));
}
bool ScriptObject::getBoolAt(int32_t index) const { return boolOf(getIndex(index)); }
const char16_t* ScriptObject::getString(const char16_t* name) const {
    return getSlot(name).asString();
}
const char16_t* ScriptObject::getStringByKey(const ScriptObject& key) const {
    return getObjectByKey(key).asString();
}
const char16_t* ScriptObject::getStringAt(int32_t index) const {
    return getIndex(index).asString();
}

void* ScriptObject::getUserPointer(const char16_t* name) const {
    if (!vm_) return nullptr;
    const ScriptObject value = getSlot(name);
    if (!value.vm()) {
        scriptReportError(PEL_REPORT_ERROR, u"can't find slot(%ls) for user pointer", name);
        return nullptr;
    }
    return value.asUserPointer();
}

void* ScriptObject::getUserPointerByKey(const ScriptObject& key) const {
    if (!vm_) return nullptr;
    const ScriptObject value = getObjectByKey(key);
    if (!value.vm()) {
        scriptReportError(PEL_REPORT_ERROR, u"can't find slot(%ls) for user pointer",
                          key.asString());
        return nullptr;
    }
    return value.asUserPointer();
}

bool ScriptObject::setKeyed(const Key& key, const ScriptObject& value) const {
    if (!vm_) return false;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    if (key.name) {
        sq_pushstring(vm_, key.name, -1);
    } else if (key.handle) {
        sq_pushobject(vm_, key.handle->object_);
    } else {
        sq_pushinteger(vm_, key.index);
    }
    sq_pushobject(vm_, value.object_);
    if (SQ_SUCCEEDED(sq_rawset(vm_, -3))) return true;
    reportKey(u"can't set value", key);
    return false;
}

void ScriptObject::setObject(const char16_t* name, const ScriptObject& value) const {
    setKeyed({name, nullptr, 0}, value);
}
void ScriptObject::setObjectAt(int32_t index, const ScriptObject& value) const {
    setKeyed({nullptr, nullptr, index}, value);
}
void ScriptObject::setObjectByKey(const ScriptObject& key, const ScriptObject& value) const {
    setKeyed({nullptr, &key, 0}, value);
}
void ScriptObject::setInt(const char16_t* name, int32_t value) const {
    if (vm_) setObject(name, fromInt(vm_, value));
}
void ScriptObject::setIntByKey(const ScriptObject& key, int32_t value) const {
    if (vm_) setObjectByKey(key, fromInt(vm_, value));
}
void ScriptObject::setFloat(const char16_t* name, float value) const {
    if (vm_) setObject(name, fromFloat(vm_, value));
}
void ScriptObject::setFloatByKey(const ScriptObject& key, float value) const {
    if (vm_) setObjectByKey(key, fromFloat(vm_, value));
}
void ScriptObject::setFloatAt(int32_t index, float value) const {
    if (vm_) setObjectAt(index, fromFloat(vm_, value));
}
void ScriptObject::setIntAt(int32_t index, int32_t value) const {
    if (vm_) setObjectAt(index, fromInt(vm_, value));
}
void ScriptObject::setStringAt(int32_t index, const char16_t* text) const {
    if (vm_) setObjectAt(index, fromString(vm_, text));
}
void ScriptObject::setBoolByKey(const ScriptObject& key, bool value) const {
    if (vm_) setObjectByKey(key, fromBool(vm_, value));
}
void ScriptObject::setBoolAt(int32_t index, bool value) const {
    if (vm_) setObjectAt(index, fromBool(vm_, value));
}

void ScriptObject::append(const ScriptObject& value) const {
    if (!vm_) return;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    sq_pushobject(vm_, value.object_);
    if (SQ_FAILED(sq_arrayappend(vm_, -2))) {
        scriptReportError(PEL_REPORT_ERROR, u"can't append array");
    }
}

void ScriptObject::setDelegate(const ScriptObject& delegate) const {
    if (!vm_) return;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    sq_pushobject(vm_, delegate.object_);
    sq_setdelegate(vm_, -2);
}

void ScriptObject::addClosure(const char16_t* name, SQFUNCTION trampoline, const void* address,
                              size_t size) const {
    if (!vm_) return;
    StackGuard guard(vm_);
    sq_pushobject(vm_, object_);
    sq_pushstring(vm_, name, -1);
    void* holder = sq_newuserdata(vm_, static_cast<SQUnsignedInteger>(size));
    std::memcpy(holder, address, size);
    sq_newclosure(vm_, trampoline, 1);
    sq_newslot(vm_, -3, SQFalse);
}

// Stack readers. A position is present when 1 <= i <= top.

SQObjectType ScriptArgs::getType(int32_t i) const {
    if (i < 1 || i > top) {
        scriptReportError(PEL_REPORT_ERROR, u"get stack type(%d)", i);
        return OT_NULL;
    }
    return sq_gettype(vm, i);
}

void* ScriptArgs::getInstanceUp(int32_t i) const {
    SQUserPointer pointer = nullptr;
    if (i < 1 || i > top || SQ_FAILED(sq_getinstanceup(vm, i, &pointer, nullptr))) {
        scriptReportError(PEL_REPORT_ERROR, u"get instance up from stack(%d)", i);
        return nullptr;
    }
    return pointer;
}

float ScriptArgs::getFloat(int32_t i) const {
    SQFloat value = 0.0f;
    if (i < 1 || i > top || SQ_FAILED(sq_getfloat(vm, i, &value))) {
        scriptReportError(PEL_REPORT_ERROR, u"get float from stack(%d)", i);
        return 0.0f;
    }
    return value;
}

ScriptObject ScriptArgs::getObject(int32_t i) const {
    if (i < 1 || i > top) {
        scriptReportError(PEL_REPORT_ERROR, u"get stack object(%d)", i);
        return ScriptObject();
    }
    return ScriptObject::fromStack(vm, i);
}

int32_t ScriptArgs::getInt(int32_t i) const {
    const SQObjectType type = i < 1 || i > top ? OT_NULL : sq_gettype(vm, i);
    if (type == OT_INTEGER) {
        SQInteger value = 0;
        sq_getinteger(vm, i, &value);
        return value;
    }
    if (type == OT_FLOAT) {
        SQFloat value = 0.0f;
        sq_getfloat(vm, i, &value);
        return scriptTruncate(value);
    }
    scriptReportError(PEL_REPORT_ERROR, u"get integer from stack(%d)", i);
    return 0;
}

bool ScriptArgs::getBool(int32_t i) const {
    SQBool value = SQFalse;
    if (i < 1 || i > top || sq_gettype(vm, i) != OT_BOOL || SQ_FAILED(sq_getbool(vm, i, &value))) {
        scriptReportError(PEL_REPORT_ERROR, u"get bool from stack(%d)", i);
        return false;
    }
    return value == 1;
}

const char16_t* ScriptArgs::getString(int32_t i) const {
    const SQChar* text = nullptr;
    if (i < 1 || i > top || SQ_FAILED(sq_getstring(vm, i, &text))) {
        scriptReportError(PEL_REPORT_ERROR, u"get string from stack(%d)", i);
        return nullptr;
    }
    return text;
}

void* ScriptArgs::getUserPointer(int32_t i) const {
    SQUserPointer pointer = nullptr;
    if (i < 1 || i > top || SQ_FAILED(sq_getuserpointer(vm, i, &pointer))) {
        scriptReportError(PEL_REPORT_ERROR, u"get user pointer from stack(%d)", i);
        return nullptr;
    }
    return pointer;
}
