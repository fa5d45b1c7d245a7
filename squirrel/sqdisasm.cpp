#include "squirrel/sqdisasm.h"

#include "platform/os/utf8.h"
#include "squirrel/sqstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char* const kOpNames[kOpcodeCount] = {
    "LINE",        "LOAD",          "LOADINT",    "LOADFLOAT",
    "DLOAD",       "TAILCALL",      "CALL",       "PREPCALL",
    "PREPCALLK",   "GETK",          "MOVE",       "NEWSLOT",
    "DELETE",      "SET",           "GET",        "EQ",
    "NE",          "ARITH",         "BITW",       "RETURN",
    "LOADNULLS",   "LOADROOTTABLE", "LOADBOOL",   "DMOVE",
    "JMP",         "JNZ",           "JZ",         "LOADFREEVAR",
    "VARGC",       "GETVARGV",      "NEWTABLE",   "NEWARRAY",
    "APPENDARRAY", "GETPARENT",     "COMPARITH",  "COMPARITHL",
    "INC",         "INCL",          "PINC",       "PINCL",
    "CMP",         "EXISTS",        "INSTANCEOF", "AND",
    "OR",          "NEG",           "NOT",        "BWNOT",
    "CLOSURE",     "YIELD",         "RESUME",     "FOREACH",
    "POSTFOREACH", "DELEGATE",      "CLONE",      "TYPEOF",
    "PUSHTRAP",    "POPTRAP",       "THROW",      "CLASS",
    "NEWSLOTA"};

std::string Value(const SQObject& o) {
  char buf[64];
  switch (sq_type(o)) {
    case OT_STRING:
      return "\"" + platform::os::utf16ToUtf8(_string(o)->view()) + "\"";
    case OT_INTEGER:
      snprintf(buf, sizeof(buf), "%d", _integer(o));
      return buf;
    case OT_FLOAT:
      snprintf(buf, sizeof(buf), "%.9g", static_cast<double>(_float(o)));
      return buf;
    case OT_NULL:
      return "null";
    default:
      return sq_typename(sq_type(o));
  }
}

void Append(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* fmt, ...) {
  char buf[512];
  va_list args;
  va_start(args, fmt);
  vsnprintf(buf, sizeof(buf), fmt, args);
  va_end(args);
  out += buf;
}

void Disassemble(const SQFunctionProto* f, const std::string& path, std::string& out) {
  Append(out, "function %s %s\n", path.c_str(), Value(f->_name).c_str());
  Append(out, "  source %s stacksize %d generator %d varparams %d\n", Value(f->_sourcename).c_str(),
         f->_stacksize, f->_bgenerator ? 1 : 0, f->_varparams ? 1 : 0);
  for (size_t i = 0; i < f->_literals.size(); i++) {
    Append(out, "  literal %zu %s\n", i, Value(f->_literals[i]).c_str());
  }
  for (size_t i = 0; i < f->_parameters.size(); i++) {
    Append(out, "  param %zu %s\n", i, Value(f->_parameters[i]).c_str());
  }
  for (SQInteger pos : f->_defaultparams) Append(out, "  default %d\n", pos);
  for (const SQOuterVar& o : f->_outervalues) {
    Append(out, "  outer %d %s %s\n", static_cast<int>(o._type), Value(o._src).c_str(),
           Value(o._name).c_str());
  }
  for (const SQLocalVarInfo& l : f->_localvarinfos) {
    Append(out, "  local %s pos %u ops %u-%u\n", Value(l._name).c_str(), l._pos, l._start_op,
           l._end_op);
  }
  for (const SQLineInfo& l : f->_lineinfos) Append(out, "  line %d at %d\n", l._line, l._op);
  for (size_t i = 0; i < f->_instructions.size(); i++) {
    const SQInstruction& in = f->_instructions[i];
    const char* name = in.op < kOpcodeCount ? kOpNames[in.op] : "?";
    Append(out, "  [%03zu] %-13s %3d %6d %3d %3d", i, name, in._arg0, in._arg1, in._arg2, in._arg3);
    const bool lit1 =
        in.op == _OP_LOAD || in.op == _OP_DLOAD || in.op == _OP_GETK || in.op == _OP_PREPCALLK ||
        ((in.op == _OP_EQ || in.op == _OP_NE || in.op == _OP_APPENDARRAY) && in._arg3);
    if (lit1 && in._arg1 >= 0 && static_cast<size_t>(in._arg1) < f->_literals.size()) {
      Append(out, "  ; %s", Value(f->_literals[static_cast<size_t>(in._arg1)]).c_str());
    }
    if (in.op == _OP_LOADFLOAT) {
      float fl;
      memcpy(&fl, &in._arg1, sizeof(fl));
      Append(out, "  ; %.9g", static_cast<double>(fl));
    }
    out += "\n";
  }
  for (size_t i = 0; i < f->_functions.size(); i++) {
    Disassemble(_funcproto(f->_functions[i]), path + "." + std::to_string(i), out);
  }
}

}  // namespace

std::string sq_disassemble(const SQFunctionProto* proto) {
  std::string out;
  Disassemble(proto, "main", out);
  return out;
}
