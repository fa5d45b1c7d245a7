#pragma once
// Values and reference counting. Every heap object starts with SQRefCounted; values that hold
// one keep it alive, and the last release frees it at once.

#include "squirrel/squirrel.h"

#include <bit>
#include <string>

struct SQSharedState;

struct SQWeakRef;

struct SQRefCounted {
  SQUnsignedInteger _uiRef = 0;
  SQWeakRef* _weakref = nullptr;  // the object's weak reference, if one was made
  // Clears the weak reference, which then reads as null.
  virtual ~SQRefCounted();
  // Frees the object; called when the last reference goes away.
  virtual void Release() = 0;
};

// Receives the counted references an object holds, for the cycle collector.
struct SQRefVisitor {
  virtual void Visit(const SQObject& o) = 0;

 protected:
  ~SQRefVisitor() = default;
};

// Objects that can take part in reference cycles (tables, arrays, closures, ...). They are
// linked into their shared state's chain so that closing the VM can empty them all, which
// breaks any cycle left behind.
struct SQCollectable : SQRefCounted {
  SQCollectable* _next = nullptr;
  SQCollectable* _prev = nullptr;
  SQSharedState* _sharedstate = nullptr;
  // Drops every reference the object holds.
  virtual void Finalize() = 0;
  // Reports every reference the object holds. An object reporting none keeps whatever it
  // references alive until the VM is closed.
  virtual void EnumRefs(SQRefVisitor&) {}
  void AddToChain(SQSharedState* ss);
  void RemoveFromChain();
};

inline void __AddRef(const SQObject& o) {
  if (ISREFCOUNTED(o._type)) o._unVal.pRefCounted->_uiRef++;
}
inline void __Release(SQObject& o) {
  if (ISREFCOUNTED(o._type) && --o._unVal.pRefCounted->_uiRef == 0) {
    o._unVal.pRefCounted->Release();
  }
}

#define _integer(obj) ((obj)._unVal.nInteger)
#define _float(obj) ((obj)._unVal.fFloat)
#define _string(obj) ((obj)._unVal.pString)
#define _table(obj) ((obj)._unVal.pTable)
#define _array(obj) ((obj)._unVal.pArray)
#define _closure(obj) ((obj)._unVal.pClosure)
#define _nativeclosure(obj) ((obj)._unVal.pNativeClosure)
#define _userdata(obj) ((obj)._unVal.pUserData)
#define _userpointer(obj) ((obj)._unVal.pUserPointer)
#define _funcproto(obj) ((obj)._unVal.pFunctionProto)
#define _thread(obj) ((obj)._unVal.pThread)
#define _refcounted(obj) ((obj)._unVal.pRefCounted)
#define _rawval(obj) ((obj)._unVal.raw)

// C conversion of a float to a 32-bit integer, with x86's answer (-2147483648) for values
// that do not fit instead of undefined behaviour.
inline SQInteger sq_float_to_int(SQFloat f) {
  if (!(f >= -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
  return static_cast<SQInteger>(f);
}
// Numbers (and bools, whose value sits in the integer field) as float / integer.
inline SQFloat sq_tofloat(const SQObject& o) {
  return o._type == OT_FLOAT ? o._unVal.fFloat : static_cast<SQFloat>(o._unVal.nInteger);
}
inline SQInteger sq_toint(const SQObject& o) {
  return o._type == OT_FLOAT ? sq_float_to_int(o._unVal.fFloat) : o._unVal.nInteger;
}

// A value that owns a reference to what it holds.
struct SQObjectPtr : SQObject {
  SQObjectPtr() {
    _type = OT_NULL;
    _unVal.raw = 0;
  }
  SQObjectPtr(const SQObjectPtr& o) : SQObject(o) { __AddRef(*this); }
  SQObjectPtr(const SQObject& o) : SQObject(o) { __AddRef(*this); }
  // Moves take the reference over and leave null behind, touching no reference count.
  SQObjectPtr(SQObjectPtr&& o) noexcept : SQObject(o) { o.Clear(); }
  SQObjectPtr(SQInteger n) { SetRaw(OT_INTEGER, RawOf(n)); }
  SQObjectPtr(SQFloat f) { SetRaw(OT_FLOAT, RawOf(f)); }
  SQObjectPtr(bool b) { SetRaw(OT_BOOL, b ? 1 : 0); }
  SQObjectPtr(SQUserPointer p) {
    _type = OT_USERPOINTER;
    _unVal.raw = 0;
    _unVal.pUserPointer = p;
  }
  SQObjectPtr(SQString* x) { Set(OT_STRING, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQTable* x) { Set(OT_TABLE, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQArray* x) { Set(OT_ARRAY, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQClosure* x) { Set(OT_CLOSURE, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQNativeClosure* x) { Set(OT_NATIVECLOSURE, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQUserData* x) { Set(OT_USERDATA, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQFunctionProto* x) { Set(OT_FUNCPROTO, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQVM* x) { Set(OT_THREAD, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQClass* x) { Set(OT_CLASS, reinterpret_cast<SQRefCounted*>(x)); }
  SQObjectPtr(SQInstance* x) { Set(OT_INSTANCE, reinterpret_cast<SQRefCounted*>(x)); }
  ~SQObjectPtr() { __Release(*this); }

  SQObjectPtr& operator=(const SQObjectPtr& o) { return Assign(o); }
  SQObjectPtr& operator=(const SQObject& o) { return Assign(o); }
  SQObjectPtr& operator=(SQObjectPtr&& o) noexcept {
    if (this != &o) {
      SQObject old = *this;
      _type = o._type;
      _unVal = o._unVal;
      o.Clear();
      __Release(old);
    }
    return *this;
  }
  // Plain values carry no reference: storing one only releases what was there.
  SQObjectPtr& operator=(SQInteger n) { return StorePlain(OT_INTEGER, RawOf(n)); }
  SQObjectPtr& operator=(SQFloat f) { return StorePlain(OT_FLOAT, RawOf(f)); }
  SQObjectPtr& operator=(bool b) { return StorePlain(OT_BOOL, b ? 1 : 0); }
  void Null() { StorePlain(OT_NULL, 0); }

 private:
  // A plain value's payload as the whole 64-bit word, so that it is written with one store
  // (writing the 32-bit field over a zeroed word stalls the next 64-bit read of it).
  static uint64_t RawOf(SQInteger n) { return static_cast<uint32_t>(n); }
  static uint64_t RawOf(SQFloat f) { return std::bit_cast<uint32_t>(f); }
  void SetRaw(SQObjectType t, uint64_t raw) {
    _type = t;
    _unVal.raw = raw;
  }
  SQObjectPtr& StorePlain(SQObjectType t, uint64_t raw) {
    const SQObject old = *this;
    SetRaw(t, raw);
    if (ISREFCOUNTED(old._type) && --old._unVal.pRefCounted->_uiRef == 0) {
      old._unVal.pRefCounted->Release();
    }
    return *this;
  }
  void Clear() { SetRaw(OT_NULL, 0); }
  void Set(SQObjectType t, SQRefCounted* p) {
    _type = t;
    _unVal.raw = 0;
    _unVal.pRefCounted = p;
    p->_uiRef++;
  }
  SQObjectPtr& Assign(const SQObject& o) {
    SQObject old = *this;
    __AddRef(o);
    _type = o._type;
    _unVal = o._unVal;
    __Release(old);
    return *this;
  }
};

// Same type and same raw value: how table keys and `==` between equal types compare.
inline bool sq_rawequal(const SQObject& a, const SQObject& b) {
  return sq_type(a) == sq_type(b) && _rawval(a) == _rawval(b);
}

// Truth: null, 0, 0.0 (either sign) and false are false.
inline bool sq_istrue(const SQObject& o) {
  if (sq_type(o) & SQOBJECT_CANBEFALSE) {
    if (sq_type(o) == OT_FLOAT) return _float(o) != 0.0f;
    return _integer(o) != 0;
  }
  return true;
}

// Type name as `typeof` and error texts show it.
const char* sq_typename(SQObjectType t);

extern const SQObjectPtr _null_;
