#pragma once
// The virtual machine: a value stack, a call stack, exception traps and the interpreter.

#include "squirrel/sqfuncproto.h"
#include "squirrel/sqmetamethod.h"
#include "squirrel/sqobject.h"
#include "squirrel/sqstate.h"

#include <string>
#include <vector>

struct SQExceptionTrap {
  SQInteger _stackbase;
  SQInteger _stacksize;  // the stack top when the trap was set
  const SQInstruction* _ip;
  SQInteger _extarget;
};

struct CallInfo {
  const SQInstruction* _ip = nullptr;  // null for native frames
  SQObjectPtr _closure;
  SQInteger _prevstkbase = 0;
  SQInteger _prevtop = 0;
  SQInteger _target = -1;  // caller register receiving the result
  SQInteger _etraps = 0;
  SQInteger _ncalls = 1;
  SQInteger _vargs_base = 0;
  SQInteger _vargs_size = 0;
  bool _root = false;      // the first frame of an interpreter invocation
  SQObjectPtr _generator;  // the generator running this frame, if any
};

// Stack slots kept free above a frame for natives.
constexpr SQInteger MIN_STACK_OVERHEAD = 10;

struct SQVM : SQCollectable {
  SQVM(SQSharedState* ss);
  ~SQVM() override;
  void Release() override { delete this; }
  void Finalize() override;
  void EnumRefs(SQRefVisitor& v) override;
  bool Init(SQInteger stacksize);

  // Calls `closure` with nparams arguments already at the stack top (`this` first).
  bool Call(SQObjectPtr& closure, SQInteger nparams, SQInteger stackbase, SQObjectPtr& outres,
            SQBool raiseerror);
  bool Get(const SQObjectPtr& self, const SQObjectPtr& key, SQObjectPtr& dest, bool raw,
           bool fetchroot);
  bool Set(const SQObjectPtr& self, const SQObjectPtr& key, const SQObjectPtr& val, bool fetchroot);
  bool NewSlot(const SQObjectPtr& self, const SQObjectPtr& key, const SQObjectPtr& val,
               bool bstatic);
  bool DeleteSlot(const SQObjectPtr& self, const SQObjectPtr& key, SQObjectPtr& res);
  bool Clone(const SQObjectPtr& self, SQObjectPtr& target);
  // Three-way comparison (-1, 0, 1); false with an error for incomparable values.
  bool ObjCmp(const SQObjectPtr& o1, const SQObjectPtr& o2, SQInteger& res);
  bool ObjEqual(const SQObjectPtr& o1, const SQObjectPtr& o2);
  void ToString(const SQObjectPtr& o, SQObjectPtr& res);
  SQString* PrintObjVal(const SQObject& o);
  bool ArithOp(SQInteger op, SQObjectPtr& trg, const SQObjectPtr& o1, const SQObjectPtr& o2);
  bool StringCat(const SQObjectPtr& str, const SQObjectPtr& obj, SQObjectPtr& dest);
  void TypeOf(const SQObjectPtr& obj, SQObjectPtr& dest);
  // One step of iteration over o1 from iterator o4 (null: start): key into o2, value into
  // o3, next iterator into o4; `finished` when nothing is left.
  bool FOREACH_OP(SQObjectPtr& o1, SQObjectPtr& o2, SQObjectPtr& o3, SQObjectPtr& o4,
                  bool& finished);
  bool CallNative(SQNativeClosure* nclosure, SQInteger nargs, SQInteger newbase,
                  SQObjectPtr& retval);
  // Thread support: a native returning SQ_SUSPEND_FLAG leaves the interpreter with every frame
  // kept; WakeUp continues it, the suspend call's result already stored in its register.
  SQInteger Suspend();
  bool WakeUp(SQObjectPtr& outres, SQBool raiseerror);
  // Runs a suspended generator as a new invocation until it yields (the yielded value) or
  // returns (its result), above the current stack top.
  bool ResumeGenerator(const SQObjectPtr& generator, SQObjectPtr& outres, SQBool raiseerror);
  SQInteger VMState() const;
  // Calls the debug hook with an event ('l' line, 'c' call, 'r' return) for the current frame.
  void CallDebugHook(SQInteger type, SQInteger forcedline = 0);

  // Metamethods and classes (sqvm_class.cpp).
  // The metamethod `mm` of a table's or user data's delegate, or of an instance's class.
  bool GetMetaMethod(const SQObjectPtr& self, SQMetaMethod mm, SQObjectPtr& closure);
  // Calls metamethod `mm` of `self` with the nparams values on the stack top (`self` first)
  // and pops them; false when there is none or it failed. Errors never reach a handler.
  bool CallMetaMethod(const SQObjectPtr& self, SQMetaMethod mm, SQInteger nparams,
                      SQObjectPtr& outres);
  // A new instance of `cls` and the constructor to call on it (null if none).
  void CreateClassInstance(SQClass* cls, SQObjectPtr& inst, SQObjectPtr& constructor);
  // Calling a class: creates the instance and runs its constructor with the arguments at
  // stackbase (whose slot 0 becomes the instance); the result is the instance.
  bool CallClass(SQClass* cls, SQInteger nparams, SQInteger stackbase, SQObjectPtr& outres,
                 SQBool raiseerror);
  // The class statement: base in register `base` (-1: none), attributes in `attrs` (0xFF: none).
  bool CLASS_OP(SQObjectPtr& target, SQInteger base, SQInteger attrs);
  // A class member declared with attributes or `static` (NEWSLOTA), through `_newmember`.
  bool NewClassMember(const SQObjectPtr& self, const SQObjectPtr& key, const SQObjectPtr& val,
                      const SQObjectPtr& attrs, bool hasattrs, bool bstatic);
  bool InstanceOf(const SQObjectPtr& cls, const SQObjectPtr& inst, SQObjectPtr& res);
  // FOREACH over an instance or user data: asks `_nexti` for the next key. The four values
  // are registers of the current frame.
  bool NextByMetaMethod(SQObjectPtr& o1, SQObjectPtr& o2, SQObjectPtr& o3, SQObjectPtr& o4,
                        bool& finished);

  void Raise_Error(const std::u16string& msg);
  void Raise_Error(const char* fmt, ...);
  void Raise_IdxError(const SQObject& o);
  void Raise_CompareError(const SQObject& o1, const SQObject& o2);
  void Raise_ParamTypeError(SQInteger nparam, SQInteger typemask, SQInteger type);

  void Push(const SQObjectPtr& o) {
    GrowStack(_top + 1);
    _stack[static_cast<size_t>(_top++)] = o;
  }
  void Pop() { _stack[static_cast<size_t>(--_top)].Null(); }
  void Pop(SQInteger n) {
    for (SQInteger i = 0; i < n; i++) Pop();
  }
  void Remove(SQInteger n);
  SQObjectPtr& Top() { return _stack[static_cast<size_t>(_top - 1)]; }
  SQObjectPtr& GetUp(SQInteger n) { return _stack[static_cast<size_t>(_top + n)]; }
  SQObjectPtr& GetAt(SQInteger n) { return _stack[static_cast<size_t>(n)]; }
  // Makes sure absolute slot `size - 1` exists (plus some room for natives).
  // Makes room for `size` slots plus the overhead natives may use; grows by doubling.
  void GrowStack(SQInteger size) {
    if (static_cast<size_t>(size + MIN_STACK_OVERHEAD) > _stack.size()) ResizeStack(size);
  }
  void ResizeStack(SQInteger size);
  CallInfo* ci() { return _callsstack.empty() ? nullptr : &_callsstack.back(); }

  std::vector<SQObjectPtr> _stack;
  std::vector<SQObjectPtr> _vargsstack;
  std::vector<CallInfo> _callsstack;
  std::vector<SQExceptionTrap> _etraps;
  SQInteger _top = 0;
  SQInteger _stackbase = 0;
  SQObjectPtr _roottable;
  SQObjectPtr _lasterror;
  SQObjectPtr _errorhandler;
  SQObjectPtr _debughook;
  SQObjectPtr temp_reg;
  SQInteger _nnativecalls = 0;
  SQUserPointer _foreignptr = nullptr;
  bool _inside_debughook = false;
  bool _suspended = false;
  SQInteger _suspended_target = -1;  // register of the suspending call, -1 for none
  size_t _suspended_entrytraps = 0;
  SQSharedState* _ss;

 private:
  // Runs `closure` (a script closure, or a generator to resume) as a new invocation, or with
  // `resume` continues a suspended one.
  bool Execute(SQObjectPtr& closure, SQInteger nargs, SQInteger stackbase, SQObjectPtr& outres,
               SQBool raiseerror, bool resume = false);
  // The frame machinery is defined inline in sqexecute.cpp, its only user, so that the
  // interpreter loop pays no call for it.
  inline bool StartCall(SQClosure* closure, SQInteger target, SQInteger nargs, SQInteger stackbase,
                        bool tailcall);
  // Leaves the current script frame; true when it was the invocation's entry frame.
  inline bool Return(SQInteger _arg0, SQInteger _arg1, SQObjectPtr& retval);
  inline void LeaveFrame();
  // Nulls the stack slots [from, to).
  inline void NullSlots(SQInteger from, SQInteger to);
  bool CLOSURE_OP(SQObjectPtr& target, SQFunctionProto* func);
  bool BW_OP(SQUnsignedInteger op, SQObjectPtr& trg, const SQObjectPtr& o1, const SQObjectPtr& o2);
  bool CMP_OP(SQInteger op, const SQObjectPtr& o1, const SQObjectPtr& o2, SQObjectPtr& res);
  bool NEG_OP(SQObjectPtr& trg, const SQObjectPtr& o1);
  bool DerefInc(SQInteger op, SQObjectPtr& target, const SQObjectPtr& self, const SQObjectPtr& key,
                const SQObjectPtr& incr, bool postfix);
  bool FallBackGet(const SQObjectPtr& self, const SQObjectPtr& key, SQObjectPtr& dest, bool raw);
  bool FallBackSet(const SQObjectPtr& self, const SQObjectPtr& key, const SQObjectPtr& val);
  void CallErrorHandler(const SQObjectPtr& error);
};

constexpr SQInteger MAX_NATIVE_CALLS = 100;
// What a native returns to suspend its thread.
constexpr SQInteger SQ_SUSPEND_FLAG = -666;
// Deepest chain of script calls; deeper recursion raises "stack overflow".
constexpr SQInteger MAX_CALL_DEPTH = 50000;

// ASCII text as a UTF-16 string.
std::u16string sq_u16(const char* ascii);
