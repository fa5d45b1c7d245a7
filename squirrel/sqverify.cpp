#include "squirrel/sqverify.h"

namespace {

constexpr SQInteger kMaxStackSize = 256;

class Verifier {
 public:
  explicit Verifier(const SQFunctionProto* p)
      : p_(p),
        stack_(p->_stacksize),
        nlit_(static_cast<SQInteger>(p->_literals.size())),
        ninst_(static_cast<SQInteger>(p->_instructions.size())) {}

  bool Run() {
    if (ninst_ == 0) return false;
    const unsigned last = p_->_instructions.back().op;
    if (last != _OP_RETURN && last != _OP_JMP && last != _OP_THROW) return false;
    for (SQInteger i = 0; i < ninst_; i++) {
      if (!Check(i, p_->_instructions[static_cast<size_t>(i)])) return false;
    }
    return true;
  }

 private:
  bool R(SQInteger r) const { return r >= 0 && r < stack_; }
  bool K(SQInteger k) const { return k >= 0 && k < nlit_; }
  bool J(SQInteger at, SQInteger off) const {
    const int64_t target = static_cast<int64_t>(at) + 1 + off;
    return target >= 0 && target < ninst_;
  }
  bool RK(bool literal, SQInteger x) const { return literal ? K(x) : R(x); }

  bool Check(SQInteger at, const SQInstruction& in) const {
    const SQInteger a0 = in._arg0, a1 = in._arg1, a2 = in._arg2, a3 = in._arg3;
    switch (in.op) {
      case _OP_LINE:
        return true;
      case _OP_LOAD:
        return R(a0) && K(a1);
      case _OP_LOADINT:
      case _OP_LOADFLOAT:
      case _OP_LOADROOTTABLE:
      case _OP_LOADBOOL:
      case _OP_VARGC:
      case _OP_NEWTABLE:
      case _OP_NEWARRAY:
      case _OP_THROW:
        return R(a0);
      case _OP_DLOAD:
        return R(a0) && K(a1) && R(a2) && K(a3);
      case _OP_TAILCALL:
      case _OP_CALL:
        return R(a0) && R(a1) && R(a2) && a2 + a3 <= stack_;
      case _OP_PREPCALL:
        return R(a0) && R(a1) && R(a2) && R(a3);
      case _OP_PREPCALLK:
        return R(a0) && K(a1) && R(a2) && R(a3);
      case _OP_GETK:
        return R(a0) && K(a1) && R(a2);
      case _OP_MOVE:
      case _OP_GETPARENT:
      case _OP_INCL:
      case _OP_PINCL:
      case _OP_NEG:
      case _OP_NOT:
      case _OP_BWNOT:
      case _OP_CLONE:
      case _OP_TYPEOF:
      case _OP_GETVARGV:
      case _OP_RESUME:
        return R(a0) && R(a1);
      case _OP_NEWSLOT:
      case _OP_SET:
      case _OP_DMOVE:
        return R(a0) && R(a1) && R(a2) && R(a3);
      case _OP_DELETE:
      case _OP_GET:
      case _OP_ARITH:
      case _OP_BITW:
      case _OP_COMPARITHL:
      case _OP_INC:
      case _OP_PINC:
      case _OP_CMP:
      case _OP_EXISTS:
      case _OP_INSTANCEOF:
      case _OP_DELEGATE:
        return R(a0) && R(a1) && R(a2);
      case _OP_EQ:
      case _OP_NE:
        return R(a0) && R(a2) && RK(a3 != 0, a1);
      case _OP_RETURN:
      case _OP_YIELD:
        return a0 == MAX_FUNC_STACKSIZE || R(a1);
      case _OP_LOADNULLS:
        return a1 >= 0 && R(a0) && a0 + a1 <= stack_;
      case _OP_JMP:
        return J(at, a1);
      case _OP_JNZ:
      case _OP_JZ:
        return R(a0) && J(at, a1);
      case _OP_LOADFREEVAR:
        return R(a0) && a1 >= 0 && a1 < static_cast<SQInteger>(p_->_outervalues.size());
      case _OP_APPENDARRAY:
        return R(a0) && RK(a3 != 0, a1);
      case _OP_COMPARITH:
        return R(a0) && R((static_cast<uint32_t>(a1) >> 16) & 0xFFFF) && R(a1 & 0xFFFF) && R(a2);
      case _OP_AND:
      case _OP_OR:
        return R(a0) && R(a2) && J(at, a1);
      case _OP_CLOSURE:
        return R(a0) && a1 >= 0 && a1 < static_cast<SQInteger>(p_->_functions.size());
      case _OP_FOREACH:
        return R(a0) && R(a2 + 2) && J(at, a1) && at + 2 < ninst_;
      case _OP_POSTFOREACH:
        return R(a0) && R(a2 + 2) && J(at, a1 - 1);
      case _OP_PUSHTRAP:
        return R(a0) && J(at, a1);
      case _OP_POPTRAP:
        return true;
      case _OP_CLASS:
        return R(a0) && (a1 == -1 || R(a1)) && (a2 == MAX_FUNC_STACKSIZE || R(a2));
      case _OP_NEWSLOTA:
        return R(a1) && R(a2) && R(a3) && (!(a0 & NEW_SLOT_ATTRIBUTES_FLAG) || R(a2 - 1));
      default:
        return false;
    }
  }

  const SQFunctionProto* p_;
  SQInteger stack_;
  SQInteger nlit_;
  SQInteger ninst_;
};

}  // namespace

bool sq_verify_proto(const SQFunctionProto* proto, const SQFunctionProto* parent) {
  const SQInteger nparams = static_cast<SQInteger>(proto->_parameters.size());
  if (nparams < 1 || proto->_stacksize < nparams || proto->_stacksize > kMaxStackSize) return false;
  if (static_cast<SQInteger>(proto->_defaultparams.size()) > nparams - 1) return false;
  if (!parent && (!proto->_outervalues.empty() || !proto->_defaultparams.empty())) return false;
  for (const SQObjectPtr& lit : proto->_literals) {
    const SQObjectType t = sq_type(lit);
    if (t != OT_STRING && t != OT_INTEGER && t != OT_FLOAT && t != OT_NULL) return false;
  }
  if (parent) {
    for (SQInteger pos : proto->_defaultparams) {
      if (pos < 0 || pos >= parent->_stacksize) return false;
    }
    for (const SQOuterVar& o : proto->_outervalues) {
      switch (o._type) {
        case otLOCAL:
          if (sq_type(o._src) != OT_INTEGER || _integer(o._src) < 0 ||
              _integer(o._src) >= parent->_stacksize) {
            return false;
          }
          break;
        case otOUTER:
          if (sq_type(o._src) != OT_INTEGER || _integer(o._src) < 0 ||
              _integer(o._src) >= static_cast<SQInteger>(parent->_outervalues.size())) {
            return false;
          }
          break;
        case otSYMBOL:
          if (sq_type(o._src) != OT_STRING) return false;
          break;
        default:
          return false;
      }
    }
  }
  if (!Verifier(proto).Run()) return false;
  for (const SQObjectPtr& f : proto->_functions) {
    if (sq_type(f) != OT_FUNCPROTO || !sq_verify_proto(_funcproto(f), proto)) return false;
  }
  return true;
}
