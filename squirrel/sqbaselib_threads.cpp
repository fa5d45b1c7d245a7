// Base library functions for threads: newthread and suspend.
#include "squirrel/sqbaselib_extra.h"

#include "squirrel/sqvm.h"

SQInteger base_newthread(HSQUIRRELVM v) {
  SQObjectPtr func = v->GetAt(v->_stackbase + 1);
  HSQUIRRELVM thread = sq_newthread(v, 1024);
  thread->Push(func);  // the thread's slot 0: the function its `call` runs
  return 1;
}

SQInteger base_suspend(HSQUIRRELVM v) {
  // The value handed to the waker: the argument, or `this` without one.
  if (sq_gettop(v) > 1) {
    v->Push(v->GetAt(v->_stackbase + 1));
  } else {
    v->Push(v->GetAt(v->_stackbase));
  }
  return sq_suspendvm(v);
}
