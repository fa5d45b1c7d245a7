// C API for coroutines: creating, suspending and waking up threads; resuming generators.
#include "squirrel/sqapi_internal.h"
#include "squirrel/sqgenerator.h"

HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize) {
  SQVM* v = new SQVM(friendvm->_ss);
  v->Init(initialstacksize);
  v->AddToChain(friendvm->_ss);
  // A thread starts with its creator's root table and handlers; each can be changed later.
  v->_roottable = friendvm->_roottable;
  v->_errorhandler = friendvm->_errorhandler;
  v->_debughook = friendvm->_debughook;
  v->_foreignptr = friendvm->_foreignptr;
  friendvm->Push(SQObjectPtr(v));
  return v;
}

SQInteger sq_getvmstate(HSQUIRRELVM v) {
  return v->VMState();
}

SQRESULT sq_suspendvm(HSQUIRRELVM v) {
  return v->Suspend();
}

SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool wakeupret, SQBool retval, SQBool raiseerror) {
  if (!v->_suspended) {
    v->Raise_Error("cannot resume a vm that is not running any code");
    return SQ_ERROR;
  }
  SQObjectPtr value;
  if (wakeupret) {
    value = v->Top();
    v->Pop();
  }
  if (v->_suspended_target != -1) v->GetAt(v->_stackbase + v->_suspended_target) = value;
  SQObjectPtr ret;
  if (!v->WakeUp(ret, raiseerror)) return SQ_ERROR;
  if (v->VMState() == SQ_VMSTATE_IDLE) {
    while (v->_top > 1) v->Pop();
  }
  if (retval) v->Push(ret);
  return SQ_OK;
}

SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM* thread) {
  _GETSAFE_OBJ(v, idx, OT_THREAD, o);
  *thread = _thread(*o);
  return SQ_OK;
}

SQRESULT sq_resume(HSQUIRRELVM v, SQBool retval, SQBool raiseerror) {
  if (sq_gettop(v) < 1 || sq_type(v->Top()) != OT_GENERATOR) {
    return sq_throwerror(v, u"only generators can be resumed");
  }
  // The generator stays on the stack, which keeps it alive while it runs.
  SQObjectPtr ret;
  if (!v->ResumeGenerator(v->Top(), ret, raiseerror)) return SQ_ERROR;
  if (retval) v->Push(ret);
  return SQ_OK;
}
