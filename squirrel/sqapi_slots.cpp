// The embedding API for tables, arrays and delegates: slots, iteration, cloning.
#include "squirrel/sqapi_internal.h"
#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfuncproto.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) {
  sq_aux_paramscheck(v, 3);
  SQObjectPtr self = stack_get(v, idx);
  if (sq_type(self) == OT_TABLE || sq_type(self) == OT_CLASS) {
    SQObjectPtr key = v->GetUp(-2);
    if (sq_type(key) == OT_NULL) {
      v->Raise_Error("null is not a valid key");
      return SQ_ERROR;
    }
    SQObjectPtr val = v->GetUp(-1);
    if (!v->NewSlot(self, key, val, bstatic != 0)) return SQ_ERROR;
    v->Pop(2);
    return SQ_OK;
  }
  return sq_aux_invalidtype(v, sq_type(self));
}

SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
  sq_aux_paramscheck(v, 2);
  SQObjectPtr self = stack_get(v, idx);
  if (sq_type(self) != OT_TABLE) return sq_aux_invalidtype(v, sq_type(self));
  SQObjectPtr key = v->GetUp(-1);
  if (sq_type(key) == OT_NULL) {
    v->Raise_Error("null is not a valid key");
    return SQ_ERROR;
  }
  SQObjectPtr res;
  if (!v->DeleteSlot(self, key, res)) return SQ_ERROR;
  v->Pop();
  if (pushval) v->Push(res);
  return SQ_OK;
}

SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr self = stack_get(v, idx);
  SQObjectPtr key = v->GetUp(-2), val = v->GetUp(-1);
  if (v->Set(self, key, val, false)) {
    v->Pop(2);
    return SQ_OK;
  }
  v->Raise_IdxError(key);
  return SQ_ERROR;
}

SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr self = stack_get(v, idx);
  SQObjectPtr key = v->GetUp(-2), val = v->GetUp(-1);
  if (sq_type(key) == OT_NULL) {
    v->Pop(2);
    v->Raise_Error("null key");
    return SQ_ERROR;
  }
  switch (sq_type(self)) {
    case OT_TABLE:
      _table(self)->NewSlot(key, val);
      v->Pop(2);
      return SQ_OK;
    case OT_ARRAY:
      if (v->Set(self, key, val, false)) {
        v->Pop(2);
        return SQ_OK;
      }
      break;
    case OT_CLASS:
      if (!v->NewSlot(self, key, val, false)) return SQ_ERROR;
      v->Pop(2);
      return SQ_OK;
    case OT_INSTANCE:
      if (_instance(self)->Set(key, val)) {
        v->Pop(2);
        return SQ_OK;
      }
      break;
    default:
      v->Pop(2);
      v->Raise_Error("rawset works only on array/table/class and instance");
      return SQ_ERROR;
  }
  v->Raise_IdxError(key);
  return SQ_ERROR;
}

SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr self = stack_get(v, idx);
  SQObjectPtr key = v->GetUp(-1), res;
  if (v->Get(self, key, res, false, false)) {
    v->Pop();
    v->Push(res);
    return SQ_OK;
  }
  v->Pop();
  v->Raise_IdxError(key);
  return SQ_ERROR;
}

SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr self = stack_get(v, idx);
  SQObjectPtr key = v->GetUp(-1), res;
  switch (sq_type(self)) {
    case OT_TABLE:
      if (_table(self)->Get(key, res)) {
        v->Pop();
        v->Push(res);
        return SQ_OK;
      }
      break;
    case OT_ARRAY:
      if ((sq_type(key) & SQOBJECT_NUMERIC) && _array(self)->Get(sq_toint(key), res)) {
        v->Pop();
        v->Push(res);
        return SQ_OK;
      }
      break;
    case OT_CLASS:
    case OT_INSTANCE:
      if (sq_type(self) == OT_CLASS ? _class(self)->Get(key, res)
                                    : _instance(self)->Get(key, res)) {
        v->Pop();
        v->Push(res);
        return SQ_OK;
      }
      break;
    default:
      v->Pop();
      v->Raise_Error("rawget works only on array/table/instance and class");
      return SQ_ERROR;
  }
  v->Pop();
  v->Raise_Error("the index doesn't exist");
  return SQ_ERROR;
}

SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
  sq_aux_paramscheck(v, 2);
  _GETSAFE_OBJ(v, idx, OT_TABLE, self);
  SQObjectPtr key = v->GetUp(-1), t;
  _table(*self)->Get(key, t);
  _table(*self)->Remove(key);
  v->Pop();
  if (pushval) v->Push(t);
  return SQ_OK;
}

SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx) {
  sq_aux_paramscheck(v, 2);
  _GETSAFE_OBJ(v, idx, OT_ARRAY, arr);
  _array(*arr)->Append(v->GetUp(-1));
  v->Pop();
  return SQ_OK;
}

SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
  sq_aux_paramscheck(v, 1);
  _GETSAFE_OBJ(v, idx, OT_ARRAY, arr);
  if (_array(*arr)->Size() > 0) {
    SQObjectPtr last = _array(*arr)->_values.back();
    _array(*arr)->Pop();
    if (pushval) v->Push(last);
    return SQ_OK;
  }
  v->Raise_Error("empty array");
  return SQ_ERROR;
}

SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize) {
  sq_aux_paramscheck(v, 1);
  _GETSAFE_OBJ(v, idx, OT_ARRAY, arr);
  if (newsize >= 0) {
    _array(*arr)->Resize(newsize);
    return SQ_OK;
  }
  v->Raise_Error("negative size");
  return SQ_ERROR;
}

SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx) {
  sq_aux_paramscheck(v, 1);
  _GETSAFE_OBJ(v, idx, OT_ARRAY, arr);
  std::vector<SQObjectPtr>& vals = _array(*arr)->_values;
  for (size_t i = 0, n = vals.size(); i < n / 2; i++) std::swap(vals[i], vals[n - 1 - i]);
  return SQ_OK;
}

SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx) {
  sq_aux_paramscheck(v, 1);
  _GETSAFE_OBJ(v, idx, OT_ARRAY, arr);
  if (_array(*arr)->Remove(itemidx)) return SQ_OK;
  v->Raise_Error("index out of range");
  return SQ_ERROR;
}

SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos) {
  sq_aux_paramscheck(v, 1);
  _GETSAFE_OBJ(v, idx, OT_ARRAY, arr);
  SQObjectPtr val = v->GetUp(-1);
  if (!_array(*arr)->Insert(destpos, val)) {
    v->Raise_Error("index out of range");
    return SQ_ERROR;
  }
  v->Pop();
  return SQ_OK;
}

SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx) {
  sq_aux_paramscheck(v, 2);
  SQObjectPtr self = stack_get(v, idx);
  SQObjectPtr mt = v->GetUp(-1);
  if (sq_type(self) != OT_TABLE && sq_type(self) != OT_USERDATA) {
    return sq_aux_invalidtype(v, sq_type(self));
  }
  if (sq_type(mt) != OT_TABLE && sq_type(mt) != OT_NULL) {
    v->Raise_Error("wrong type");
    return SQ_ERROR;
  }
  SQDelegable* owner = sq_type(self) == OT_TABLE ? static_cast<SQDelegable*>(_table(self))
                                                 : static_cast<SQDelegable*>(_userdata(self));
  if (!owner->SetDelegate(sq_type(mt) == OT_TABLE ? _table(mt) : nullptr)) {
    v->Raise_Error("delagate cycle");
    return SQ_ERROR;
  }
  v->Pop();
  return SQ_OK;
}

SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx) {
  sq_aux_paramscheck(v, 1);
  SQObjectPtr self = stack_get(v, idx);
  if (sq_type(self) != OT_TABLE && sq_type(self) != OT_USERDATA) {
    v->Raise_Error("wrong type");
    return SQ_ERROR;
  }
  SQDelegable* owner = sq_type(self) == OT_TABLE ? static_cast<SQDelegable*>(_table(self))
                                                 : static_cast<SQDelegable*>(_userdata(self));
  if (owner->_delegate) {
    v->Push(SQObjectPtr(owner->_delegate));
  } else {
    v->Push(_null_);
  }
  return SQ_OK;
}

SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx) {
  sq_aux_paramscheck(v, 1);
  SQObjectPtr o = stack_get(v, idx), res;
  if (!v->Clone(o, res)) return SQ_ERROR;
  v->Push(res);
  return SQ_OK;
}

SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval) {
  SQObjectPtr self = stack_get(v, idx);
  std::vector<SQObjectPtr>* outers = nullptr;
  if (sq_type(self) == OT_CLOSURE) outers = &_closure(self)->_outervalues;
  if (sq_type(self) == OT_NATIVECLOSURE) outers = &_nativeclosure(self)->_outervalues;
  if (!outers) return sq_aux_invalidtype(v, sq_type(self));
  if (nval >= outers->size()) {
    v->Raise_Error("invalid free var index");
    return SQ_ERROR;
  }
  (*outers)[nval] = v->GetUp(-1);
  v->Pop();
  return SQ_OK;
}

SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr o = stack_get(v, idx);
  if (sq_type(o) == OT_GENERATOR) {
    v->Raise_Error("cannot iterate a generator");
    return SQ_ERROR;
  }
  // One step of `foreach`, with the key and value landing in two new stack slots: an instance
  // asks its `_nexti`, which may grow the stack, so the slots are addressed after the pushes.
  v->Push(_null_);
  v->Push(_null_);
  bool finished = false;
  if (!v->FOREACH_OP(o, v->GetUp(-2), v->GetUp(-1), v->GetUp(-3), finished) || finished) {
    v->Pop(2);
    return SQ_ERROR;
  }
  return SQ_OK;
}

SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr& o = stack_get(v, idx);
  switch (sq_type(o)) {
    case OT_TABLE:
      _table(o)->Clear();
      break;
    case OT_ARRAY:
      _array(o)->Resize(0);
      break;
    default:
      v->Raise_Error("clear only works on table and array");
      return SQ_ERROR;
  }
  return SQ_OK;
}

SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t) {
  SQSharedState* ss = v->_ss;
  switch (t) {
    case OT_TABLE:
      v->Push(ss->_table_default_delegate);
      break;
    case OT_ARRAY:
      v->Push(ss->_array_default_delegate);
      break;
    case OT_STRING:
      v->Push(ss->_string_default_delegate);
      break;
    case OT_INTEGER:
    case OT_FLOAT:
    case OT_BOOL:
      v->Push(ss->_number_default_delegate);
      break;
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
      v->Push(ss->_closure_default_delegate);
      break;
    case OT_CLASS:
      v->Push(ss->_class_default_delegate);
      break;
    case OT_INSTANCE:
      v->Push(ss->_instance_default_delegate);
      break;
    default:
      v->Raise_Error("the type doesn't have a default delegate");
      return SQ_ERROR;
  }
  return SQ_OK;
}
