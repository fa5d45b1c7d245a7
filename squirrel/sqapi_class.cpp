// The embedding API for classes and instances.
#include "squirrel/sqapi_internal.h"
#include "squirrel/sqclass.h"

SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase) {
  SQClass* base = nullptr;
  if (hasbase) {
    sq_aux_paramscheck(v, 1);
    const SQObjectPtr& b = stack_get(v, -1);
    if (sq_type(b) != OT_CLASS) return sq_throwerror(v, u"invalid base type");
    base = _class(b);
  }
  SQObjectPtr cls(SQClass::Create(v->_ss, base));
  if (base) v->Pop();
  v->Push(cls);
  return SQ_OK;
}

SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize) {
  SQObjectPtr& o = stack_get(v, idx);
  if (sq_type(o) != OT_CLASS) return sq_throwerror(v, u"the object is not a class");
  if (_class(o)->_locked) return sq_throwerror(v, u"the class is locked");
  if (udsize < 0) return sq_throwerror(v, u"negative size");
  _class(o)->_udsize = udsize;
  return SQ_OK;
}

SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx) {
  _GETSAFE_OBJ(v, idx, OT_CLASS, o);
  v->Push(SQObjectPtr(_class(*o)->CreateInstance()));
  return SQ_OK;
}

SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer typetag) {
  _GETSAFE_OBJ(v, idx, OT_INSTANCE, o);
  *p = _instance(*o)->_userpointer;
  if (!typetag) return SQ_OK;
  // The tag may belong to the instance's class or to any of its bases.
  for (const SQClass* c = _instance(*o)->cls(); c; c = c->base()) {
    if (c->_typetag == typetag) return SQ_OK;
  }
  return sq_throwerror(v, u"invalid type tag");
}

SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p) {
  _GETSAFE_OBJ(v, idx, OT_INSTANCE, o);
  _instance(*o)->_userpointer = p;
  return SQ_OK;
}

// The instance at -1 against the class at -2.
SQBool sq_instanceof(HSQUIRRELVM v) {
  if (sq_gettop(v) < 2) return SQFalse;
  const SQObjectPtr& inst = stack_get(v, -1);
  const SQObjectPtr& cls = stack_get(v, -2);
  if (sq_type(inst) != OT_INSTANCE || sq_type(cls) != OT_CLASS) {
    v->Raise_Error("invalid param type");
    return SQFalse;
  }
  return _instance(inst)->InstanceOf(_class(cls)) ? SQTrue : SQFalse;
}

SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx) {
  _GETSAFE_OBJ(v, idx, OT_INSTANCE, o);
  v->Push(_instance(*o)->_class);
  return SQ_OK;
}

SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx) {
  _GETSAFE_OBJ(v, idx, OT_CLASS, o);
  SQClass* base = _class(*o)->base();
  v->Push(base ? SQObjectPtr(base) : SQObjectPtr());
  return SQ_OK;
}

// Key at -2 (null: the class itself), new attributes at -1; both are replaced by the old ones.
SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx) {
  _GETSAFE_OBJ(v, idx, OT_CLASS, o);
  sq_aux_paramscheck(v, 3);
  const SQObjectPtr key = stack_get(v, -2), val = stack_get(v, -1);
  SQClass* c = _class(*o);
  SQObjectPtr old;
  if (sq_type(key) == OT_NULL) {
    old = c->_attributes;
    c->_attributes = val;
  } else if (c->GetAttributes(key, old)) {
    c->SetAttributes(key, val);
  } else {
    return sq_throwerror(v, u"wrong index");
  }
  v->Pop(2);
  v->Push(old);
  return SQ_OK;
}

// Key at -1 (null: the class itself), replaced by its attributes.
SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx) {
  _GETSAFE_OBJ(v, idx, OT_CLASS, o);
  sq_aux_paramscheck(v, 2);
  const SQObjectPtr key = stack_get(v, -1);
  SQClass* c = _class(*o);
  SQObjectPtr attrs;
  if (sq_type(key) == OT_NULL) {
    attrs = c->_attributes;
  } else if (!c->GetAttributes(key, attrs)) {
    return sq_throwerror(v, u"wrong index");
  }
  v->Pop();
  v->Push(attrs);
  return SQ_OK;
}
