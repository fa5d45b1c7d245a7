#pragma once
// Helpers shared by the API implementation files: stack addressing and argument checks.

#include "squirrel/sqvm.h"

#include <string>

inline SQObjectPtr& stack_get(HSQUIRRELVM v, SQInteger idx) {
  return idx >= 0 ? v->GetAt(idx + v->_stackbase - 1) : v->GetUp(idx);
}

inline SQRESULT sq_aux_invalidtype(HSQUIRRELVM v, SQObjectType type) {
  v->Raise_Error("unexpected type %s", sq_typename(type));
  return SQ_ERROR;
}

inline bool sq_aux_gettypedarg(HSQUIRRELVM v, SQInteger idx, SQObjectType type, SQObjectPtr** o) {
  *o = &stack_get(v, idx);
  if (sq_type(**o) != type) {
    SQObjectPtr oval(v->PrintObjVal(**o));
    std::u16string msg = sq_u16("wrong argument type, expected '");
    msg += sq_u16(sq_typename(type));
    msg += u"' got '";
    msg += _string(oval)->view();
    msg += u"'";
    v->Raise_Error(msg);
    return false;
  }
  return true;
}

#define _GETSAFE_OBJ(v, idx, type, o) \
  SQObjectPtr* o = nullptr;           \
  if (!sq_aux_gettypedarg(v, idx, type, &o)) return SQ_ERROR

#define sq_aux_paramscheck(v, count)                  \
  if (sq_gettop(v) < (count)) {                       \
    v->Raise_Error("not enough params in the stack"); \
    return SQ_ERROR;                                  \
  }
