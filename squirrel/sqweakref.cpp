#include "squirrel/sqweakref.h"

SQRefCounted::~SQRefCounted() {
  if (_weakref) {
    _weakref->_obj._type = OT_NULL;
    _weakref->_obj._unVal.raw = 0;
  }
}

SQWeakRef::~SQWeakRef() {
  if (ISREFCOUNTED(_obj._type)) _obj._unVal.pRefCounted->_weakref = nullptr;
}

SQObjectPtr sq_getweakref(const SQObject& o) {
  if (!ISREFCOUNTED(sq_type(o))) return SQObjectPtr(o);
  SQRefCounted* target = o._unVal.pRefCounted;
  if (!target->_weakref) {
    SQWeakRef* w = new SQWeakRef();
    w->_obj._type = sq_type(o);
    w->_obj._unVal.raw = 0;
    w->_obj._unVal.pRefCounted = target;
    target->_weakref = w;
  }
  SQObject ref;
  ref._type = OT_WEAKREF;
  ref._unVal.raw = 0;
  ref._unVal.pWeakRef = target->_weakref;
  return SQObjectPtr(ref);
}

SQObjectPtr sq_weakrefval(const SQObject& o) {
  if (sq_type(o) != OT_WEAKREF) return SQObjectPtr(o);
  return SQObjectPtr(_weakref(o)->_obj);
}
