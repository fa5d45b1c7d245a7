// The interpreter: runs script frames until the entry frame returns or an error escapes it.
#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqdirectaccess.h"
#include "squirrel/sqgenerator.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"
#include "squirrel/sqweakref.h"

#include <cstring>
#include <utility>

// Registers of the running frame. R reads through the loop's cached base pointer and is for
// code that has called nothing since the frame state was loaded; STK indexes the stack afresh
// and stays right after a call that may have grown (moved) the stack.
#define R(n) (stk[n])
#define STK(n) (_stack[static_cast<size_t>(_stackbase + (n))])
#define K(n) (literals[n])
// Every case that may call out of the loop or raise an error first stores the instruction
// pointer back into its frame: errors, the debug hook and callees read it from there.
#define SAVE_IP() (c->_ip = ip)
// Threaded dispatch: every handler ends by decoding the next instruction and jumping straight
// to its handler; an opcode past the table goes to the invalid-opcode handler.
#define HANDLER(op) handler##op
#define DISPATCH()                                                               \
  do {                                                                           \
    inst = *ip++;                                                                \
    arg0 = inst._arg0;                                                           \
    arg1 = inst._arg1;                                                           \
    arg2 = inst._arg2;                                                           \
    arg3 = inst._arg3;                                                           \
    goto*(inst.op < kOpcodeCount ? kHandlers[inst.op] : &&HANDLER(_OP_INVALID)); \
  } while (0)
#define THROW_IF(cond)             \
  do {                             \
    if (cond) goto exception_trap; \
  } while (0)

// Frame push and pop sit next to the loop so that it can inline them.
bool SQVM::StartCall(SQClosure* closure, SQInteger target, SQInteger nargs, SQInteger stackbase,
                     bool tailcall) {
  SQFunctionProto* func = closure->proto();
  const SQInteger paramssize = static_cast<SQInteger>(func->_parameters.size());
  const SQInteger newtop = stackbase + func->_stacksize;
  GrowStack(newtop);
  SQInteger nvargs = 0;
  if (func->_varparams) {
    if (nargs < paramssize) {
      Raise_Error("wrong number of parameters");
      return false;
    }
    nvargs = nargs - paramssize;
  } else if (paramssize != nargs) {
    const SQInteger ndef = static_cast<SQInteger>(closure->_defaultparams.size());
    if (ndef && nargs < paramssize && paramssize - nargs <= ndef) {
      for (SQInteger n = nargs; n < paramssize; n++) {
        _stack[static_cast<size_t>(stackbase + n)] =
            closure->_defaultparams[static_cast<size_t>(n - (paramssize - ndef))];
      }
    } else {
      Raise_Error("wrong number of parameters");
      return false;
    }
  }
  if (!tailcall && static_cast<SQInteger>(_callsstack.size()) >= MAX_CALL_DEPTH) {
    Raise_Error("stack overflow");
    return false;
  }
  if (tailcall) {
    _vargsstack.resize(static_cast<size_t>(ci()->_vargs_base));
    ci()->_ncalls++;
  } else {
    CallInfo& c = _callsstack.emplace_back();
    c._prevstkbase = _stackbase;
    c._prevtop = _top;
    c._target = target;
  }
  // The frame holds the closure from here on, so the caller's slot may be cleared below.
  CallInfo& c = _callsstack.back();
  c._closure = SQObjectPtr(closure);
  const SQInteger vargsbase = static_cast<SQInteger>(_vargsstack.size());
  for (SQInteger n = 0; n < nvargs; n++) {
    _vargsstack.push_back(std::move(_stack[static_cast<size_t>(stackbase + paramssize + n)]));
  }
  if (sq_type(closure->_env) == OT_WEAKREF) {
    _stack[static_cast<size_t>(stackbase)] = _weakref(closure->_env)->_obj;
  }
  NullSlots(stackbase + (nargs < paramssize ? paramssize : nargs), newtop);
  c._ip = func->_instructions.data();
  c._etraps = 0;
  c._vargs_base = vargsbase;
  c._vargs_size = nvargs;
  _stackbase = stackbase;
  _top = newtop;
  if (sq_type(_debughook) != OT_NULL && !func->_bgenerator) CallDebugHook('c');
  if (func->_bgenerator) {
    // Calling a generator function runs no code: the new frame becomes the generator.
    SQGenerator* g = SQGenerator::Create(_ss, closure);
    SQObjectPtr gen = sq_generator_object(g);
    g->Save(this);
    LeaveFrame();
    if (target != -1) {
      _stack[static_cast<size_t>(_stackbase + target)] = gen;
    } else {
      temp_reg = gen;
    }
  }
  return true;
}

void SQVM::NullSlots(SQInteger from, SQInteger to) {
  // Plain values are overwritten in place; a counted value is released through the stack
  // afresh, because whatever its release runs may move the stack.
  SQObjectPtr* slots = _stack.data();
  for (SQInteger i = from; i < to; i++) {
    if (ISREFCOUNTED(sq_type(slots[i]))) {
      _stack[static_cast<size_t>(i)].Null();
      slots = _stack.data();
    } else {
      slots[i].Null();
    }
  }
}

void SQVM::LeaveFrame() {
  CallInfo& c = _callsstack.back();
  if (sq_type(c._generator) == OT_GENERATOR) _generator(c._generator)->Kill();
  for (SQInteger i = 0; i < c._etraps; i++) _etraps.pop_back();
  _vargsstack.resize(static_cast<size_t>(c._vargs_base));
  NullSlots(_stackbase, _top);
  _stackbase = c._prevstkbase;
  _top = c._prevtop;
  _callsstack.pop_back();
}

bool SQVM::Return(SQInteger _arg0, SQInteger _arg1, SQObjectPtr& retval) {
  const bool root = _callsstack.back()._root;
  const SQInteger target = _callsstack.back()._target;
  if (sq_type(_debughook) != OT_NULL) {
    for (SQInteger i = 0; i < _callsstack.back()._ncalls; i++) CallDebugHook('r');
  }
  if (_arg0 != MAX_FUNC_STACKSIZE) {
    retval = std::move(_stack[static_cast<size_t>(_stackbase + _arg1)]);
  } else {
    retval.Null();
  }
  LeaveFrame();
  if (!root && target != -1) _stack[static_cast<size_t>(_stackbase + target)] = std::move(retval);
  return root;
}

namespace {

// Integer `+` and `-` wrap around, as ArithOp's unsigned arithmetic does.
inline SQInteger WrapAddSub(SQInteger op, SQInteger a, SQInteger b) {
  const uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
  return static_cast<SQInteger>(op == '+' ? ua + ub : ua - ub);
}

// The integer case of `CMP_OP`, kept here so the loop can take it without a call.
inline bool CompareIntegers(SQInteger op, SQInteger i1, SQInteger i2, bool& r) {
  switch (op) {
    case CMP_G:
      r = i1 > i2;
      return true;
    case CMP_GE:
      r = i1 >= i2;
      return true;
    case CMP_L:
      r = i1 < i2;
      return true;
    case CMP_LE:
      r = i1 <= i2;
      return true;
  }
  return false;
}

}  // namespace

bool SQVM::Execute(SQObjectPtr& closure, SQInteger nargs, SQInteger stackbase, SQObjectPtr& outres,
                   SQBool raiseerror, bool resume) {
  if (_nnativecalls + 1 > MAX_NATIVE_CALLS) {
    Raise_Error("Native stack overflow");
    return false;
  }
  const size_t entrytraps = resume ? _suspended_entrytraps : _etraps.size();
  if (resume) {
    _suspended = false;
  } else {
    SQObjectPtr entryclosure = closure;
    if (sq_type(entryclosure) == OT_GENERATOR) {
      if (!_generator(entryclosure)->Resume(this, -1)) return false;
    } else {
      if (!StartCall(_closure(entryclosure), -1, nargs, stackbase, false)) return false;
      if (_closure(entryclosure)->proto()->_bgenerator) {
        outres = temp_reg;
        temp_reg.Null();
        return true;
      }
    }
    _callsstack.back()._root = true;
  }
  _nnativecalls++;

  // One handler per opcode, in opcode order (GNU labels as values).
  static const void* const kHandlers[] = {
      &&HANDLER(_OP_LINE),        &&HANDLER(_OP_LOAD),
      &&HANDLER(_OP_LOADINT),     &&HANDLER(_OP_LOADFLOAT),
      &&HANDLER(_OP_DLOAD),       &&HANDLER(_OP_TAILCALL),
      &&HANDLER(_OP_CALL),        &&HANDLER(_OP_PREPCALL),
      &&HANDLER(_OP_PREPCALLK),   &&HANDLER(_OP_GETK),
      &&HANDLER(_OP_MOVE),        &&HANDLER(_OP_NEWSLOT),
      &&HANDLER(_OP_DELETE),      &&HANDLER(_OP_SET),
      &&HANDLER(_OP_GET),         &&HANDLER(_OP_EQ),
      &&HANDLER(_OP_NE),          &&HANDLER(_OP_ARITH),
      &&HANDLER(_OP_BITW),        &&HANDLER(_OP_RETURN),
      &&HANDLER(_OP_LOADNULLS),   &&HANDLER(_OP_LOADROOTTABLE),
      &&HANDLER(_OP_LOADBOOL),    &&HANDLER(_OP_DMOVE),
      &&HANDLER(_OP_JMP),         &&HANDLER(_OP_JNZ),
      &&HANDLER(_OP_JZ),          &&HANDLER(_OP_LOADFREEVAR),
      &&HANDLER(_OP_VARGC),       &&HANDLER(_OP_GETVARGV),
      &&HANDLER(_OP_NEWTABLE),    &&HANDLER(_OP_NEWARRAY),
      &&HANDLER(_OP_APPENDARRAY), &&HANDLER(_OP_GETPARENT),
      &&HANDLER(_OP_COMPARITH),   &&HANDLER(_OP_COMPARITHL),
      &&HANDLER(_OP_INC),         &&HANDLER(_OP_INCL),
      &&HANDLER(_OP_PINC),        &&HANDLER(_OP_PINCL),
      &&HANDLER(_OP_CMP),         &&HANDLER(_OP_EXISTS),
      &&HANDLER(_OP_INSTANCEOF),  &&HANDLER(_OP_AND),
      &&HANDLER(_OP_OR),          &&HANDLER(_OP_NEG),
      &&HANDLER(_OP_NOT),         &&HANDLER(_OP_BWNOT),
      &&HANDLER(_OP_CLOSURE),     &&HANDLER(_OP_YIELD),
      &&HANDLER(_OP_RESUME),      &&HANDLER(_OP_FOREACH),
      &&HANDLER(_OP_POSTFOREACH), &&HANDLER(_OP_DELEGATE),
      &&HANDLER(_OP_CLONE),       &&HANDLER(_OP_TYPEOF),
      &&HANDLER(_OP_PUSHTRAP),    &&HANDLER(_OP_POPTRAP),
      &&HANDLER(_OP_THROW),       &&HANDLER(_OP_CLASS),
      &&HANDLER(_OP_NEWSLOTA),
  };
  static_assert(sizeof(kHandlers) / sizeof(kHandlers[0]) == kOpcodeCount);

  // The running frame's state, kept in locals. Handlers that stay inside the frame use and
  // update them and end with DISPATCH; every other handler saves the instruction pointer first
  // and ends with `goto reload`, because a call, a return or a metamethod may change the frame
  // or move the stack.
  SQInstruction inst;
  SQInteger arg0, arg1, arg2, arg3;
  CallInfo* c;
  SQClosure* cl;
  const SQObjectPtr* literals;
  const SQInstruction* ip;
  SQObjectPtr* stk;
reload:
  c = &_callsstack.back();
  cl = _closure(c->_closure);
  literals = cl->proto()->_literals.data();
  ip = c->_ip;
  stk = _stack.data() + _stackbase;
  DISPATCH();
  HANDLER(_OP_LINE) : if (sq_type(_debughook) == OT_NULL) DISPATCH();
  SAVE_IP();
  CallDebugHook('l', arg1);
  goto reload;
  HANDLER(_OP_LOAD) : R(arg0) = K(arg1);
  DISPATCH();
  HANDLER(_OP_LOADINT) : R(arg0) = arg1;
  DISPATCH();
  HANDLER(_OP_LOADFLOAT) : {
    SQFloat f;
    memcpy(&f, &inst._arg1, sizeof(f));
    R(arg0) = f;
    DISPATCH();
  }
  HANDLER(_OP_DLOAD) : R(arg0) = K(arg1);
  R(arg2) = K(arg3);
  DISPATCH();
  HANDLER(_OP_TAILCALL) : {
    SAVE_IP();
    SQObjectPtr t = STK(arg1);
    if (sq_type(t) == OT_CLOSURE && !_closure(t)->proto()->_bgenerator) {
      for (SQInteger i = 0; i < arg3; i++) STK(i) = STK(arg2 + i);
      THROW_IF(!StartCall(_closure(t), c->_target, arg3, _stackbase, true));
      goto reload;
    }
  }
  HANDLER(_OP_CALL) : {
    SAVE_IP();
    if (sq_type(STK(arg1)) == OT_CLOSURE) {
      // The new frame takes its own reference to the closure: no copy needed here.
      THROW_IF(!StartCall(_closure(STK(arg1)), arg0, arg3, _stackbase + arg2, false));
      goto reload;
    }
    SQObjectPtr clo = STK(arg1);
    switch (sq_type(clo)) {
      case OT_NATIVECLOSURE: {
        SQObjectPtr ret;
        THROW_IF(!CallNative(_nativeclosure(clo), arg3, _stackbase + arg2, ret));
        if (_suspended) {
          // The thread stops here with all its frames; WakeUp continues after this call.
          _suspended_target = arg0;
          _suspended_entrytraps = entrytraps;
          outres = ret;
          _nnativecalls--;
          return true;
        }
        STK(arg0) = std::move(ret);
        goto reload;
      }
      case OT_CLASS: {
        SQObjectPtr instance;
        THROW_IF(!CallClass(_class(clo), arg3, _stackbase + arg2, instance, SQFalse));
        STK(arg0) = std::move(instance);
        goto reload;
      }
      case OT_TABLE:
      case OT_USERDATA:
      case OT_INSTANCE: {
        SQObjectPtr mm;
        if (GetMetaMethod(clo, MT_CALL, mm)) {
          // `_call` gets the callee as `this`, then the call's own `this` and arguments. A
          // `_call` that raises an error counts as no `_call`.
          Push(clo);
          for (SQInteger i = 0; i < arg3; i++) {
            SQObjectPtr arg = STK(arg2 + i);
            Push(arg);
          }
          SQObjectPtr ret;
          if (CallMetaMethod(clo, MT_CALL, arg3 + 1, ret)) {
            STK(arg0) = std::move(ret);
            goto reload;
          }
        }
      }
        [[fallthrough]];
      default:
        Raise_Error("attempt to call '%s'", sq_typename(sq_type(clo)));
        goto exception_trap;
    }
  }
  HANDLER(_OP_PREPCALL) : HANDLER(_OP_PREPCALLK) : {
    const SQObjectPtr& key = inst.op == _OP_PREPCALLK ? K(arg1) : R(arg1);
    // The callee lands in arg0 and `this` in arg3; the shortcut keeps to the usual register
    // layout, where neither store overwrites the object before the other reads it.
    if (arg0 != arg2 && arg0 != arg3) {
      if (const SQObject* v = sq_directvalue(R(arg2), key)) {
        R(arg0) = *v;
        R(arg3) = R(arg2);
        DISPATCH();
      }
    }
    SAVE_IP();
    SQObjectPtr k = key;
    SQObjectPtr o = STK(arg2);
    if (!Get(o, k, temp_reg, false, true)) {
      // A class answers calls it has no member for from the class default delegate.
      if (sq_type(o) != OT_CLASS || !_table(_ss->_class_default_delegate)->Get(k, temp_reg)) {
        Raise_IdxError(k);
        goto exception_trap;
      }
      STK(arg3) = o;
      STK(arg0) = temp_reg;
      goto reload;
    }
    // `Base.method()` runs on the caller's own `this`.
    STK(arg3) = sq_type(o) == OT_CLASS ? STK(0) : o;
    STK(arg0) = temp_reg;
    goto reload;
  }
  HANDLER(_OP_GETK) : HANDLER(_OP_GET) : {
    const SQObjectPtr& key = inst.op == _OP_GETK ? K(arg1) : R(arg2);
    const SQObjectPtr& self = inst.op == _OP_GETK ? R(arg2) : R(arg1);
    if (const SQObject* v = sq_directvalue(self, key)) {
      R(arg0) = *v;
      DISPATCH();
    }
    SAVE_IP();
    SQObjectPtr k = key;
    SQObjectPtr o = self;
    if (!Get(o, k, temp_reg, false, true)) {
      Raise_IdxError(k);
      goto exception_trap;
    }
    STK(arg0) = temp_reg;
    goto reload;
  }
  HANDLER(_OP_MOVE) : R(arg0) = R(arg1);
  DISPATCH();
  HANDLER(_OP_NEWSLOT) : SAVE_IP();
  THROW_IF(!NewSlot(STK(arg1), STK(arg2), STK(arg3), false));
  if (arg0 != arg3) STK(arg0) = STK(arg3);
  goto reload;
  HANDLER(_OP_DELETE) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!DeleteSlot(STK(arg1), STK(arg2), res));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_SET) : if (SQObjectPtr* slot = sq_directslot(R(arg1), R(arg2))) {
    *slot = R(arg3);
    if (arg0 != arg3) R(arg0) = R(arg3);
    DISPATCH();
  }
  SAVE_IP();
  if (!Set(STK(arg1), STK(arg2), STK(arg3), true)) {
    Raise_IdxError(STK(arg2));
    goto exception_trap;
  }
  if (arg0 != arg3) STK(arg0) = STK(arg3);
  goto reload;
  HANDLER(_OP_EQ) : HANDLER(_OP_NE) : {
    const bool eq = ObjEqual(R(arg2), arg3 ? K(arg1) : R(arg1));
    R(arg0) = inst.op == _OP_EQ ? eq : !eq;
    DISPATCH();
  }
  HANDLER(_OP_ARITH) : {
    const SQObjectPtr& o1 = R(arg2);
    const SQObjectPtr& o2 = R(arg1);
    if (sq_type(o1) == OT_INTEGER && sq_type(o2) == OT_INTEGER && (arg3 == '+' || arg3 == '-')) {
      R(arg0) = WrapAddSub(arg3, _integer(o1), _integer(o2));
      DISPATCH();
    }
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!ArithOp(arg3, res, STK(arg2), STK(arg1)));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_BITW) : {
    // The result's scope closes before the dispatch: an indirect jump may not leave the
    // scope of a local with a destructor.
    {
      SAVE_IP();
      SQObjectPtr res;
      THROW_IF(!BW_OP(arg3, res, R(arg2), R(arg1)));
      R(arg0) = std::move(res);
    }
    DISPATCH();
  }
  HANDLER(_OP_RETURN) : {
    SAVE_IP();
    SQObjectPtr ret;
    if (Return(arg0, arg1, ret)) {
      outres = std::move(ret);
      _nnativecalls--;
      return true;
    }
    goto reload;
  }
  HANDLER(_OP_LOADNULLS) : for (SQInteger n = 0; n < arg1; n++) R(arg0 + n).Null();
  DISPATCH();
  HANDLER(_OP_LOADROOTTABLE) : R(arg0) = _roottable;
  DISPATCH();
  HANDLER(_OP_LOADBOOL) : R(arg0) = arg1 != 0;
  DISPATCH();
  HANDLER(_OP_DMOVE) : R(arg0) = R(arg1);
  R(arg2) = R(arg3);
  DISPATCH();
  HANDLER(_OP_JMP) : ip += arg1;
  DISPATCH();
  HANDLER(_OP_JNZ) : if (sq_istrue(R(arg0))) ip += arg1;
  DISPATCH();
  HANDLER(_OP_JZ) : if (!sq_istrue(R(arg0))) ip += arg1;
  DISPATCH();
  HANDLER(_OP_LOADFREEVAR) : R(arg0) = cl->_outervalues[static_cast<size_t>(arg1)];
  DISPATCH();
  HANDLER(_OP_VARGC) : R(arg0) = c->_vargs_size;
  DISPATCH();
  HANDLER(_OP_GETVARGV) : {
    SAVE_IP();
    const SQObjectPtr& idx = R(arg1);
    if (!(sq_type(idx) & SQOBJECT_NUMERIC)) {
      Raise_Error("indexing 'vargv' with %s", sq_typename(sq_type(idx)));
      goto exception_trap;
    }
    if (c->_vargs_size == 0) {
      Raise_Error("the function doesn't have var args");
      goto exception_trap;
    }
    const SQInteger n = sq_toint(idx);
    if (n < 0 || n >= c->_vargs_size) {
      Raise_Error("vargv index out of range");
      goto exception_trap;
    }
    R(arg0) = _vargsstack[static_cast<size_t>(c->_vargs_base + n)];
    DISPATCH();
  }
  HANDLER(_OP_NEWTABLE) : R(arg0) = SQObjectPtr(SQTable::Create(_ss, arg1));
  DISPATCH();
  HANDLER(_OP_NEWARRAY) : {
    SQArray* a = SQArray::Create(_ss, 0);
    R(arg0) = SQObjectPtr(a);
    a->_values.reserve(static_cast<size_t>(arg1 < 0 ? 0 : (arg1 > 4096 ? 4096 : arg1)));
    DISPATCH();
  }
  HANDLER(_OP_APPENDARRAY)
      :  // Only a loaded stream can aim this at something that is not an array.
        if (sq_type(R(arg0)) != OT_ARRAY) {
    SAVE_IP();
    Raise_Error("internal vm error: appending to a %s", sq_typename(sq_type(R(arg0))));
    goto exception_trap;
  }
  _array(R(arg0))->Append(arg3 ? K(arg1) : R(arg1));
  DISPATCH();
  HANDLER(_OP_GETPARENT) : {
    const SQObjectPtr& o = R(arg1);
    if (sq_type(o) == OT_CLASS) {
      SQClass* base = _class(o)->base();
      if (base) {
        R(arg0) = SQObjectPtr(base);
      } else {
        R(arg0).Null();
      }
      DISPATCH();
    }
    if (sq_type(o) != OT_TABLE) {
      SAVE_IP();
      Raise_Error("the %s type doesn't have a parent slot", sq_typename(sq_type(o)));
      goto exception_trap;
    }
    SQTable* d = _table(o)->_delegate;
    if (d) {
      R(arg0) = SQObjectPtr(d);
    } else {
      R(arg0).Null();
    }
    DISPATCH();
  }
  HANDLER(_OP_COMPARITH) : {
    const SQInteger selfidx =
        static_cast<SQInteger>((static_cast<uint32_t>(arg1) & 0xFFFF0000u) >> 16);
    const SQObjectPtr& incr = R(arg1 & 0xFFFF);
    if (sq_type(incr) == OT_INTEGER && (arg3 == '+' || arg3 == '-')) {
      SQObjectPtr* slot = sq_directslot(R(selfidx), R(arg2));
      if (slot && sq_type(*slot) == OT_INTEGER) {
        const SQInteger result = WrapAddSub(arg3, _integer(*slot), _integer(incr));
        *slot = result;
        R(arg0) = result;
        DISPATCH();
      }
    }
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!DerefInc(arg3, res, STK(selfidx), STK(arg2), STK(arg1 & 0xFFFF), false));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_COMPARITHL) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!ArithOp(arg3, res, STK(arg1), STK(arg2)));
    STK(arg1) = res;
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_INC) : HANDLER(_OP_PINC) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!DerefInc('+', res, STK(arg1), STK(arg2), SQObjectPtr(static_cast<signed char>(arg3)),
                       inst.op == _OP_PINC));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_INCL) : HANDLER(_OP_PINCL) : {
    // The target is written before the local: when both are one register (a free variable
    // loaded into the slot of the local being declared) it ends with the new value.
    if (sq_type(R(arg1)) == OT_INTEGER) {
      const SQInteger before = _integer(R(arg1));
      const SQInteger after = WrapAddSub('+', before, static_cast<signed char>(arg3));
      R(arg0) = inst.op == _OP_PINCL ? before : after;
      R(arg1) = after;
      DISPATCH();
    }
    SAVE_IP();
    SQObjectPtr old = STK(arg1), res;
    THROW_IF(!ArithOp('+', res, old, SQObjectPtr(static_cast<signed char>(arg3))));
    STK(arg0) = inst.op == _OP_PINCL ? old : res;
    STK(arg1) = res;
    goto reload;
  }
  HANDLER(_OP_CMP) : {
    const SQObjectPtr& o1 = R(arg2);
    const SQObjectPtr& o2 = R(arg1);
    bool r;
    if (sq_type(o1) == OT_INTEGER && sq_type(o2) == OT_INTEGER &&
        CompareIntegers(arg3, _integer(o1), _integer(o2), r)) {
      R(arg0) = r;
      // The compiler follows a loop or `if` condition with a jump on its register: take
      // that jump here.
      if (ip->op == _OP_JZ && ip->_arg0 == inst._arg0) {
        const SQInteger offset = ip->_arg1;
        ip += r ? 1 : 1 + offset;
      }
      DISPATCH();
    }
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!CMP_OP(arg3, STK(arg2), STK(arg1), res));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_EXISTS) : {
    SAVE_IP();
    SQObjectPtr ignored;
    const bool exists = Get(STK(arg1), STK(arg2), ignored, true, false);
    STK(arg0) = exists;
    goto reload;
  }
  HANDLER(_OP_INSTANCEOF) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!InstanceOf(STK(arg1), STK(arg2), res));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_AND) : if (!sq_istrue(R(arg2))) {
    R(arg0) = R(arg2);
    ip += arg1;
  }
  DISPATCH();
  HANDLER(_OP_OR) : if (sq_istrue(R(arg2))) {
    R(arg0) = R(arg2);
    ip += arg1;
  }
  DISPATCH();
  HANDLER(_OP_NEG) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!NEG_OP(res, STK(arg1)));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_NOT) : R(arg0) = !sq_istrue(R(arg1));
  DISPATCH();
  HANDLER(_OP_BWNOT) : if (sq_type(R(arg1)) != OT_INTEGER) {
    SAVE_IP();
    Raise_Error("attempt to perform a bitwise op on a %s", sq_typename(sq_type(R(arg1))));
    goto exception_trap;
  }
  R(arg0) = ~_integer(R(arg1));
  DISPATCH();
  HANDLER(_OP_CLOSURE) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!CLOSURE_OP(res, _funcproto(cl->proto()->_functions[static_cast<size_t>(arg1)])));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_YIELD) : {
    SAVE_IP();
    if (sq_type(c->_generator) != OT_GENERATOR) {
      Raise_Error("trying to yield a '%s',only genenerator can be yielded",
                  sq_typename(sq_type(c->_closure)));
      goto exception_trap;
    }
    SQObjectPtr gen = c->_generator, value;
    if (arg0 != 0xFF) value = STK(arg1);
    _generator(gen)->Save(this);
    c->_generator.Null();
    const SQInteger target = c->_target;
    const bool root = c->_root;
    LeaveFrame();
    if (root) {
      // A generator resumed from native code hands its value back to that code.
      outres = std::move(value);
      _nnativecalls--;
      return true;
    }
    if (target != -1) STK(target) = value;
    goto reload;
  }
  HANDLER(_OP_RESUME) : {
    SAVE_IP();
    SQObjectPtr gen = STK(arg1);
    if (sq_type(gen) != OT_GENERATOR) {
      Raise_Error("trying to resume a '%s',only genenerator can be resumed",
                  sq_typename(sq_type(gen)));
      goto exception_trap;
    }
    THROW_IF(!_generator(gen)->Resume(this, arg0));
    goto reload;
  }
  HANDLER(_OP_FOREACH) : {
    SAVE_IP();
    if (sq_type(STK(arg0)) == OT_GENERATOR) {
      // The generator runs until its next yield, which lands in the value register and
      // returns to POSTFOREACH; the key counts the steps.
      SQObjectPtr gen = STK(arg0);
      SQGenerator* g = _generator(gen);
      if (g->_state == SQGenerator::eDead) {
        c->_ip += arg1;
        goto reload;
      }
      if (g->_state == SQGenerator::eSuspended) {
        SQObjectPtr& iter = STK(arg2 + 2);
        iter = sq_type(iter) == OT_NULL ? SQInteger(0) : SQInteger(_integer(iter) + 1);
        STK(arg2) = iter;
        THROW_IF(!g->Resume(this, arg2 + 1));
        goto reload;
      }
      Raise_Error("cannot iterate %s", sq_typename(OT_GENERATOR));
      goto exception_trap;
    }
    bool finished = false;
    THROW_IF(!FOREACH_OP(STK(arg0), STK(arg2), STK(arg2 + 1), STK(arg2 + 2), finished));
    // `_nexti` may have run and grown the call stack: look the frame up again.
    _callsstack.back()._ip += finished ? arg1 : 1;
    goto reload;
  }
  HANDLER(_OP_POSTFOREACH)
      : if (sq_type(R(arg0)) == OT_GENERATOR && _generator(R(arg0))->_state == SQGenerator::eDead) {
    ip += arg1 - 1;
  }
  DISPATCH();
  HANDLER(_OP_DELEGATE) : {
    SAVE_IP();
    const SQObjectPtr& t = STK(arg1);
    const SQObjectPtr& d = STK(arg2);
    if (sq_type(t) != OT_TABLE) {
      Raise_Error("delegating a '%s'", sq_typename(sq_type(t)));
      goto exception_trap;
    }
    if (sq_type(d) != OT_TABLE && sq_type(d) != OT_NULL) {
      Raise_Error("using '%s' as delegate", sq_typename(sq_type(d)));
      goto exception_trap;
    }
    if (!_table(t)->SetDelegate(sq_type(d) == OT_TABLE ? _table(d) : nullptr)) {
      Raise_Error("delegate cycle detected");
      goto exception_trap;
    }
    STK(arg0) = STK(arg1);
    goto reload;
  }
  HANDLER(_OP_CLONE) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!Clone(STK(arg1), res));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_TYPEOF) : {
    SAVE_IP();
    SQObjectPtr res;
    TypeOf(STK(arg1), res);
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_PUSHTRAP) : _etraps.push_back({_stackbase, _top, ip + arg1, arg0});
  c->_etraps++;
  DISPATCH();
  HANDLER(_OP_POPTRAP) : if (arg0 > c->_etraps) {
    SAVE_IP();
    Raise_Error("internal vm error: trap underflow");
    goto exception_trap;
  }
  for (SQInteger i = 0; i < arg0; i++) {
    _etraps.pop_back();
    c->_etraps--;
  }
  DISPATCH();
  HANDLER(_OP_THROW) : SAVE_IP();
  _lasterror = STK(arg0);
  goto exception_trap;
  HANDLER(_OP_NEWSLOTA) : {
    SAVE_IP();
    // Table literals with computed keys use this form too.
    const bool bstatic = (arg0 & NEW_SLOT_STATIC_FLAG) != 0;
    if (sq_type(STK(arg1)) != OT_CLASS) {
      THROW_IF(!NewSlot(STK(arg1), STK(arg2), STK(arg3), bstatic));
      goto reload;
    }
    const bool hasattrs = (arg0 & NEW_SLOT_ATTRIBUTES_FLAG) != 0;
    THROW_IF(!NewClassMember(STK(arg1), STK(arg2), STK(arg3), hasattrs ? STK(arg2 - 1) : _null_,
                             hasattrs, bstatic));
    goto reload;
  }
  HANDLER(_OP_CLASS) : {
    SAVE_IP();
    SQObjectPtr res;
    THROW_IF(!CLASS_OP(res, arg1, arg2));
    STK(arg0) = std::move(res);
    goto reload;
  }
  HANDLER(_OP_INVALID) : SAVE_IP();
  Raise_Error("internal vm error: invalid opcode");
  goto exception_trap;
exception_trap : {
  SQObjectPtr currerror = _lasterror;
  if (raiseerror && (_etraps.size() == entrytraps || _ss->_notifyallexceptions)) {
    CallErrorHandler(currerror);
  }
  for (;;) {
    CallInfo& frame = _callsstack.back();
    if (frame._etraps > 0) {
      const SQExceptionTrap et = _etraps.back();
      _etraps.pop_back();
      frame._etraps--;
      frame._ip = et._ip;
      NullSlots(et._stacksize, _top);
      _top = et._stacksize;
      _stackbase = et._stackbase;
      STK(et._extarget) = currerror;
      goto reload;
    }
    const bool root = frame._root;
    LeaveFrame();
    if (root) {
      _lasterror = currerror;
      _nnativecalls--;
      return false;
    }
  }
}
}
