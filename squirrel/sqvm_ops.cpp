// Value operations of the VM: lookups and stores with delegation, arithmetic, comparison,
// conversion to text and error reporting.
#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqvm.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

std::u16string sq_u16(const char* ascii) {
  std::u16string s;
  while (*ascii) s.push_back(static_cast<unsigned char>(*ascii++));
  return s;
}

void SQVM::Raise_Error(const std::u16string& msg) {
  _lasterror = SQObjectPtr(SQString::Create(_ss, msg));
}

void SQVM::Raise_Error(const char* fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  vsnprintf(buf, sizeof(buf), fmt, args);
  va_end(args);
  Raise_Error(sq_u16(buf));
}

SQString* SQVM::PrintObjVal(const SQObject& o) {
  char buf[64];
  switch (sq_type(o)) {
    case OT_STRING: {
      std::u16string_view v = _string(o)->view();
      if (v.size() > 50) v = v.substr(0, 50);
      return SQString::Create(_ss, v);
    }
    case OT_INTEGER:
      snprintf(buf, sizeof(buf), "%d", _integer(o));
      break;
    case OT_FLOAT:
      snprintf(buf, sizeof(buf), "%.14g", static_cast<double>(_float(o)));
      break;
    default:
      return SQString::CreateAscii(_ss, sq_typename(sq_type(o)));
  }
  return SQString::CreateAscii(_ss, buf);
}

void SQVM::Raise_IdxError(const SQObject& o) {
  SQObjectPtr key(PrintObjVal(o));
  Raise_Error(u"the index '" + std::u16string(_string(key)->view()) + u"' does not exist");
}

void SQVM::Raise_CompareError(const SQObject& o1, const SQObject& o2) {
  SQObjectPtr a(PrintObjVal(o1)), b(PrintObjVal(o2));
  Raise_Error(u"comparsion between '" + std::u16string(_string(a)->view()) + u"' and '" +
              std::u16string(_string(b)->view()) + u"'");
}

void SQVM::Raise_ParamTypeError(SQInteger nparam, SQInteger typemask, SQInteger type) {
  std::string expected;
  for (SQInteger i = 0; i < 16; i++) {
    const SQInteger bit = 1 << i;
    if (typemask & bit) {
      if (!expected.empty()) expected += "|";
      expected += sq_typename(static_cast<SQObjectType>(bit));
    }
  }
  Raise_Error("parameter %d has an invalid type '%s' ; expected: '%s'", nparam,
              sq_typename(static_cast<SQObjectType>(type)), expected.c_str());
}

namespace {
bool HasMetaMethods(const SQObject& o) {
  switch (sq_type(o)) {
    case OT_TABLE:
      return _table(o)->_delegate != nullptr;
    case OT_USERDATA:
      return _userdata(o)->_delegate != nullptr;
    case OT_INSTANCE:
      return true;
    default:
      return false;
  }
}

SQMetaMethod ArithMetaMethod(SQInteger op) {
  switch (op) {
    case '+':
      return MT_ADD;
    case '-':
      return MT_SUB;
    case '*':
      return MT_MUL;
    case '/':
      return MT_DIV;
    case '%':
      return MT_MODULO;
    default:
      return MT_LAST;
  }
}
}  // namespace

void SQVM::ToString(const SQObjectPtr& oref, SQObjectPtr& res) {
  char buf[64];
  const SQObjectPtr o = oref;
  if (HasMetaMethods(o)) {
    SQObjectPtr s;
    Push(o);
    if (CallMetaMethod(o, MT_TOSTRING, 1, s) && sq_type(s) == OT_STRING) {
      res = s;
      return;
    }
  }
  switch (sq_type(o)) {
    case OT_STRING:
      res = o;
      return;
    case OT_FLOAT:
      snprintf(buf, sizeof(buf), "%g", static_cast<double>(_float(o)));
      break;
    case OT_INTEGER:
      snprintf(buf, sizeof(buf), "%d", _integer(o));
      break;
    case OT_BOOL:
      snprintf(buf, sizeof(buf), "%s", _integer(o) ? "true" : "false");
      break;
    default:
      snprintf(buf, sizeof(buf), "(%s : 0x%p)", sq_typename(sq_type(o)),
               sq_type(o) == OT_NULL ? nullptr : o._unVal.pUserPointer);
      break;
  }
  res = SQObjectPtr(SQString::CreateAscii(_ss, buf));
}

bool SQVM::StringCat(const SQObjectPtr& str, const SQObjectPtr& obj, SQObjectPtr& dest) {
  SQObjectPtr a, b;
  ToString(str, a);
  ToString(obj, b);
  std::u16string s(_string(a)->view());
  s += _string(b)->view();
  dest = SQObjectPtr(SQString::Create(_ss, s));
  return true;
}

void SQVM::TypeOf(const SQObjectPtr& objref, SQObjectPtr& dest) {
  const SQObjectPtr obj = objref;
  if (HasMetaMethods(obj)) {
    Push(obj);
    if (CallMetaMethod(obj, MT_TYPEOF, 1, dest)) return;
  }
  dest = SQObjectPtr(SQString::CreateAscii(_ss, sq_typename(sq_type(obj))));
}

bool SQVM::ArithOp(SQInteger op, SQObjectPtr& trg, const SQObjectPtr& o1, const SQObjectPtr& o2) {
  if (sq_type(o1) == OT_INTEGER && sq_type(o2) == OT_INTEGER) {
    const uint32_t a = static_cast<uint32_t>(_integer(o1));
    const uint32_t b = static_cast<uint32_t>(_integer(o2));
    const SQInteger i1 = _integer(o1), i2 = _integer(o2);
    switch (op) {
      case '+':
        trg = static_cast<SQInteger>(a + b);
        return true;
      case '-':
        trg = static_cast<SQInteger>(a - b);
        return true;
      case '*':
        trg = static_cast<SQInteger>(a * b);
        return true;
      case '/':
        if (i2 == 0) {
          Raise_Error("division by zero");
          return false;
        }
        trg = (i2 == -1) ? static_cast<SQInteger>(0u - a) : i1 / i2;
        return true;
      case '%':
        if (i2 == 0) {
          Raise_Error("modulo by zero");
          return false;
        }
        trg = (i2 == -1) ? 0 : i1 % i2;
        return true;
    }
  } else if ((sq_type(o1) & SQOBJECT_NUMERIC) && (sq_type(o2) & SQOBJECT_NUMERIC)) {
    const SQFloat f1 = sq_tofloat(o1), f2 = sq_tofloat(o2);
    switch (op) {
      case '+':
        trg = f1 + f2;
        return true;
      case '-':
        trg = f1 - f2;
        return true;
      case '*':
        trg = f1 * f2;
        return true;
      case '/':
        trg = f1 / f2;
        return true;
      case '%':
        trg = static_cast<SQFloat>(fmod(static_cast<double>(f1), static_cast<double>(f2)));
        return true;
    }
  } else if (op == '+' && (sq_type(o1) == OT_STRING || sq_type(o2) == OT_STRING)) {
    return StringCat(o1, o2, trg);
  }
  // Copies: a metamethod call may move the stack the operands live in.
  const SQObjectPtr left = o1, right = o2;
  const SQMetaMethod mm = ArithMetaMethod(op);
  if (mm != MT_LAST && HasMetaMethods(left)) {
    Push(left);
    Push(right);
    if (CallMetaMethod(left, mm, 2, trg)) return true;
  }
  // A metamethod's own error gives way to the generic one.
  Raise_Error("arith op %c on between '%s' and '%s'", static_cast<int>(op),
              sq_typename(sq_type(left)), sq_typename(sq_type(right)));
  return false;
}

namespace {
// Unsigned 16-bit unit comparison up to the first difference or NUL.
int CompareUnits(const SQChar* a, const SQChar* b) {
  while (*a && *a == *b) {
    a++;
    b++;
  }
  return (*a < *b) ? -1 : (*a > *b ? 1 : 0);
}
}  // namespace

bool SQVM::ObjCmp(const SQObjectPtr& o1, const SQObjectPtr& o2, SQInteger& res) {
  const SQObjectType t1 = sq_type(o1), t2 = sq_type(o2);
  if ((t1 & SQOBJECT_NUMERIC) && (t2 & SQOBJECT_NUMERIC)) {
    if (t1 == OT_INTEGER && t2 == OT_INTEGER) {
      res = _integer(o1) < _integer(o2) ? -1 : (_integer(o1) > _integer(o2) ? 1 : 0);
      return true;
    }
    const double d1 = t1 == OT_INTEGER ? _integer(o1) : static_cast<double>(_float(o1));
    const double d2 = t2 == OT_INTEGER ? _integer(o2) : static_cast<double>(_float(o2));
    res = d1 < d2 ? -1 : (d1 > d2 ? 1 : 0);
    return true;
  }
  if (t1 == t2) {
    switch (t1) {
      case OT_STRING:
        res = CompareUnits(_string(o1)->_val, _string(o2)->_val);
        return true;
      case OT_BOOL:
      case OT_NULL:
        res = _integer(o1) - _integer(o2);
        return true;
      case OT_TABLE:
      case OT_USERDATA:
      case OT_INSTANCE:
        if (_rawval(o1) != _rawval(o2) && HasMetaMethods(o1)) {
          const SQObjectPtr left = o1, right = o2;
          SQObjectPtr r;
          Push(left);
          Push(right);
          if (CallMetaMethod(left, MT_CMP, 2, r)) {
            if (sq_type(r) != OT_INTEGER) {
              Raise_CompareError(left, right);
              return false;
            }
            res = _integer(r);
            return true;
          }
        }
        [[fallthrough]];
      default:
        res = _rawval(o1) < _rawval(o2) ? -1 : (_rawval(o1) > _rawval(o2) ? 1 : 0);
        return true;
    }
  }
  if (t1 == OT_NULL) {
    res = -1;
    return true;
  }
  if (t2 == OT_NULL) {
    res = 1;
    return true;
  }
  Raise_CompareError(o1, o2);
  return false;
}

bool SQVM::CMP_OP(SQInteger op, const SQObjectPtr& o1, const SQObjectPtr& o2, SQObjectPtr& res) {
  if ((sq_type(o1) & SQOBJECT_NUMERIC) && (sq_type(o2) & SQOBJECT_NUMERIC) &&
      (sq_type(o1) == OT_FLOAT || sq_type(o2) == OT_FLOAT)) {
    // IEEE order: any comparison with a NaN is false.
    const double d1 = sq_type(o1) == OT_INTEGER ? _integer(o1) : static_cast<double>(_float(o1));
    const double d2 = sq_type(o2) == OT_INTEGER ? _integer(o2) : static_cast<double>(_float(o2));
    switch (op) {
      case CMP_G:
        res = d1 > d2;
        return true;
      case CMP_GE:
        res = d1 >= d2;
        return true;
      case CMP_L:
        res = d1 < d2;
        return true;
      case CMP_LE:
        res = d1 <= d2;
        return true;
    }
    return false;
  }
  SQInteger r;
  if (!ObjCmp(o1, o2, r)) return false;
  switch (op) {
    case CMP_G:
      res = r > 0;
      return true;
    case CMP_GE:
      res = r >= 0;
      return true;
    case CMP_L:
      res = r < 0;
      return true;
    case CMP_LE:
      res = r <= 0;
      return true;
  }
  return false;
}

bool SQVM::ObjEqual(const SQObjectPtr& o1, const SQObjectPtr& o2) {
  if (sq_type(o1) == sq_type(o2)) {
    if (sq_type(o1) == OT_FLOAT) return _float(o1) == _float(o2);
    return _rawval(o1) == _rawval(o2);
  }
  if ((sq_type(o1) & SQOBJECT_NUMERIC) && (sq_type(o2) & SQOBJECT_NUMERIC)) {
    const double d1 = sq_type(o1) == OT_INTEGER ? _integer(o1) : static_cast<double>(_float(o1));
    const double d2 = sq_type(o2) == OT_INTEGER ? _integer(o2) : static_cast<double>(_float(o2));
    return d1 == d2;
  }
  return false;
}

bool SQVM::Get(const SQObjectPtr& self, const SQObjectPtr& key, SQObjectPtr& dest, bool raw,
               bool fetchroot) {
  switch (sq_type(self)) {
    case OT_TABLE:
      if (_table(self)->Get(key, dest)) return true;
      break;
    case OT_ARRAY:
      if (sq_type(key) & SQOBJECT_NUMERIC) return _array(self)->Get(sq_toint(key), dest);
      break;
    case OT_STRING:
      if (sq_type(key) & SQOBJECT_NUMERIC) {
        const SQInteger n = sq_toint(key);
        if (n >= 0 && n < _string(self)->_len) {
          dest = static_cast<SQInteger>(_string(self)->_val[n]);
          return true;
        }
        return false;
      }
      break;
    case OT_INSTANCE:
      if (_instance(self)->Get(key, dest)) return true;
      break;
    default:
      break;
  }
  // A metamethod may run from here on and move the stack the arguments may live in.
  const SQObjectPtr s = self, k = key;
  if (FallBackGet(s, k, dest, raw)) return true;
  if (fetchroot && _stackbase < _top && sq_rawequal(_stack[static_cast<size_t>(_stackbase)], s) &&
      sq_type(_roottable) == OT_TABLE) {
    return _table(_roottable)->Get(k, dest);
  }
  return false;
}

bool SQVM::FallBackGet(const SQObjectPtr& self, const SQObjectPtr& key, SQObjectPtr& dest,
                       bool raw) {
  switch (sq_type(self)) {
    case OT_TABLE:
    case OT_USERDATA: {
      SQDelegable* owner = sq_type(self) == OT_TABLE ? static_cast<SQDelegable*>(_table(self))
                                                     : static_cast<SQDelegable*>(_userdata(self));
      SQTable* d = owner->_delegate;
      if (d) {
        if (Get(SQObjectPtr(d), key, dest, raw, false)) return true;
        if (raw) return false;
        Push(self);
        Push(key);
        if (CallMetaMethod(self, MT_GET, 2, dest)) return true;
      }
      if (sq_type(self) == OT_TABLE && !raw) {
        return _table(_ss->_table_default_delegate)->Get(key, dest);
      }
      return false;
    }
    case OT_ARRAY:
      return !raw && _table(_ss->_array_default_delegate)->Get(key, dest);
    case OT_STRING:
      return !raw && _table(_ss->_string_default_delegate)->Get(key, dest);
    case OT_INTEGER:
    case OT_FLOAT:
    case OT_BOOL:
      return !raw && _table(_ss->_number_default_delegate)->Get(key, dest);
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
      return !raw && _table(_ss->_closure_default_delegate)->Get(key, dest);
    case OT_CLASS:
      return _class(self)->Get(key, dest);
    case OT_INSTANCE:
      if (raw) return false;
      Push(self);
      Push(key);
      if (CallMetaMethod(self, MT_GET, 2, dest)) return true;
      return _table(_ss->_instance_default_delegate)->Get(key, dest);
    case OT_GENERATOR:
    case OT_THREAD:
    case OT_WEAKREF: {
      const SQObjectPtr& d = sq_type(self) == OT_GENERATOR ? _ss->_generator_default_delegate
                             : sq_type(self) == OT_THREAD  ? _ss->_thread_default_delegate
                                                           : _ss->_weakref_default_delegate;
      return !raw && sq_type(d) == OT_TABLE && _table(d)->Get(key, dest);
    }
    default:
      return false;
  }
}

bool SQVM::Set(const SQObjectPtr& self, const SQObjectPtr& key, const SQObjectPtr& val,
               bool fetchroot) {
  switch (sq_type(self)) {
    case OT_TABLE:
      if (_table(self)->Set(key, val)) return true;
      break;
    case OT_INSTANCE:
      if (_instance(self)->Set(key, val)) return true;
      break;
    case OT_USERDATA:
      break;
    case OT_ARRAY:
      if (!(sq_type(key) & SQOBJECT_NUMERIC)) {
        Raise_Error("indexing %s with %s", "array", sq_typename(sq_type(key)));
        return false;
      }
      return _array(self)->Set(sq_toint(key), val);
    default:
      Raise_Error("trying to set '%s'", sq_typename(sq_type(self)));
      return false;
  }
  // A metamethod may run from here on and move the stack the arguments may live in.
  const SQObjectPtr s = self, k = key, v = val;
  if (FallBackSet(s, k, v)) return true;
  if (fetchroot && sq_rawequal(_stack[static_cast<size_t>(_stackbase)], s) &&
      sq_type(_roottable) == OT_TABLE) {
    return _table(_roottable)->Set(k, v);
  }
  return false;
}

bool SQVM::FallBackSet(const SQObjectPtr& self, const SQObjectPtr& key, const SQObjectPtr& val) {
  if (sq_type(self) == OT_TABLE && _table(self)->_delegate &&
      Set(SQObjectPtr(_table(self)->_delegate), key, val, false)) {
    return true;
  }
  if (!HasMetaMethods(self)) return false;
  SQObjectPtr ignored;
  Push(self);
  Push(key);
  Push(val);
  return CallMetaMethod(self, MT_SET, 3, ignored);
}

bool SQVM::NewSlot(const SQObjectPtr& selfref, const SQObjectPtr& keyref, const SQObjectPtr& valref,
                   bool bstatic) {
  const SQObjectPtr self = selfref, key = keyref, val = valref;
  if (sq_type(key) == OT_NULL) {
    Raise_Error("null cannot be used as index");
    return false;
  }
  switch (sq_type(self)) {
    case OT_TABLE: {
      SQObjectPtr existing, ignored;
      if (_table(self)->_delegate && !_table(self)->Get(key, existing)) {
        Push(self);
        Push(key);
        Push(val);
        if (CallMetaMethod(self, MT_NEWSLOT, 3, ignored)) return true;
      }
      _table(self)->NewSlot(key, val);
      return true;
    }
    case OT_INSTANCE: {
      SQObjectPtr ignored;
      Push(self);
      Push(key);
      Push(val);
      if (CallMetaMethod(self, MT_NEWSLOT, 3, ignored)) return true;
      Raise_Error("class instances do not support the new slot operator");
      return false;
    }
    case OT_CLASS:
      if (!_class(self)->NewSlot(key, val, bstatic)) {
        if (_class(self)->_locked) {
          Raise_Error("trying to modify a class that has already been instantiated");
        } else {
          SQObjectPtr name(PrintObjVal(key));
          Raise_Error(u"the property '" + std::u16string(_string(name)->view()) +
                      u"' already exists");
        }
        return false;
      }
      return true;
    default:
      Raise_Error("indexing %s with %s", sq_typename(sq_type(self)), sq_typename(sq_type(key)));
      return false;
  }
}

bool SQVM::DeleteSlot(const SQObjectPtr& selfref, const SQObjectPtr& keyref, SQObjectPtr& res) {
  const SQObjectPtr self = selfref, key = keyref;
  switch (sq_type(self)) {
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA: {
      SQObjectPtr t;
      if (HasMetaMethods(self)) {
        Push(self);
        Push(key);
        if (CallMetaMethod(self, MT_DELSLOT, 2, t)) {
          res = t;
          return true;
        }
      }
      if (sq_type(self) != OT_TABLE) {
        Raise_Error("cannot delete a slot from %s", sq_typename(sq_type(self)));
        return false;
      }
      if (!_table(self)->Get(key, t)) {
        Raise_IdxError(key);
        return false;
      }
      _table(self)->Remove(key);
      res = t;
      return true;
    }
    default:
      Raise_Error("attempt to delete a slot from a %s", sq_typename(sq_type(self)));
      return false;
  }
}

bool SQVM::Clone(const SQObjectPtr& selfref, SQObjectPtr& target) {
  const SQObjectPtr self = selfref;
  SQObjectPtr newobj;
  switch (sq_type(self)) {
    case OT_TABLE:
      newobj = SQObjectPtr(_table(self)->Clone());
      break;
    case OT_INSTANCE: {
      SQInstance* inst = _instance(self)->Clone();
      if (inst) newobj = SQObjectPtr(inst);
      break;
    }
    case OT_ARRAY:
      target = SQObjectPtr(_array(self)->Clone());
      return true;
    default:
      break;
  }
  if (sq_type(newobj) == OT_NULL) {
    Raise_Error("cloning a %s", sq_typename(sq_type(self)));
    return false;
  }
  if (HasMetaMethods(newobj)) {
    SQObjectPtr ignored;
    Push(newobj);
    Push(self);
    CallMetaMethod(newobj, MT_CLONED, 2, ignored);
  }
  target = newobj;
  return true;
}
