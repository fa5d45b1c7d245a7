#pragma once
// Weak references: a value that names an object without keeping it alive. An object has at
// most one weak reference; when the object is freed the reference reads as null.

#include "squirrel/sqobject.h"

#define _weakref(obj) ((obj)._unVal.pWeakRef)

struct SQWeakRef : SQRefCounted {
  ~SQWeakRef() override;
  void Release() override { delete this; }
  SQObject _obj;  // not counted; null once the object is gone
};

// The value a stored slot reads as: a weak reference stands for its object (null once the
// object is gone); any other value for itself. Every read of a table, array, class or instance
// slot goes through here; writes, `in` and deletion see the slot itself.
inline const SQObject& sq_realval(const SQObject& o) {
  return sq_type(o) == OT_WEAKREF ? _weakref(o)->_obj : o;
}

// The weak reference to `o`; numbers, bools and null are their own weak reference.
SQObjectPtr sq_getweakref(const SQObject& o);
// What a weak reference points to (null when the object is gone); other values themselves.
SQObjectPtr sq_weakrefval(const SQObject& o);

// `x.weakref()`, shared by every default delegate.
SQInteger sq_delegate_weakref(HSQUIRRELVM v);
