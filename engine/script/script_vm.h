#pragma once
#include <cstdint>

#include "engine/script/script_object.h"
#include "framework/core/hash.h"
#include "framework/core/list.h"

class ScriptHost;
class ScriptTask;
class ScriptVM;

// The running part shared by the VM wrapper and the tasks.
struct ScriptThread {
    HSQUIRRELVM vm = nullptr;
    bool owns = false;          // the VM wrapper's record: releasing it closes the whole VM
    ScriptObject thread;        // keeps a task's thread alive; null for the VM wrapper
    int32_t suspendedTop = -1;  // the top to restore when the suspended call ends, or -1

    // Releases the thread object; closes the VM when the record owns it.
    void release();
};

// What every thread's foreign pointer designates: the task (null on the VM's own thread), the
// host the task works for, the object its script drives and its script directory. `vm` leads
// to the wrapper from any thread.
struct ScriptTaskContext {
    ScriptTask* task = nullptr;
    ScriptHost* engine = nullptr;
    void* owner = nullptr;
    const char16_t* scriptDirectory = nullptr;  // interned, lower-case, ending in '/'
    ScriptVM* vm = nullptr;
};

// The context of the thread a native was called on.
ScriptTaskContext* scriptContext(HSQUIRRELVM vm);

// A Squirrel VM with its root table, handlers, core natives and the Vec3 class.
class ScriptVM {
public:
    ScriptVM();
    // Frees the tasks still listed without running their scripts, then closes the VM.
    ~ScriptVM();
    ScriptVM(const ScriptVM&) = delete;
    ScriptVM& operator=(const ScriptVM&) = delete;

    HSQUIRRELVM vm() const { return thread_.vm; }
    ScriptThread& thread() { return thread_; }
    const ScriptObject& root() const { return root_; }
    const ScriptObject& vec3Class() const { return vec3Class_; }

    // One stored lower-case copy per name (at most 127 units) living as long as the VM;
    // internPath ends it with '/'.
    const char16_t* internPath(const char16_t* name);
    const char16_t* internName(const char16_t* name);

private:
    friend class ScriptTask;
    const char16_t* intern(const char16_t* name, bool asPath);

    ScriptThread thread_;
    ScriptObject root_;
    ScriptObject vec3Class_;
    PEL_LIST tasks_;
    PEL_HASH names_;
    ScriptTaskContext context_;
};

// A script coroutine: a thread of the VM with a private root table delegating to a parent. It
// runs a compiled script's top level and "init" at once, then "work" once per frame.
class ScriptTask {
public:
    ScriptTask(ScriptVM& owner, const ScriptObject& parent);
    ~ScriptTask();
    ScriptTask(const ScriptTask&) = delete;
    ScriptTask& operator=(const ScriptTask&) = delete;

    // Loads "<path>.cnut" and runs it; the result of "init" when it was called, else null
    // without VM. A missing file is silent.
    ScriptObject runPath(const char16_t* path, ScriptHost* engine, void* owner, bool callInit);
    ScriptObject runPathAndInit(const char16_t* path, ScriptHost* engine, void* owner) {
        return runPath(path, engine, owner, true);
    }
    ScriptObject runFile(const char16_t* directory, const char16_t* name, ScriptHost* engine,
                         void* owner);
    // Starts "work" after a load, else resumes it; what it suspended with or returned.
    ScriptObject update();
    ScriptObject getRootTable() const;
    bool isSuspended() const;
    ScriptObject wakeUp();
    void releaseThread();

    // The closure of "<path>.cnut" and its interned directory; false when the file is missing.
    bool loadScript(const char16_t* path, ScriptObject* closure, const char16_t** directory);

    HSQUIRRELVM vm() const { return thread_.vm; }
    ScriptThread& thread() { return thread_; }
    ScriptVM& owner() const { return *owner_; }
    ScriptTaskContext& context() { return context_; }

private:
    friend class ScriptVM;

    ScriptVM* owner_;
    ScriptThread thread_;
    ScriptTaskContext context_;
    bool workPending_ = false;
    // The task's place in its owner's list (kept apart so the list's link offset is plain).
    struct Link {
        PEL_LIST_LINK link;
        ScriptTask* task;
    } link_{};
};

// A prepared call of a closure (or of the Vec3 class) with `this` and its arguments pushed.
class ScriptCall {
public:
    // The closure on the thread with the thread's root table as `this`; refused while the
    // thread has a suspended call.
    static ScriptCall prepareOnTask(ScriptThread& thread, const ScriptObject& closure);
    // The wrapper's Vec3 class with the root table as `this`, to construct a Vec3.
    static ScriptCall prepare(ScriptVM& vm);
    ScriptCall& pushFloat(float value);
    // Runs the call; a suspending callee leaves its suspend value as the result.
    ScriptObject run();

private:
    ScriptCall(HSQUIRRELVM vm, int32_t* suspendedTop) : vm_(vm), suspendedTop_(suspendedTop) {}

    HSQUIRRELVM vm_;
    int32_t argumentCount_ = 0;
    int32_t savedTop_ = 0;
    int32_t* suspendedTop_;
    bool refused_ = false;
};

// Handlers installed in every VM.
void scriptPrint(HSQUIRRELVM vm, const SQChar* format, ...);
void scriptCompileError(HSQUIRRELVM vm, const SQChar* description, const SQChar* source,
                        SQInteger line, SQInteger column);
SQInteger scriptRuntimeError(HSQUIRRELVM vm);
// sq_readclosure's callback over an open File: exactly the requested count, or -1.
SQInteger scriptReadFile(SQUserPointer file, SQUserPointer destination, SQInteger size);
