#include "engine/script/script_vm.h"

#include <cstdlib>
#include <cstring>

#include "engine/script/core_natives.h"
#include "engine/script/file.h"
#include "engine/script/vec3.h"
#include "framework/core/report.h"
#include "framework/core/wide_string.h"
#include "framework/file/path.h"

namespace {

constexpr size_t kInternMax = 127;
constexpr SQInteger kThreadStackSize = 1024;

void freeName(void*, void* name) { std::free(name); }

}  // namespace

ScriptTaskContext* scriptContext(HSQUIRRELVM vm) {
    return static_cast<ScriptTaskContext*>(sq_getforeignptr(vm));
}

void ScriptThread::release() {
    thread.release();
    if (owns && vm) {
        sq_close(vm);
        vm = nullptr;
    }
}

ScriptVM::ScriptVM() {
    thread_.vm = sq_open(8);
    thread_.owns = true;
    pelListInit(&tasks_, offsetof(ScriptTask::Link, link), nullptr, nullptr);
    pelHashInit(&names_, 256, freeName);
    context_.vm = this;
    sq_setforeignptr(thread_.vm, &context_);

    const SQInteger top = sq_gettop(thread_.vm);
    sq_pushroottable(thread_.vm);
    root_ = ScriptObject::fromStack(thread_.vm, -1);
    sq_settop(thread_.vm, top);

    sq_setprintfunc(thread_.vm, scriptPrint);
    sq_setcompilererrorhandler(thread_.vm, scriptCompileError);
    sq_newclosure(thread_.vm, scriptRuntimeError, 0);
    sq_seterrorhandler(thread_.vm);
    sq_settop(thread_.vm, top);

    registerCoreNatives(root_);
    registerVec3Class(root_);
    vec3Class_ = root_.getSlotOrError(u"Vec3");
}

ScriptVM::~ScriptVM() {
    while (auto* link = static_cast<ScriptTask::Link*>(pelListFirst(&tasks_))) {
        ScriptTask* task = link->task;
        pelListRemoveFirst(&tasks_);
        task->link_.task = nullptr;
        delete task;
    }
    vec3Class_.release();
    root_.release();
    pelHashDestroy(&names_);
    pelListClear(&tasks_);
    thread_.release();
}

const char16_t* ScriptVM::intern(const char16_t* name, bool asPath) {
    char16_t key[kInternMax + 1];
    size_t length = 0;
    while (name && name[length] && length < kInternMax) {
        key[length] = name[length];
        ++length;
    }
    if (asPath && (length == 0 || (key[length - 1] != u'/')) && length < kInternMax) {
        key[length++] = u'/';
    }
    key[length] = 0;
    pelStrToLower(key);
    if (auto* stored = static_cast<const char16_t*>(pelHashFind(&names_, key))) return stored;
    char16_t* copy = pelStrDup(key);
    if (!copy) return nullptr;
    pelHashInsert(&names_, copy, copy);
    return copy;
}

const char16_t* ScriptVM::internPath(const char16_t* name) { return intern(name, true); }

const char16_t* ScriptVM::internName(const char16_t* name) { return intern(name, false); }

ScriptTask::ScriptTask(ScriptVM& owner, const ScriptObject& parent) : owner_(&owner) {
    const HSQUIRRELVM ownerVm = owner.vm();
    const SQInteger top = sq_gettop(ownerVm);
    const HSQUIRRELVM thread = sq_newthread(ownerVm, kThreadStackSize);
    if (!thread) {
        sq_settop(ownerVm, top);
        scriptReportError(PEL_REPORT_ERROR, u"can't create a new thread");
        return;
    }
    thread_.vm = thread;
    thread_.thread = ScriptObject::fromStack(ownerVm, -1);
    sq_settop(ownerVm, top);
    link_.task = this;
    pelListAppend(&owner.tasks_, &link_);

    context_.task = this;
    context_.vm = &owner;
    sq_setforeignptr(thread, &context_);

    const ScriptObject table = ScriptObject::newTable(thread);
    table.setDelegate(parent);
    sq_pushobject(thread, table.object());
    sq_setroottable(thread);
}

ScriptTask::~ScriptTask() {
    if (link_.task) pelListRemove(&owner_->tasks_, &link_.link);
    releaseThread();
}

void ScriptTask::releaseThread() { thread_.release(); }

bool ScriptTask::loadScript(const char16_t* path, ScriptObject* closure,
                            const char16_t** directory) {
    char16_t fileName[kPelPathDirectorySize];
    char16_t folder[kPelPathDirectorySize];
    pelPathJoin(kPelPathDirectorySize, fileName, nullptr, path, u"cnut");
    pelPathGetDirectory(folder, fileName);
    if (pelFileExists(PEL_FILE_MODE_READ, fileName) < 0) return false;
    File file;
    if (!file.create(fileName, PEL_FILE_MODE_READ, 0)) return false;
    *closure = ScriptObject::readClosure(file, thread_.vm);
    file.close();
    if (!closure->vm()) return false;
    *directory = owner_->internPath(folder);
    return true;
}

ScriptObject ScriptTask::runPath(const char16_t* path, ScriptHost* engine, void* owner,
                                 bool callInit) {
    ScriptObject closure;
    const char16_t* directory = nullptr;
    const bool loaded = thread_.vm && loadScript(path, &closure, &directory);
    context_.scriptDirectory = directory;
    if (!loaded) return ScriptObject();
    context_.engine = engine;
    context_.owner = owner;
    workPending_ = true;
    ScriptCall::prepareOnTask(thread_, closure).run();
    if (callInit) {
        const ScriptObject init = getRootTable().getSlot(u"init");
        if (!init.isNull()) return ScriptCall::prepareOnTask(thread_, init).run();
    }
    return ScriptObject();
}

ScriptObject ScriptTask::runFile(const char16_t* directory, const char16_t* name,
                                 ScriptHost* engine, void* owner) {
    char16_t path[kPelPathDirectorySize];
    pelPathResolve(path, directory, kPelPathDirectorySize, name);
    return runPath(path, engine, owner, true);
}

ScriptObject ScriptTask::update() {
    if (workPending_) {
        workPending_ = false;
        const ScriptObject work = getRootTable().getSlot(u"work");
        if (work.isNull()) return ScriptObject();
        return ScriptCall::prepareOnTask(thread_, work).run();
    }
    if (isSuspended()) return wakeUp();
    return ScriptObject();
}

ScriptObject ScriptTask::getRootTable() const {
    if (!thread_.vm) return ScriptObject();
    const SQInteger top = sq_gettop(thread_.vm);
    sq_pushroottable(thread_.vm);
    ScriptObject table = ScriptObject::fromStack(thread_.vm, -1);
    sq_settop(thread_.vm, top);
    return table;
}

bool ScriptTask::isSuspended() const {
    return thread_.vm && sq_getvmstate(thread_.vm) == SQ_VMSTATE_SUSPENDED;
}

ScriptObject ScriptTask::wakeUp() {
    const HSQUIRRELVM vm = thread_.vm;
    if (!isSuspended() || thread_.suspendedTop == -1) {
        scriptReportError(PEL_REPORT_ERROR, u"can't wake up because no script is running yet");
        return ScriptObject();
    }
    if (SQ_FAILED(sq_wakeupvm(vm, SQFalse, SQTrue, SQTrue))) {
        sq_settop(vm, thread_.suspendedTop);
        thread_.suspendedTop = -1;
        scriptReportError(PEL_REPORT_ERROR, u"can't continue script");
        return ScriptObject();
    }
    ScriptObject result = ScriptObject::fromStack(vm, -1);
    if (sq_getvmstate(vm) == SQ_VMSTATE_SUSPENDED) {
        sq_pop(vm, 1);
    } else {
        sq_settop(vm, thread_.suspendedTop);
        thread_.suspendedTop = -1;
    }
    return result;
}

ScriptCall ScriptCall::prepareOnTask(ScriptThread& thread, const ScriptObject& closure) {
    ScriptCall call(thread.vm, &thread.suspendedTop);
    if (!thread.vm || sq_getvmstate(thread.vm) == SQ_VMSTATE_SUSPENDED ||
        thread.suspendedTop != -1) {
        call.refused_ = true;
        scriptReportError(PEL_REPORT_ERROR, u"can't prepare script because vm suspends now");
        return call;
    }
    call.savedTop_ = sq_gettop(thread.vm);
    sq_pushobject(thread.vm, closure.object());
    sq_pushroottable(thread.vm);
    return call;
}

ScriptCall ScriptCall::prepare(ScriptVM& vm) {
    ScriptCall call(vm.vm(), &vm.thread().suspendedTop);
    call.savedTop_ = sq_gettop(vm.vm());
    sq_pushobject(vm.vm(), vm.vec3Class().object());
    sq_pushroottable(vm.vm());
    return call;
}

ScriptCall& ScriptCall::pushFloat(float value) {
    if (refused_) return *this;
    sq_pushfloat(vm_, value);
    ++argumentCount_;
    return *this;
}

ScriptObject ScriptCall::run() {
    if (refused_) return ScriptObject();
    const int32_t parameters = argumentCount_ + 1;
    argumentCount_ = 0;
    if (SQ_FAILED(sq_call(vm_, parameters, SQTrue, SQTrue))) {
        sq_settop(vm_, savedTop_);
        scriptReportError(PEL_REPORT_ERROR, u"can't run script");
        return ScriptObject();
    }
    ScriptObject result = ScriptObject::fromStack(vm_, -1);
    if (sq_getvmstate(vm_) == SQ_VMSTATE_SUSPENDED) {
        if (*suspendedTop_ >= 0) {
            sq_settop(vm_, savedTop_);
            scriptReportError(PEL_REPORT_ERROR, u"can't save stack top");
            return result;
        }
        sq_pop(vm_, 1);
        *suspendedTop_ = savedTop_;
    } else {
        sq_settop(vm_, savedTop_);
    }
    return result;
}
