// Default delegates of generators, threads and weak references.
#include "squirrel/sqgenerator.h"
#include "squirrel/sqlibhelpers.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"
#include "squirrel/sqweakref.h"

namespace {

SQInteger generator_getstatus(HSQUIRRELVM v) {
  static const char* const names[] = {"running", "suspended", "dead"};
  return Return(v, sq_str(v->_ss, names[_generator(Arg(v, 1))->_state]));
}

// `thread.call(args...)`: runs the thread's function with its root table as `this`.
SQInteger thread_call(HSQUIRRELVM v) {
  SQVM* thread = _thread(Arg(v, 1));
  const SQInteger nparams = sq_gettop(v);
  thread->Push(thread->_roottable);
  for (SQInteger i = 2; i <= nparams; i++) thread->Push(Arg(v, i));
  if (SQ_SUCCEEDED(sq_call(thread, nparams, SQTrue, SQFalse))) {
    SQObjectPtr res = thread->Top();
    thread->Pop();
    return Return(v, res);
  }
  v->_lasterror = thread->_lasterror;
  return SQ_ERROR;
}

// `thread.wakeup([value])`: continues a suspended thread; `value` becomes its suspend() result.
SQInteger thread_wakeup(HSQUIRRELVM v) {
  SQObjectPtr self = Arg(v, 1);
  SQVM* thread = _thread(self);
  switch (thread->VMState()) {
    case SQ_VMSTATE_IDLE:
      return sq_throwerror(v, u"cannot wakeup a idle thread");
    case SQ_VMSTATE_RUNNING:
      return sq_throwerror(v, u"cannot wakeup a running thread");
    default:
      break;
  }
  const bool wakeupret = sq_gettop(v) > 1;
  if (wakeupret) thread->Push(Arg(v, 2));
  if (SQ_SUCCEEDED(sq_wakeupvm(thread, wakeupret, SQTrue, SQTrue))) {
    SQObjectPtr res = thread->Top();
    thread->Pop();
    if (thread->VMState() == SQ_VMSTATE_IDLE) sq_settop(thread, 1);
    return Return(v, res);
  }
  sq_settop(thread, 1);
  v->_lasterror = thread->_lasterror;
  return SQ_ERROR;
}

SQInteger thread_getstatus(HSQUIRRELVM v) {
  static const char* const names[] = {"idle", "running", "suspended"};
  return Return(v, sq_str(v->_ss, names[_thread(Arg(v, 1))->VMState()]));
}

SQInteger weakref_ref(HSQUIRRELVM v) {
  return Return(v, sq_weakrefval(Arg(v, 1)));
}

}  // namespace

SQInteger sq_delegate_weakref(HSQUIRRELVM v) {
  return Return(v, sq_getweakref(Arg(v, 1)));
}

void sq_register_coroutine_delegates(SQVM* v, SQSharedState* ss) {
  static const SQRegFunction generator_funcs[] = {{u"getstatus", generator_getstatus, 1, u"g"},
                                                  {u"weakref", sq_delegate_weakref, 1, nullptr},
                                                  {u"tostring", sq_delegate_tostring, 1, u"."},
                                                  {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction thread_funcs[] = {{u"call", thread_call, -1, u"v"},
                                               {u"wakeup", thread_wakeup, -1, u"v"},
                                               {u"getstatus", thread_getstatus, 1, u"v"},
                                               {u"weakref", sq_delegate_weakref, 1, nullptr},
                                               {u"tostring", sq_delegate_tostring, 1, u"."},
                                               {nullptr, nullptr, 0, nullptr}};
  static const SQRegFunction weakref_funcs[] = {{u"ref", weakref_ref, 1, u"r"},
                                                {u"weakref", sq_delegate_weakref, 1, nullptr},
                                                {u"tostring", sq_delegate_tostring, 1, u"."},
                                                {nullptr, nullptr, 0, nullptr}};
  ss->_generator_default_delegate = MakeDelegate(v, generator_funcs);
  ss->_weakref_default_delegate = MakeDelegate(v, weakref_funcs);
  ss->_thread_default_delegate = MakeDelegate(v, thread_funcs);
}
