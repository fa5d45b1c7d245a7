// The embedding API: stack-based access to the VM for host code.
#include "squirrel/sqapi_internal.h"
#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqfuncproto.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"
#include "squirrel/sqweakref.h"

#include <cstdlib>
#include <cstring>

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

void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p) {
  v->_foreignptr = p;
}
SQUserPointer sq_getforeignptr(HSQUIRRELVM v) {
  return v->_foreignptr;
}
void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc) {
  v->_ss->_printfunc = printfunc;
}
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v) {
  return v->_ss->_printfunc;
}

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable) {
  v->_ss->_debuginfo = enable != 0;
}
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
void sq_pop(HSQUIRRELVM v, SQInteger nelemstopop) {
  v->Pop(nelemstopop);
}
void sq_poptop(HSQUIRRELVM v) {
  v->Pop();
}
void sq_remove(HSQUIRRELVM v, SQInteger idx) {
  v->Remove(idx >= 0 ? idx + v->_stackbase - 1 : v->_top + idx);
}
SQInteger sq_gettop(HSQUIRRELVM v) {
  return v->_top - v->_stackbase;
}
void sq_settop(HSQUIRRELVM v, SQInteger newtop) {
  const SQInteger top = sq_gettop(v);
  if (top > newtop) {
    sq_pop(v, top - newtop);
  } else {
    while (top < newtop && sq_gettop(v) < newtop) sq_pushnull(v);
  }
}
void sq_reservestack(HSQUIRRELVM v, SQInteger nsize) {
  v->GrowStack(v->_top + nsize);
}
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
void sq_newtable(HSQUIRRELVM v) {
  v->Push(SQObjectPtr(SQTable::Create(v->_ss, 0)));
}
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
  // The clone names its environment weakly: binding a method to the object that stores it
  // makes no cycle, and once the object is gone the closure runs with a null `this`.
  const SQObjectPtr weakenv = sq_getweakref(env);
  SQObjectPtr ret;
  if (sq_type(o) == OT_CLOSURE) {
    SQClosure* c = _closure(o)->Clone();
    ret = SQObjectPtr(c);
    c->_env = weakenv;
  } else {
    SQNativeClosure* c = _nativeclosure(o)->Clone();
    ret = SQObjectPtr(c);
    c->_env = weakenv;
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
void sq_pushfloat(HSQUIRRELVM v, SQFloat f) {
  v->Push(SQObjectPtr(f));
}
void sq_pushinteger(HSQUIRRELVM v, SQInteger n) {
  v->Push(SQObjectPtr(n));
}
void sq_pushbool(HSQUIRRELVM v, SQBool b) {
  v->Push(SQObjectPtr(b != 0));
}
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p) {
  v->Push(SQObjectPtr(p));
}
void sq_pushnull(HSQUIRRELVM v) {
  v->Push(_null_);
}

SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx) {
  return sq_type(stack_get(v, idx));
}

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx) {
  SQObjectPtr& o = stack_get(v, idx);
  switch (sq_type(o)) {
    case OT_STRING:
      return _string(o)->_len;
    case OT_TABLE:
      return _table(o)->CountUsed();
    case OT_ARRAY:
      return _array(o)->Size();
    case OT_USERDATA:
      return _userdata(o)->_size;
    default:
      return sq_aux_invalidtype(v, sq_type(o));
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
  switch (sq_type(o)) {
    case OT_USERDATA:
      _userdata(o)->_typetag = typetag;
      return SQ_OK;
    case OT_CLASS:
      _class(o)->_typetag = typetag;
      return SQ_OK;
    default:
      v->Raise_Error("invalid object type");
      return SQ_ERROR;
  }
}

SQRESULT sq_getobjtypetag(HSQOBJECT* o, SQUserPointer* typetag) {
  switch (sq_type(*o)) {
    case OT_USERDATA:
      *typetag = _userdata(*o)->_typetag;
      return SQ_OK;
    case OT_CLASS:
      *typetag = _class(*o)->_typetag;
      return SQ_OK;
    case OT_INSTANCE:
      if (!_instance(*o)->cls()) return SQ_ERROR;
      *typetag = _instance(*o)->cls()->_typetag;
      return SQ_OK;
    default:
      return SQ_ERROR;
  }
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
    SQObjectPtr& o = stack_get(v, idx);
    if (sq_type(o) == OT_USERDATA) _userdata(o)->_hook = hook;
    if (sq_type(o) == OT_INSTANCE) _instance(o)->_hook = hook;
    if (sq_type(o) == OT_CLASS) _class(o)->_hook = hook;
  }
}

SQChar* sq_getscratchpad(HSQUIRRELVM v, SQInteger minsize) {
  return v->_ss->GetScratchPad(minsize);
}

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

void sq_pushroottable(HSQUIRRELVM v) {
  v->Push(v->_roottable);
}
void sq_pushregistrytable(HSQUIRRELVM v) {
  v->Push(v->_ss->_registry);
}
void sq_pushconsttable(HSQUIRRELVM v) {
  v->Push(v->_ss->_consts);
}

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

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror) {
  if (params < 1 || params > sq_gettop(v) - 1) {
    v->Raise_Error("not enough params in the stack");
    return SQ_ERROR;
  }
  SQObjectPtr res;
  SQObjectPtr closure = v->GetUp(-(params + 1));
  const bool wassuspended = v->_suspended;
  if (v->Call(closure, params, v->_top - params, res, raiseerror)) {
    // A call that suspended the VM leaves its frames, arguments included, on the stack.
    if (wassuspended || !v->_suspended) v->Pop(params);
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

void sq_reseterror(HSQUIRRELVM v) {
  v->_lasterror.Null();
}
void sq_getlasterror(HSQUIRRELVM v) {
  v->Push(v->_lasterror);
}

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT* po) {
  *po = stack_get(v, idx);
  return SQ_OK;
}

void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj) {
  v->Push(SQObjectPtr(obj));
}

void sq_addref(HSQUIRRELVM, HSQOBJECT* po) {
  __AddRef(*po);
}

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
SQBool sq_objtobool(HSQOBJECT* o) {
  return sq_istrue(*o) ? SQTrue : SQFalse;
}
SQInteger sq_objtointeger(HSQOBJECT* o) {
  return (sq_type(*o) & SQOBJECT_NUMERIC) ? sq_toint(*o) : 0;
}
SQFloat sq_objtofloat(HSQOBJECT* o) {
  return (sq_type(*o) & SQOBJECT_NUMERIC) ? sq_tofloat(*o) : 0.0f;
}

void* sq_malloc(SQUnsignedInteger size) {
  return malloc(size);
}
void* sq_realloc(void* p, SQUnsignedInteger, SQUnsignedInteger newsize) {
  return realloc(p, newsize);
}
void sq_free(void* p, SQUnsignedInteger) {
  free(p);
}
