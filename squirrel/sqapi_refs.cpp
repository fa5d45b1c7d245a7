// C API for weak references and the cycle collector.
#include "squirrel/sqapi_internal.h"
#include "squirrel/sqgc.h"
#include "squirrel/sqweakref.h"

void sq_weakref(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr ref = sq_getweakref(stack_get(v, idx));
  v->Push(ref);
}

SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) != OT_WEAKREF) {
    v->Raise_Error("the object must be a weakref");
    return SQ_ERROR;
  }
  SQObjectPtr val = sq_weakrefval(o);
  v->Push(val);
  return SQ_OK;
}

SQInteger sq_collectgarbage(HSQUIRRELVM v) {
  return sq_collect_cycles(v->_ss);
}
