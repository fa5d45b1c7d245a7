// The embedding API: stack-based access to the VM for host code.
#include "squirrel/sqarray.h"
#include "squirrel/sqfuncproto.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

#include <cstdlib>
#include <cstring>

namespace {

SQObjectPtr& stack_get(HSQUIRRELVM v, SQInteger idx) {
  return idx >= 0 ? v->GetAt(idx + v->_stackbase - 1) : v->GetUp(idx);
}

SQRESULT sq_aux_invalidtype(HSQUIRRELVM v, SQObjectType type) {
  v->Raise_Error("unexpected type %s", sq_typename(type));
  return SQ_ERROR;
}

bool sq_aux_gettypedarg(HSQUIRRELVM v, SQInteger idx, SQObjectType type, SQObjectPtr** o) {
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

#define _GETSAFE_OBJ(v, idx, type, o)                   \
  SQObjectPtr* o = nullptr;                             \
  if (!sq_aux_gettypedarg(v, idx, type, &o)) return SQ_ERROR

#define sq_aux_paramscheck(v, count)                               \
  if (sq_gettop(v) < (count)) {                                    \
    v->Raise_Error("not enough params in the stack");              \
    return SQ_ERROR;                                               \
  }

}  // namespace

void sq_register_base_library(HSQUIRRELVM v);

HSQUIRRELVM sq_open(SQInteger initialstacksize) {
  SQSharedState* ss = new SQSharedState();
  SQVM* v = new SQVM(ss);
  v->Init(initialstacksize);
  ss->Init(v);
  sq_register_base_library(v);
  return v;
}

void sq_close(HSQUIRRELVM v) {
  SQSharedState* ss = v->_ss;
  v->Finalize();
  ss->Finalize();
  delete v;
  delete ss;
}

void sq_seterrorhandler(HSQUIRRELVM v) {
  SQObjectPtr& o = stack_get(v, -1);
  if (sq_type(o) == OT_CLOSURE || sq_type(o) == OT_NATIVECLOSURE || sq_type(o) == OT_NULL) {
    v->_errorhandler = o;
    v->Pop();
  }
}

void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->_foreignptr = p; }
SQUserPointer sq_getforeignptr(HSQUIRRELVM v) { return v->_foreignptr; }
void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc) { v->_ss->_printfunc = printfunc; }
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v) { return v->_ss->_printfunc; }
SQInteger sq_getvmstate(HSQUIRRELVM v) {
  return v->_callsstack.empty() ? SQ_VMSTATE_IDLE : SQ_VMSTATE_RUNNING;
}

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable) { v->_ss->_debuginfo = enable != 0; }
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable) {
  v->_ss->_notifyallexceptions = enable != 0;
}
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f) {
  v->_ss->_compilererrorhandler = f;
}

void sq_push(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr o = stack_get(v, idx);
  v->Push(o);
}
void sq_pop(HSQUIRRELVM v, SQInteger nelemstopop) { v->Pop(nelemstopop); }
void sq_poptop(HSQUIRRELVM v) { v->Pop(); }
void sq_remove(HSQUIRRELVM v, SQInteger idx) {
  v->Remove(idx >= 0 ? idx + v->_stackbase - 1 : v->_top + idx);
}
SQInteger sq_gettop(HSQUIRRELVM v) { return v->_top - v->_stackbase; }
void sq_settop(HSQUIRRELVM v, SQInteger newtop) {
  const SQInteger top = sq_gettop(v);
  if (top > newtop) {
    sq_pop(v, top - newtop);
  } else {
    while (top < newtop && sq_gettop(v) < newtop) sq_pushnull(v);
  }
}
void sq_reservestack(HSQUIRRELVM v, SQInteger nsize) { v->GrowStack(v->_top + nsize); }
SQInteger sq_cmp(HSQUIRRELVM v) {
  SQInteger res = 0;
  v->ObjCmp(stack_get(v, -2), stack_get(v, -1), res);
  return res;
}
void sq_move(HSQUIRRELVM dest, HSQUIRRELVM src, SQInteger idx) {
  SQObjectPtr o = stack_get(src, idx);
  dest->Push(o);
}

SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size) {
  SQUserData* ud = SQUserData::Create(v->_ss, size);
  v->Push(SQObjectPtr(ud));
  return ud->data();
}
void sq_newtable(HSQUIRRELVM v) { v->Push(SQObjectPtr(SQTable::Create(v->_ss, 0))); }
void sq_newarray(HSQUIRRELVM v, SQInteger size) {
  v->Push(SQObjectPtr(SQArray::Create(v->_ss, size < 0 ? 0 : size)));
}

void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQUnsignedInteger nfreevars) {
  SQNativeClosure* nc = SQNativeClosure::Create(v->_ss, func);
  SQObjectPtr holder(nc);
  for (SQUnsignedInteger i = 0; i < nfreevars; i++) {
    nc->_outervalues.push_back(v->Top());
    v->Pop();
  }
  v->Push(holder);
}

// Parses a type mask ("n|s", ".ss"); false when it holds an unknown letter.
bool sq_compile_typemask(std::vector<SQInteger>& res, const SQChar* typemask);

SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar* typemask) {
  SQObjectPtr& o = stack_get(v, -1);
  if (sq_type(o) != OT_NATIVECLOSURE) {
    v->Raise_Error("native closure expected");
    return SQ_ERROR;
  }
  SQNativeClosure* nc = _nativeclosure(o);
  nc->_nparamscheck = nparamscheck;
  nc->_typecheck.clear();
  if (typemask) {
    if (!sq_compile_typemask(nc->_typecheck, typemask)) {
      v->Raise_Error("invalid typemask");
      return SQ_ERROR;
    }
    if (nparamscheck == SQ_MATCHTYPEMASKSTRING) {
      nc->_nparamscheck = static_cast<SQInteger>(nc->_typecheck.size());
    }
  }
  return SQ_OK;
}

SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) != OT_CLOSURE && sq_type(o) != OT_NATIVECLOSURE) {
    v->Raise_Error("the target is not a closure");
    return SQ_ERROR;
  }
  SQObjectPtr& env = stack_get(v, -1);
  if (sq_type(env) != OT_TABLE && sq_type(env) != OT_CLASS && sq_type(env) != OT_INSTANCE) {
    v->Raise_Error("invalid environment");
    return SQ_ERROR;
  }
  SQObjectPtr ret;
  if (sq_type(o) == OT_CLOSURE) {
    SQClosure* c = _closure(o)->Clone();
    ret = SQObjectPtr(c);
    c->_env = env;
  } else {
    SQNativeClosure* c = _nativeclosure(o)->Clone();
    ret = SQObjectPtr(c);
    c->_env = env;
  }
  v->Pop();
  v->Push(ret);
  return SQ_OK;
}

void sq_pushstring(HSQUIRRELVM v, const SQChar* s, SQInteger len) {
  if (s) {
    v->Push(SQObjectPtr(SQString::Create(v->_ss, s, len)));
  } else {
    v->Push(_null_);
  }
}
void sq_pushfloat(HSQUIRRELVM v, SQFloat f) { v->Push(SQObjectPtr(f)); }
void sq_pushinteger(HSQUIRRELVM v, SQInteger n) { v->Push(SQObjectPtr(n)); }
void sq_pushbool(HSQUIRRELVM v, SQBool b) { v->Push(SQObjectPtr(b != 0)); }
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p) { v->Push(SQObjectPtr(p)); }
void sq_pushnull(HSQUIRRELVM v) { v->Push(_null_); }

SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx) { return sq_type(stack_get(v, idx)); }

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr& o = stack_get(v, idx);
  switch (sq_type(o)) {
    case OT_STRING: return _string(o)->_len;
    case OT_TABLE: return _table(o)->CountUsed();
    case OT_ARRAY: return _array(o)->Size();
    case OT_USERDATA: return _userdata(o)->_size;
    default: return sq_aux_invalidtype(v, sq_type(o));
  }
}

SQRESULT sq_tostring(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr o = stack_get(v, idx), res;
  v->ToString(o, res);
  v->Push(res);
  return SQ_OK;
}

void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool* b) {
  *b = sq_istrue(stack_get(v, idx)) ? SQTrue : SQFalse;
}

SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar** c) {
  _GETSAFE_OBJ(v, idx, OT_STRING, o);
  *c = _string(*o)->_val;
  return SQ_OK;
}

SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger* i) {
  SQObjectPtr& o = stack_get(v, idx);
  if (!(sq_type(o) & SQOBJECT_NUMERIC)) return SQ_ERROR;
  *i = sq_toint(o);
  return SQ_OK;
}

SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat* f) {
  SQObjectPtr& o = stack_get(v, idx);
  if (!(sq_type(o) & SQOBJECT_NUMERIC)) return SQ_ERROR;
  *f = sq_tofloat(o);
  return SQ_OK;
}

SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool* b) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) != OT_BOOL) return SQ_ERROR;
  *b = _integer(o) ? SQTrue : SQFalse;
  return SQ_OK;
}

SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p) {
  _GETSAFE_OBJ(v, idx, OT_USERPOINTER, o);
  *p = _userpointer(*o);
  return SQ_OK;
}

SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer* typetag) {
  _GETSAFE_OBJ(v, idx, OT_USERDATA, o);
  *p = _userdata(*o)->data();
  if (typetag) *typetag = _userdata(*o)->_typetag;
  return SQ_OK;
}

SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) != OT_USERDATA) {
    v->Raise_Error("invalid object type");
    return SQ_ERROR;
  }
  _userdata(o)->_typetag = typetag;
  return SQ_OK;
}

SQRESULT sq_getobjtypetag(HSQOBJECT* o, SQUserPointer* typetag) {
  if (sq_type(*o) != OT_USERDATA) return SQ_ERROR;
  *typetag = _userdata(*o)->_typetag;
  return SQ_OK;
}

SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer* typetag) {
  SQObjectPtr& o = stack_get(v, idx);
  if (SQ_FAILED(sq_getobjtypetag(&o, typetag))) {
    v->Raise_Error("invalid object type");
    return SQ_ERROR;
  }
  return SQ_OK;
}

void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook) {
  if (sq_gettop(v) >= 1) {
    SQObjectPtr& ud = stack_get(v, idx);
    if (sq_type(ud) == OT_USERDATA) _userdata(ud)->_hook = hook;
  }
}

SQChar* sq_getscratchpad(HSQUIRRELVM v, SQInteger minsize) { return v->_ss->GetScratchPad(minsize); }

SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger* nparams,
                           SQUnsignedInteger* nfreevars) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) == OT_CLOSURE) {
    SQFunctionProto* proto = _closure(o)->proto();
    *nparams = static_cast<SQUnsignedInteger>(proto->_parameters.size());
    *nfreevars = static_cast<SQUnsignedInteger>(proto->_outervalues.size());
    return SQ_OK;
  }
  v->Raise_Error("the object is not a closure");
  return SQ_ERROR;
}

SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar* name) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) == OT_NATIVECLOSURE) {
    _nativeclosure(o)->_name = SQObjectPtr(SQString::Create(v->_ss, name));
    return SQ_OK;
  }
  v->Raise_Error("the object is not a nativeclosure");
  return SQ_ERROR;
}

void sq_pushroottable(HSQUIRRELVM v) { v->Push(v->_roottable); }
void sq_pushregistrytable(HSQUIRRELVM v) { v->Push(v->_ss->_registry); }
void sq_pushconsttable(HSQUIRRELVM v) { v->Push(v->_ss->_consts); }

SQRESULT sq_setroottable(HSQUIRRELVM v) {
  SQObjectPtr o = stack_get(v, -1);
  if (sq_type(o) == OT_TABLE || sq_type(o) == OT_NULL) {
    v->_roottable = o;
    v->Pop();
    return SQ_OK;
  }
  v->Raise_Error("ivalid type");
  return SQ_ERROR;
}

SQRESULT sq_setconsttable(HSQUIRRELVM v) {
  SQObjectPtr o = stack_get(v, -1);
  if (sq_type(o) == OT_TABLE) {
    v->_ss->_consts = o;
    v->Pop();
    return SQ_OK;
  }
  v->Raise_Error("ivalid type, expected table");
  return SQ_ERROR;
}

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
  SQObjectPtr& refpos = stack_get(v, -1);
  SQObjectPtr key, val;
  const SQInteger pos = sq_type(refpos) == OT_INTEGER ? _integer(refpos) : 0;
  SQInteger next;
  switch (sq_type(o)) {
    case OT_TABLE: next = _table(o)->Next(pos, key, val); break;
    case OT_ARRAY: next = _array(o)->Next(pos, key, val); break;
    default:
      v->Raise_Error("cannot iterate %s", sq_typename(sq_type(o)));
      return SQ_ERROR;
  }
  if (next == -1) return SQ_ERROR;
  stack_get(v, -1) = next;
  v->Push(key);
  v->Push(val);
  return SQ_OK;
}

SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr& o = stack_get(v, idx);
  switch (sq_type(o)) {
    case OT_TABLE: _table(o)->Clear(); break;
    case OT_ARRAY: _array(o)->Resize(0); break;
    default:
      v->Raise_Error("clear only works on table and array");
      return SQ_ERROR;
  }
  return SQ_OK;
}

SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t) {
  SQSharedState* ss = v->_ss;
  switch (t) {
    case OT_TABLE: v->Push(ss->_table_default_delegate); break;
    case OT_ARRAY: v->Push(ss->_array_default_delegate); break;
    case OT_STRING: v->Push(ss->_string_default_delegate); break;
    case OT_INTEGER:
    case OT_FLOAT:
    case OT_BOOL: v->Push(ss->_number_default_delegate); break;
    case OT_CLOSURE:
    case OT_NATIVECLOSURE: v->Push(ss->_closure_default_delegate); break;
    default:
      v->Raise_Error("the type doesn't have a default delegate");
      return SQ_ERROR;
  }
  return SQ_OK;
}

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror) {
  if (params < 1 || params > sq_gettop(v) - 1) {
    v->Raise_Error("not enough params in the stack");
    return SQ_ERROR;
  }
  SQObjectPtr res;
  SQObjectPtr closure = v->GetUp(-(params + 1));
  if (v->Call(closure, params, v->_top - params, res, raiseerror)) {
    v->Pop(params);
    if (retval) v->Push(res);
    return SQ_OK;
  }
  v->Pop(params);
  return SQ_ERROR;
}

const SQChar* sq_getfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval) {
  SQObjectPtr self = stack_get(v, idx);
  if (sq_type(self) == OT_CLOSURE) {
    SQClosure* c = _closure(self);
    SQFunctionProto* fp = c->proto();
    if (nval < c->_outervalues.size() && nval < fp->_outervalues.size()) {
      v->Push(c->_outervalues[nval]);
      const SQObjectPtr& name = fp->_outervalues[nval]._name;
      return sq_type(name) == OT_STRING ? _string(name)->_val : nullptr;
    }
  } else if (sq_type(self) == OT_NATIVECLOSURE) {
    SQNativeClosure* c = _nativeclosure(self);
    if (nval < c->_outervalues.size()) {
      v->Push(c->_outervalues[nval]);
      return u"@NATIVE";
    }
  }
  return nullptr;
}

SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar* err) {
  v->_lasterror = SQObjectPtr(SQString::Create(v->_ss, err));
  return SQ_ERROR;
}

void sq_reseterror(HSQUIRRELVM v) { v->_lasterror.Null(); }
void sq_getlasterror(HSQUIRRELVM v) { v->Push(v->_lasterror); }

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT* po) {
  *po = stack_get(v, idx);
  return SQ_OK;
}

void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj) { v->Push(SQObjectPtr(obj)); }

void sq_addref(HSQUIRRELVM, HSQOBJECT* po) { __AddRef(*po); }

SQBool sq_release(HSQUIRRELVM, HSQOBJECT* po) {
  if (!ISREFCOUNTED(sq_type(*po))) return SQTrue;
  const bool last = po->_unVal.pRefCounted->_uiRef <= 1;
  __Release(*po);
  return last ? SQTrue : SQFalse;
}

void sq_resetobject(HSQOBJECT* po) {
  po->_type = OT_NULL;
  po->_unVal.raw = 0;
}

const SQChar* sq_objtostring(HSQOBJECT* o) {
  return sq_type(*o) == OT_STRING ? _string(*o)->_val : nullptr;
}
SQBool sq_objtobool(HSQOBJECT* o) { return sq_istrue(*o) ? SQTrue : SQFalse; }
SQInteger sq_objtointeger(HSQOBJECT* o) {
  return (sq_type(*o) & SQOBJECT_NUMERIC) ? sq_toint(*o) : 0;
}
SQFloat sq_objtofloat(HSQOBJECT* o) {
  return (sq_type(*o) & SQOBJECT_NUMERIC) ? sq_tofloat(*o) : 0.0f;
}

void* sq_malloc(SQUnsignedInteger size) { return malloc(size); }
void* sq_realloc(void* p, SQUnsignedInteger, SQUnsignedInteger newsize) {
  return realloc(p, newsize);
}
void sq_free(void* p, SQUnsignedInteger) { free(p); }
