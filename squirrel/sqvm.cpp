// The interpreter loop and the call machinery.
#include "squirrel/sqvm.h"

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqdirectaccess.h"
#include "squirrel/sqgenerator.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/squserdata.h"
#include "squirrel/sqweakref.h"

#include <utility>

SQVM::SQVM(SQSharedState* ss) : _ss(ss) {}

SQVM::~SQVM() {
  RemoveFromChain();
}

void SQVM::Finalize() {
  _roottable.Null();
  _lasterror.Null();
  _errorhandler.Null();
  temp_reg.Null();
  _callsstack.clear();
  _etraps.clear();
  _vargsstack.clear();
  for (auto& o : _stack) o.Null();
  _top = _stackbase = 0;
}

bool SQVM::Init(SQInteger stacksize) {
  _stack.resize(static_cast<size_t>(stacksize < 16 ? 16 : stacksize));
  _roottable = SQObjectPtr(SQTable::Create(_ss, 0));
  return true;
}

void SQVM::ResizeStack(SQInteger size) {
  size_t n = _stack.size();
  while (n < static_cast<size_t>(size + MIN_STACK_OVERHEAD)) n *= 2;
  _stack.resize(n);
}

void SQVM::Remove(SQInteger n) {
  for (SQInteger i = n; i < _top - 1; i++)
    _stack[static_cast<size_t>(i)] = _stack[static_cast<size_t>(i + 1)];
  _stack[static_cast<size_t>(--_top)].Null();
}

bool SQVM::CallNative(SQNativeClosure* nclosure, SQInteger nargs, SQInteger newbase,
                      SQObjectPtr& retval) {
  if (_nnativecalls + 1 > MAX_NATIVE_CALLS) {
    Raise_Error("Native stack overflow");
    return false;
  }
  const SQInteger nparamscheck = nclosure->_nparamscheck;
  if ((nparamscheck > 0 && nparamscheck != nargs) || (nparamscheck < 0 && nargs < -nparamscheck)) {
    Raise_Error("wrong number of parameters");
    return false;
  }
  // A bound environment replaces `this` before the type check, so the native never gets a
  // `this` its mask refuses (another type, or null once the environment is gone).
  if (sq_type(nclosure->_env) == OT_WEAKREF) {
    _stack[static_cast<size_t>(newbase)] = _weakref(nclosure->_env)->_obj;
  }
  const SQInteger tcs = static_cast<SQInteger>(nclosure->_typecheck.size());
  for (SQInteger i = 0; i < nargs && i < tcs; i++) {
    const SQInteger mask = nclosure->_typecheck[static_cast<size_t>(i)];
    const SQObjectType t = sq_type(_stack[static_cast<size_t>(newbase + i)]);
    if (mask != -1 && !(_RAW_TYPE(t) & static_cast<SQUnsignedInteger>(mask))) {
      Raise_ParamTypeError(i, mask, _RAW_TYPE(t));
      return false;
    }
  }
  const SQInteger nouters = static_cast<SQInteger>(nclosure->_outervalues.size());
  const SQInteger newtop = newbase + nargs + nouters;
  GrowStack(newtop);
  for (SQInteger i = 0; i < nouters; i++) {
    _stack[static_cast<size_t>(newbase + nargs + i)] =
        nclosure->_outervalues[static_cast<size_t>(i)];
  }
  _callsstack.emplace_back();
  CallInfo& c = _callsstack.back();
  c._prevstkbase = _stackbase;
  c._prevtop = _top;
  c._closure = SQObjectPtr(nclosure);
  c._vargs_base = static_cast<SQInteger>(_vargsstack.size());
  const SQInteger oldtop = _top;
  _stackbase = newbase;
  _top = newtop;
  _nnativecalls++;
  const SQInteger ret = nclosure->_function(this);
  _nnativecalls--;
  if (ret == SQ_SUSPEND_FLAG && _suspended) {
    retval = _stack[static_cast<size_t>(_top - 1)];
  } else if (ret < 0) {
    retval.Null();
  } else if (ret) {
    retval = _stack[static_cast<size_t>(_top - 1)];
  } else {
    retval.Null();
  }
  const SQInteger top = _top;
  _stackbase = _callsstack.back()._prevstkbase;
  _top = _callsstack.back()._prevtop;
  _callsstack.pop_back();
  for (SQInteger i = oldtop; i < top; i++) _stack[static_cast<size_t>(i)].Null();
  if (ret < 0 && !(ret == SQ_SUSPEND_FLAG && _suspended)) {
    if (sq_type(_lasterror) == OT_NULL) Raise_Error("call failed");
    return false;
  }
  return true;
}

bool SQVM::Call(SQObjectPtr& closure, SQInteger nparams, SQInteger stackbase, SQObjectPtr& outres,
                SQBool raiseerror) {
  switch (sq_type(closure)) {
    case OT_CLOSURE:
      return Execute(closure, nparams, stackbase, outres, raiseerror);
    case OT_NATIVECLOSURE:
      return CallNative(_nativeclosure(closure), nparams, stackbase, outres);
    case OT_CLASS:
      return CallClass(_class(closure), nparams, stackbase, outres, raiseerror);
    default:
      Raise_Error("attempt to call '%s'", sq_typename(sq_type(closure)));
      return false;
  }
}

void SQVM::CallErrorHandler(const SQObjectPtr& error) {
  if (sq_type(_errorhandler) != OT_CLOSURE && sq_type(_errorhandler) != OT_NATIVECLOSURE) return;
  SQObjectPtr handler = _errorhandler;
  SQObjectPtr saved = error;
  Push(_roottable);
  Push(error);
  SQObjectPtr ignored;
  Call(handler, 2, _top - 2, ignored, SQFalse);
  Pop(2);
  _lasterror = saved;
}

bool SQVM::CLOSURE_OP(SQObjectPtr& target, SQFunctionProto* func) {
  SQClosure* closure = SQClosure::Create(_ss, func);
  SQObjectPtr holder(closure);
  SQClosure* current = _closure(ci()->_closure);
  for (const SQOuterVar& v : func->_outervalues) {
    switch (v._type) {
      case otLOCAL:
        closure->_outervalues.push_back(_stack[static_cast<size_t>(_stackbase + _integer(v._src))]);
        break;
      case otOUTER:
        closure->_outervalues.push_back(
            current->_outervalues[static_cast<size_t>(_integer(v._src))]);
        break;
      case otSYMBOL: {
        SQObjectPtr val;
        if (!Get(_stack[static_cast<size_t>(_stackbase)], v._src, val, false, true)) {
          Raise_IdxError(v._src);
          return false;
        }
        closure->_outervalues.push_back(val);
        break;
      }
    }
  }
  for (SQInteger pos : func->_defaultparams) {
    closure->_defaultparams.push_back(_stack[static_cast<size_t>(_stackbase + pos)]);
  }
  target = holder;
  return true;
}

bool SQVM::BW_OP(SQUnsignedInteger op, SQObjectPtr& trg, const SQObjectPtr& o1,
                 const SQObjectPtr& o2) {
  if (sq_type(o1) != OT_INTEGER || sq_type(o2) != OT_INTEGER) {
    Raise_Error("bitwise op between '%s' and '%s'", sq_typename(sq_type(o1)),
                sq_typename(sq_type(o2)));
    return false;
  }
  const SQInteger i1 = _integer(o1), i2 = _integer(o2);
  const uint32_t u1 = static_cast<uint32_t>(i1);
  const unsigned shift = static_cast<uint32_t>(i2) & 31u;
  switch (op) {
    case BW_AND:
      trg = i1 & i2;
      return true;
    case BW_OR:
      trg = i1 | i2;
      return true;
    case BW_XOR:
      trg = i1 ^ i2;
      return true;
    case BW_SHIFTL:
      trg = static_cast<SQInteger>(u1 << shift);
      return true;
    case BW_SHIFTR:
      trg = static_cast<SQInteger>(i1 >> shift);
      return true;
    case BW_USHIFTR:
      trg = static_cast<SQInteger>(u1 >> shift);
      return true;
    default:
      Raise_Error("internal vm error bitwise op failed");
      return false;
  }
}

bool SQVM::NEG_OP(SQObjectPtr& trg, const SQObjectPtr& o) {
  switch (sq_type(o)) {
    case OT_INTEGER:
      trg = static_cast<SQInteger>(0u - static_cast<uint32_t>(_integer(o)));
      return true;
    case OT_FLOAT:
      trg = -_float(o);
      return true;
    case OT_TABLE:
    case OT_USERDATA:
    case OT_INSTANCE: {
      const SQObjectPtr self = o;
      SQObjectPtr closure;
      // A `_unm` that raises an error counts as no `_unm`.
      if (GetMetaMethod(self, MT_UNM, closure)) {
        Push(self);
        if (CallMetaMethod(self, MT_UNM, 1, trg)) return true;
      }
    }
      [[fallthrough]];
    default:
      Raise_Error("attempt to negate a %s", sq_typename(sq_type(o)));
      return false;
  }
}

bool SQVM::DerefInc(SQInteger op, SQObjectPtr& target, const SQObjectPtr& self,
                    const SQObjectPtr& key, const SQObjectPtr& incr, bool postfix) {
  // A number held directly by the object: one look-up serves both the read and the store, and
  // numeric arithmetic runs no script that could change the object in between.
  if (SQObjectPtr* slot = sq_directslot(self, key)) {
    if ((sq_type(*slot) & SQOBJECT_NUMERIC) && (sq_type(incr) & SQOBJECT_NUMERIC)) {
      const SQObjectPtr before = *slot;
      SQObjectPtr result;
      if (!ArithOp(op, result, before, incr)) return false;
      *slot = result;
      target = postfix ? before : result;
      return true;
    }
  }
  SQObjectPtr tmp, tself = self, tkey = key, tincr = incr, result;
  if (!Get(tself, tkey, tmp, false, true)) {
    Raise_IdxError(tkey);
    return false;
  }
  if (!ArithOp(op, result, tmp, tincr)) return false;
  Set(tself, tkey, result, true);
  target = postfix ? tmp : result;
  return true;
}

bool SQVM::FOREACH_OP(SQObjectPtr& o1, SQObjectPtr& o2, SQObjectPtr& o3, SQObjectPtr& o4,
                      bool& finished) {
  const SQInteger idx = sq_type(o4) == OT_NULL ? 0 : _integer(o4);
  SQInteger next = -1;
  switch (sq_type(o1)) {
    case OT_TABLE:
      next = _table(o1)->Next(idx, o2, o3);
      break;
    case OT_ARRAY:
      next = _array(o1)->Next(idx, o2, o3);
      break;
    case OT_STRING:
      if (idx >= 0 && idx < _string(o1)->_len) {
        o2 = idx;
        o3 = static_cast<SQInteger>(_string(o1)->_val[idx]);
        next = idx + 1;
      }
      break;
    case OT_CLASS:
      next = _class(o1)->Next(idx, o2, o3);
      break;
    case OT_INSTANCE:
    case OT_USERDATA:
      if (sq_type(o1) == OT_INSTANCE || _userdata(o1)->_delegate)
        return NextByMetaMethod(o1, o2, o3, o4, finished);
      [[fallthrough]];
    default:
      Raise_Error("cannot iterate %s", sq_typename(sq_type(o1)));
      return false;
  }
  finished = next == -1;
  if (!finished) o4 = next;
  return true;
}

bool SQVM::NextByMetaMethod(SQObjectPtr& o1, SQObjectPtr& o2, SQObjectPtr& o3, SQObjectPtr& o4,
                            bool& finished) {
  // The registers are frame slots; `_nexti` may move the stack, so keep their positions.
  const size_t keyslot = static_cast<size_t>(&o2 - _stack.data());
  const size_t valslot = static_cast<size_t>(&o3 - _stack.data());
  const size_t itrslot = static_cast<size_t>(&o4 - _stack.data());
  const SQObjectPtr self = o1, previous = o4;
  SQObjectPtr itr;
  Push(self);
  Push(previous);
  if (!CallMetaMethod(self, MT_NEXTI, 2, itr)) {
    Raise_Error("_nexti failed");
    return false;
  }
  _stack[keyslot] = itr;
  _stack[itrslot] = itr;
  finished = sq_type(itr) == OT_NULL;
  if (finished) return true;
  SQObjectPtr val;
  if (!Get(self, itr, val, false, false)) {
    Raise_Error("_nexti returned an invalid idx");
    return false;
  }
  _stack[valslot] = val;
  return true;
}
