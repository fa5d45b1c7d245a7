// Debug support: describing the frames on the call stack, reading their locals, and calling
// the debug hook.
#include "squirrel/sqdebug.h"
#include "squirrel/sqapi_internal.h"

SQInteger sq_proto_line(const SQFunctionProto* f, const SQInstruction* ip) {
  if (f->_lineinfos.empty() || !ip) return 0;
  const SQInteger op = ip - f->_instructions.data();
  SQInteger line = f->_lineinfos[0]._line;
  for (size_t i = 1; i < f->_lineinfos.size(); i++) {
    if (f->_lineinfos[i]._op >= op) return line;
    line = f->_lineinfos[i]._line;
  }
  return line;
}

SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos* si) {
  const SQInteger depth = static_cast<SQInteger>(v->_callsstack.size());
  if (level < 0 || level >= depth) return SQ_ERROR;
  *si = SQStackInfos{nullptr, nullptr, 0};
  const CallInfo& ci = v->_callsstack[static_cast<size_t>(depth - level - 1)];
  switch (sq_type(ci._closure)) {
    case OT_CLOSURE: {
      const SQFunctionProto* func = _closure(ci._closure)->proto();
      if (sq_type(func->_name) == OT_STRING) si->funcname = _string(func->_name)->_val;
      if (sq_type(func->_sourcename) == OT_STRING) si->source = _string(func->_sourcename)->_val;
      si->line = sq_proto_line(func, ci._ip);
      break;
    }
    case OT_NATIVECLOSURE: {
      const SQNativeClosure* nc = _nativeclosure(ci._closure);
      si->source = u"NATIVE";
      si->funcname = sq_type(nc->_name) == OT_STRING ? _string(nc->_name)->_val : u"unknown";
      si->line = -1;
      break;
    }
    default:
      break;
  }
  return SQ_OK;
}

const SQChar* sq_getlocal(HSQUIRRELVM v, SQUnsignedInteger level, SQUnsignedInteger idx) {
  const size_t depth = v->_callsstack.size();
  if (level >= depth) return nullptr;
  // A frame's base is kept by the frame above it.
  const SQInteger stackbase =
      level == 0 ? v->_stackbase : v->_callsstack[depth - level]._prevstkbase;
  const CallInfo& ci = v->_callsstack[depth - level - 1];
  if (sq_type(ci._closure) != OT_CLOSURE) return nullptr;
  const SQClosure* c = _closure(ci._closure);
  const SQFunctionProto* func = c->proto();
  if (idx < func->_outervalues.size()) {
    v->Push(c->_outervalues[idx]);
    return _string(func->_outervalues[idx]._name)->_val;
  }
  idx -= func->_outervalues.size();
  // The locals alive at the frame's current instruction, in declaration order.
  const SQUnsignedInteger nop =
      static_cast<SQUnsignedInteger>(ci._ip - func->_instructions.data() - 1);
  for (const SQLocalVarInfo& lv : func->_localvarinfos) {
    if (lv._start_op <= nop && lv._end_op >= nop) {
      if (idx == 0) {
        v->Push(v->_stack[static_cast<size_t>(stackbase) + lv._pos]);
        return _string(lv._name)->_val;
      }
      idx--;
    }
  }
  return nullptr;
}

void sq_setdebughook(HSQUIRRELVM v) {
  SQObjectPtr& o = stack_get(v, -1);
  if (sq_type(o) == OT_CLOSURE || sq_type(o) == OT_NATIVECLOSURE || sq_type(o) == OT_NULL) {
    v->_debughook = o;
    v->Pop();
  }
}

void SQVM::CallDebugHook(SQInteger type, SQInteger forcedline) {
  // Functions the hook calls are not reported to it again.
  if (_inside_debughook || _callsstack.empty() || sq_type(ci()->_closure) != OT_CLOSURE) return;
  if (sq_rawequal(_debughook, ci()->_closure)) return;
  _inside_debughook = true;
  const SQFunctionProto* func = _closure(ci()->_closure)->proto();
  SQObjectPtr hook = _debughook, ignored;
  Push(_roottable);
  Push(SQObjectPtr(type));
  Push(func->_sourcename);
  Push(SQObjectPtr(forcedline ? forcedline : sq_proto_line(func, ci()->_ip)));
  Push(func->_name);
  Call(hook, 5, _top - 5, ignored, SQFalse);
  Pop(5);
  _inside_debughook = false;
}
