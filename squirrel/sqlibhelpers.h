#pragma once
// What the native functions of the base library and of the default delegates share: argument
// access, results, and building the tables of native closures.

#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

// Argument `n` of the running native call; 1 is `this`.
inline SQObjectPtr& Arg(HSQUIRRELVM v, SQInteger n) {
  return v->GetAt(v->_stackbase + n - 1);
}

// Returns `o` from a native function.
inline SQInteger Return(HSQUIRRELVM v, const SQObjectPtr& o) {
  v->Push(o);
  return 1;
}

// Creates a native closure for each entry and stores it in table `t` under its name.
void sq_register_functions(SQVM* v, SQTable* t, const SQRegFunction* funcs);

// A new default delegate holding a native closure for each entry.
SQObjectPtr MakeDelegate(HSQUIRRELVM v, const SQRegFunction* funcs);

// `x.tostring()`, shared by every default delegate: the text `+ ""` gives, `_tostring`
// included.
SQInteger sq_delegate_tostring(HSQUIRRELVM v);

// Each file's default delegates, filled in when the shared state is created.
void sq_register_default_delegates(SQVM* v, SQSharedState* ss);
void sq_register_class_delegates(SQVM* v, SQSharedState* ss);
void sq_register_coroutine_delegates(SQVM* v, SQSharedState* ss);
