// Recursive-descent compiler for Squirrel 2.2. Expressions leave their value in a register
// (the top of the target stack); `_exst._deref` tells whether the last expression can be
// assigned to: a local (its register), a field (object and key on the target stack) or
// nothing.
#include "squirrel/sqcompiler.h"

#include "platform/os/utf8.h"
#include "squirrel/sqfuncstate.h"
#include "squirrel/sqlexer.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <cstring>

namespace {

constexpr SQInteger DEREF_NO_DEREF = -1;
constexpr SQInteger DEREF_FIELD = -2;
// Deepest nesting of statements and sub-expressions accepted, so that hostile or generated
// text cannot exhaust the native stack of the recursive parser.
constexpr SQInteger kMaxNesting = 300;

struct ExpState {
  SQInteger _deref = DEREF_NO_DEREF;
  bool _freevar = false;
  bool _class_or_delete = false;
  bool _funcarg = false;
};

struct CompileFailure {};

// Counts one level of parser recursion for as long as it lives.
class NestingGuard {
 public:
  explicit NestingGuard(SQInteger& depth) : depth_(depth) { depth_++; }
  ~NestingGuard() { depth_--; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

 private:
  SQInteger& depth_;
};

class SQCompiler {
 public:
  SQCompiler(SQVM* v, SQLEXREADFUNC rg, SQUserPointer up, const SQChar* sourcename, bool lineinfo)
      : _vm(v),
        _ss(v->_ss),
        _lex(rg, up, [this](const std::string& m) { Error(m); }),
        _lineinfo(lineinfo) {
    _sourcename = SQObjectPtr(SQString::Create(_ss, sourcename));
  }

  bool Compile(SQObjectPtr& o, SQCompileError& err) {
    try {
      SQFuncState funcstate(_ss, nullptr, [this](const std::string& m) { Error(m); });
      funcstate._name = sq_str(_ss, "main");
      _fs = &funcstate;
      _fs->AddParameter(_fs->CreateString(u"this"));
      _fs->_sourcename = _sourcename;
      const SQInteger stacksize = _fs->GetStackSize();
      Lex();
      while (_token > 0) {
        Statement();
        if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
      }
      CleanStack(stacksize);
      _fs->AddLineInfos(_lex._currentline, _lineinfo, true);
      _fs->AddInstruction(_OP_RETURN, 0xFF);
      _fs->SetStackSize(0);
      o = SQObjectPtr(_fs->BuildProto());
      return true;
    } catch (const CompileFailure&) {
      err = _error;
      return false;
    }
  }

 private:
  [[noreturn]] void Error(const std::string& msg) {
    _error = {msg, _lex._currentline, _lex._currentcolumn};
    throw CompileFailure();
  }

  void Lex() { _token = _lex.Lex(); }

  ExpState PushExpState() {
    ExpState old = _exst;
    _exst = ExpState();
    return old;
  }

  SQObjectPtr Expect(SQInteger tok) {
    if (_token != tok) {
      if (_token == TK_CONSTRUCTOR && tok == TK_IDENTIFIER) {
        // `constructor` is accepted where a name is expected.
      } else {
        if (tok > 255) {
          const char* name;
          switch (tok) {
            case TK_IDENTIFIER:
              name = "IDENTIFIER";
              break;
            case TK_STRING_LITERAL:
              name = "STRING_LITERAL";
              break;
            case TK_INTEGER:
              name = "INTEGER";
              break;
            case TK_FLOAT:
              name = "FLOAT";
              break;
            default:
              name = SQLexer::Tok2Str(tok);
              break;
          }
          Error(std::string("expected '") + (name ? name : "?") + "'");
        }
        Error(std::string("expected '") + static_cast<char>(tok) + "'");
      }
    }
    SQObjectPtr ret;
    switch (tok) {
      case TK_IDENTIFIER:
      case TK_STRING_LITERAL:
        ret = _fs->CreateString(_lex._svalue);
        break;
      case TK_INTEGER:
        ret = _lex._nvalue;
        break;
      case TK_FLOAT:
        ret = _lex._fvalue;
        break;
    }
    Lex();
    return ret;
  }

  bool IsEndOfStatement() const {
    return _lex._prevtoken == '\n' || _token == 0 || _token == '}' || _token == ';';
  }

  void OptionalSemicolon() {
    if (_token == ';') {
      Lex();
      return;
    }
    if (!IsEndOfStatement()) Error("end of statement expected (; or lf)");
  }

  void CleanStack(SQInteger stacksize) {
    if (_fs->GetStackSize() != stacksize) _fs->SetStackSize(stacksize);
  }

  void Statements() {
    while (_token != '}' && _token != TK_DEFAULT && _token != TK_CASE) {
      Statement();
      if (_lex._prevtoken != '}' && _lex._prevtoken != ';') OptionalSemicolon();
    }
  }

  void Statement() {
    NestingGuard guard(_nesting);
    if (_nesting > kMaxNesting) Error("expression too deeply nested");
    _fs->AddLineInfos(_lex._currentline, _lineinfo);
    switch (_token) {
      case ';':
        Lex();
        break;
      case TK_IF:
        IfStatement();
        break;
      case TK_WHILE:
        WhileStatement();
        break;
      case TK_DO:
        DoWhileStatement();
        break;
      case TK_FOR:
        ForStatement();
        break;
      case TK_FOREACH:
        ForEachStatement();
        break;
      case TK_SWITCH:
        SwitchStatement();
        break;
      case TK_LOCAL:
        LocalDeclStatement();
        break;
      case TK_RETURN:
      case TK_YIELD: {
        SQOpcode op;
        if (_token == TK_RETURN) {
          op = _OP_RETURN;
        } else {
          op = _OP_YIELD;
          _fs->_bgenerator = true;
        }
        Lex();
        if (!IsEndOfStatement()) {
          const SQInteger retexp = _fs->GetCurrentPos() + 1;
          CommaExpr();
          if (op == _OP_RETURN && _fs->_traps > 0) _fs->AddInstruction(_OP_POPTRAP, _fs->_traps, 0);
          _fs->_returnexp = retexp;
          _fs->AddInstruction(op, 1, _fs->PopTarget());
        } else {
          if (op == _OP_RETURN && _fs->_traps > 0) _fs->AddInstruction(_OP_POPTRAP, _fs->_traps, 0);
          _fs->_returnexp = -1;
          _fs->AddInstruction(op, 0xFF);
        }
        break;
      }
      case TK_BREAK:
        JumpOutOfLoop(_fs->_breaktargets, _fs->_unresolvedbreaks,
                      "'break' has to be in a loop block");
        break;
      case TK_CONTINUE:
        JumpOutOfLoop(_fs->_continuetargets, _fs->_unresolvedcontinues,
                      "'continue' has to be in a loop block");
        break;
      case TK_FUNCTION:
        FunctionStatement();
        break;
      case TK_CLASS:
        ClassStatement();
        break;
      case TK_ENUM:
        EnumStatement();
        break;
      case '{': {
        const SQInteger stacksize = _fs->GetStackSize();
        Lex();
        Statements();
        Expect('}');
        _fs->SetStackSize(stacksize);
        break;
      }
      case TK_TRY:
        TryCatchStatement();
        break;
      case TK_THROW:
        Lex();
        CommaExpr();
        _fs->AddInstruction(_OP_THROW, _fs->PopTarget());
        break;
      case TK_CONST: {
        Lex();
        SQObjectPtr id = Expect(TK_IDENTIFIER);
        Expect('=');
        SQObjectPtr val = ExpectScalar();
        OptionalSemicolon();
        _table(_ss->_consts)->NewSlot(id, val);
        break;
      }
      default:
        CommaExpr();
        _fs->PopTarget();
        break;
    }
    _fs->SnoozeOpt();
  }

  // break and continue: pop the traps opened inside the loop, then a jump whose target the
  // loop fills in when it ends.
  void JumpOutOfLoop(const std::vector<SQInteger>& targets, std::vector<SQInteger>& unresolved,
                     const char* outsideLoop) {
    if (targets.empty()) Error(outsideLoop);
    if (targets.back() > 0) _fs->AddInstruction(_OP_POPTRAP, targets.back(), 0);
    _fs->AddInstruction(_OP_JMP, 0, -1234);
    unresolved.push_back(_fs->GetCurrentPos());
    Lex();
  }

  void EmitDerefOp(SQOpcode op) {
    const SQInteger val = _fs->PopTarget();
    const SQInteger key = _fs->PopTarget();
    const SQInteger src = _fs->PopTarget();
    _fs->AddInstruction(op, _fs->PushTarget(), src, key, val);
  }

  void Emit2ArgsOP(SQOpcode op, SQInteger p3 = 0) {
    const SQInteger p2 = _fs->PopTarget();
    const SQInteger p1 = _fs->PopTarget();
    _fs->AddInstruction(op, _fs->PushTarget(), p1, p2, p3);
  }

  static SQInteger ArithOpOfToken(SQInteger tok) {
    switch (tok) {
      case TK_MINUSEQ:
        return '-';
      case TK_PLUSEQ:
        return '+';
      case TK_MULEQ:
        return '*';
      case TK_DIVEQ:
        return '/';
      case TK_MODEQ:
        return '%';
      default:
        return 0;
    }
  }

  void EmitCompoundArith(SQInteger tok, bool deref) {
    const SQInteger oper = ArithOpOfToken(tok);
    if (deref) {
      const SQInteger val = _fs->PopTarget();
      const SQInteger key = _fs->PopTarget();
      const SQInteger src = _fs->PopTarget();
      _fs->AddInstruction(_OP_COMPARITH, _fs->PushTarget(), (src << 16) | val, key, oper);
    } else {
      const SQInteger src = _fs->PopTarget();
      const SQInteger dst = _fs->PopTarget();
      _fs->AddInstruction(_OP_COMPARITHL, _fs->PushTarget(), dst, src, oper);
    }
  }

  void CommaExpr() {
    for (Expression(); _token == ','; _fs->PopTarget(), Lex(), CommaExpr()) {
    }
  }

  ExpState Expression(bool funcarg = false) {
    ExpState saved = PushExpState();
    _exst._funcarg = funcarg;
    LogicalOrExp();
    switch (_token) {
      case '=':
      case TK_NEWSLOT:
      case TK_MINUSEQ:
      case TK_PLUSEQ:
      case TK_MULEQ:
      case TK_DIVEQ:
      case TK_MODEQ: {
        const SQInteger op = _token;
        const SQInteger ds = _exst._deref;
        const bool freevar = _exst._freevar;
        if (ds == DEREF_NO_DEREF) Error("can't assign expression");
        Lex();
        Expression();
        switch (op) {
          case TK_NEWSLOT:
            if (freevar) Error("free variables cannot be modified");
            if (ds == DEREF_FIELD) {
              EmitDerefOp(_OP_NEWSLOT);
            } else {
              Error("can't 'create' a local slot");
            }
            break;
          case '=':
            if (freevar) Error("free variables cannot be modified");
            if (ds == DEREF_FIELD) {
              EmitDerefOp(_OP_SET);
            } else {
              const SQInteger src = _fs->PopTarget();
              const SQInteger dst = _fs->TopTarget();
              _fs->AddInstruction(_OP_MOVE, dst, src);
            }
            break;
          default:
            EmitCompoundArith(op, ds == DEREF_FIELD);
            break;
        }
        break;
      }
      case '?': {
        Lex();
        _fs->AddInstruction(_OP_JZ, _fs->PopTarget());
        const SQInteger jzpos = _fs->GetCurrentPos();
        const SQInteger trg = _fs->PushTarget();
        Expression();
        const SQInteger first_exp = _fs->PopTarget();
        if (trg != first_exp) _fs->AddInstruction(_OP_MOVE, trg, first_exp);
        const SQInteger endfirstexp = _fs->GetCurrentPos();
        _fs->AddInstruction(_OP_JMP, 0, 0);
        Expect(':');
        const SQInteger jmppos = _fs->GetCurrentPos();
        Expression();
        const SQInteger second_exp = _fs->PopTarget();
        if (trg != second_exp) _fs->AddInstruction(_OP_MOVE, trg, second_exp);
        _fs->SetIntructionParam(jmppos, 1, _fs->GetCurrentPos() - jmppos);
        _fs->SetIntructionParam(jzpos, 1, endfirstexp - jzpos + 1);
        _fs->SnoozeOpt();
        break;
      }
    }
    ExpState result = _exst;
    _exst = saved;
    return result;
  }

  // Runs a sub-expression parser with a fresh expression state.
  void InvokeExp(void (SQCompiler::*f)()) {
    ExpState saved = PushExpState();
    (this->*f)();
    _exst = saved;
  }

  void BinExp(SQOpcode op, void (SQCompiler::*f)(), SQInteger op3 = 0) {
    Lex();
    InvokeExp(f);
    const SQInteger op1 = _fs->PopTarget();
    const SQInteger op2 = _fs->PopTarget();
    _fs->AddInstruction(op, _fs->PushTarget(), op1, op2, op3);
    _exst._deref = DEREF_NO_DEREF;  // `t & x <- 1`: an operator's result is not a field
  }

  void ShortCircuit(SQOpcode op, void (SQCompiler::*f)()) {
    const SQInteger first_exp = _fs->PopTarget();
    const SQInteger trg = _fs->PushTarget();
    _fs->AddInstruction(op, trg, 0, first_exp, 0);
    const SQInteger jpos = _fs->GetCurrentPos();
    if (trg != first_exp) _fs->AddInstruction(_OP_MOVE, trg, first_exp);
    Lex();
    InvokeExp(f);
    _fs->SnoozeOpt();
    const SQInteger second_exp = _fs->PopTarget();
    if (trg != second_exp) _fs->AddInstruction(_OP_MOVE, trg, second_exp);
    _fs->SnoozeOpt();
    _fs->SetIntructionParam(jpos, 1, _fs->GetCurrentPos() - jpos);
    _exst._deref = DEREF_NO_DEREF;
  }

  void LogicalOrExp() {
    LogicalAndExp();
    if (_token == TK_OR) ShortCircuit(_OP_OR, &SQCompiler::LogicalOrExp);
  }

  void LogicalAndExp() {
    BitwiseOrExp();
    if (_token == TK_AND) ShortCircuit(_OP_AND, &SQCompiler::LogicalAndExp);
  }

  void BitwiseOrExp() {
    BitwiseXorExp();
    while (_token == '|') BinExp(_OP_BITW, &SQCompiler::BitwiseXorExp, BW_OR);
  }

  void BitwiseXorExp() {
    BitwiseAndExp();
    while (_token == '^') BinExp(_OP_BITW, &SQCompiler::BitwiseAndExp, BW_XOR);
  }

  void BitwiseAndExp() {
    EqExp();
    while (_token == '&') BinExp(_OP_BITW, &SQCompiler::EqExp, BW_AND);
  }

  void EqExp() {
    CompExp();
    for (;;) {
      switch (_token) {
        case TK_EQ:
          BinExp(_OP_EQ, &SQCompiler::CompExp);
          break;
        case TK_NE:
          BinExp(_OP_NE, &SQCompiler::CompExp);
          break;
        default:
          return;
      }
    }
  }

  void CompExp() {
    ShiftExp();
    for (;;) {
      switch (_token) {
        case '>':
          BinExp(_OP_CMP, &SQCompiler::ShiftExp, CMP_G);
          break;
        case '<':
          BinExp(_OP_CMP, &SQCompiler::ShiftExp, CMP_L);
          break;
        case TK_GE:
          BinExp(_OP_CMP, &SQCompiler::ShiftExp, CMP_GE);
          break;
        case TK_LE:
          BinExp(_OP_CMP, &SQCompiler::ShiftExp, CMP_LE);
          break;
        case TK_IN:
          BinExp(_OP_EXISTS, &SQCompiler::ShiftExp);
          break;
        case TK_INSTANCEOF:
          BinExp(_OP_INSTANCEOF, &SQCompiler::ShiftExp);
          break;
        default:
          return;
      }
    }
  }

  void ShiftExp() {
    PlusExp();
    for (;;) {
      switch (_token) {
        case TK_USHIFTR:
          BinExp(_OP_BITW, &SQCompiler::PlusExp, BW_USHIFTR);
          break;
        case TK_SHIFTL:
          BinExp(_OP_BITW, &SQCompiler::PlusExp, BW_SHIFTL);
          break;
        case TK_SHIFTR:
          BinExp(_OP_BITW, &SQCompiler::PlusExp, BW_SHIFTR);
          break;
        default:
          return;
      }
    }
  }

  void PlusExp() {
    MultExp();
    while (_token == '+' || _token == '-') BinExp(_OP_ARITH, &SQCompiler::MultExp, _token);
  }

  void MultExp() {
    PrefixedExp();
    while (_token == '*' || _token == '/' || _token == '%') {
      BinExp(_OP_ARITH, &SQCompiler::PrefixedExp, _token);
    }
  }

  // True when a field expression must be read now (it is not about to be assigned or called).
  bool NeedGet() const {
    switch (_token) {
      case '=':
      case '(':
      case TK_NEWSLOT:
      case TK_PLUSPLUS:
      case TK_MINUSMINUS:
      case TK_PLUSEQ:
      case TK_MINUSEQ:
      case TK_MULEQ:
      case TK_DIVEQ:
      case TK_MODEQ:
        return false;
    }
    return !_exst._class_or_delete || (_token == '.' || _token == '[');
  }

  void PrefixedExp() {
    SQInteger pos = Factor();
    for (;;) {
      switch (_token) {
        case '.':
          pos = -1;
          Lex();
          if (_token == TK_PARENT) {
            Lex();
            if (!NeedGet()) Error("parent cannot be set");
            const SQInteger src = _fs->PopTarget();
            _fs->AddInstruction(_OP_GETPARENT, _fs->PushTarget(), src);
          } else {
            _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(),
                                _fs->GetConstant(Expect(TK_IDENTIFIER)));
            if (NeedGet()) Emit2ArgsOP(_OP_GET);
          }
          _exst._deref = DEREF_FIELD;
          _exst._freevar = false;
          break;
        case '[':
          if (_lex._prevtoken == '\n') {
            Error("cannot brake deref/or comma needed after [exp]=exp slot declaration");
          }
          Lex();
          Expression();
          Expect(']');
          pos = -1;
          if (NeedGet()) Emit2ArgsOP(_OP_GET);
          _exst._deref = DEREF_FIELD;
          _exst._freevar = false;
          break;
        case TK_MINUSMINUS:
        case TK_PLUSPLUS:
          if (_exst._deref != DEREF_NO_DEREF && !IsEndOfStatement()) {
            const SQInteger tok = _token;
            Lex();
            if (pos < 0) {
              Emit2ArgsOP(_OP_PINC, tok == TK_MINUSMINUS ? -1 : 1);
            } else {
              const SQInteger src = _fs->PopTarget();
              _fs->AddInstruction(_OP_PINCL, _fs->PushTarget(), src, 0,
                                  tok == TK_MINUSMINUS ? -1 : 1);
            }
            _exst._deref = DEREF_NO_DEREF;  // `t.x++ = 1` is not an assignment target
          }
          return;
        case '(':
          if (_exst._deref != DEREF_NO_DEREF && pos < 0) {
            const SQInteger key = _fs->PopTarget();
            const SQInteger table = _fs->PopTarget();
            const SQInteger closure = _fs->PushTarget();
            const SQInteger ttarget = _fs->PushTarget();
            _fs->AddInstruction(_OP_PREPCALL, closure, key, table, ttarget);
          } else {
            _fs->AddInstruction(_OP_MOVE, _fs->PushTarget(), 0);
          }
          Lex();
          FunctionCallArgs();
          // A call's result is a value: `f()++`, `++f()` or `f() = 1` must not address it
          // as a field (that would take operands that are not there).
          _exst._deref = DEREF_NO_DEREF;
          break;
        default:
          return;
      }
    }
  }

  SQInteger Factor() {
    NestingGuard guard(_nesting);
    if (_nesting > kMaxNesting) Error("expression too deeply nested");
    _exst._deref = DEREF_NO_DEREF;
    switch (_token) {
      case TK_STRING_LITERAL:
        _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(),
                            _fs->GetConstant(_fs->CreateString(_lex._svalue)));
        Lex();
        break;
      case TK_VARGC:
        Lex();
        _fs->AddInstruction(_OP_VARGC, _fs->PushTarget());
        break;
      case TK_VARGV: {
        Lex();
        Expect('[');
        Expression();
        Expect(']');
        const SQInteger src = _fs->PopTarget();
        _fs->AddInstruction(_OP_GETVARGV, _fs->PushTarget(), src);
        break;
      }
      case TK_IDENTIFIER:
      case TK_CONSTRUCTOR:
      case TK_THIS: {
        _exst._freevar = false;
        SQObjectPtr id;
        switch (_token) {
          case TK_IDENTIFIER:
            id = _fs->CreateString(_lex._svalue);
            break;
          case TK_THIS:
            id = _fs->CreateString(u"this");
            break;
          default:
            id = _fs->CreateString(u"constructor");
            break;
        }
        Lex();
        SQInteger pos = _fs->GetLocalVariable(id);
        SQObjectPtr constant;
        if (pos != -1) {
          _fs->PushTarget(pos);
          _exst._deref = pos;
        } else if ((pos = _fs->GetOuterVariable(id)) != -1) {
          _exst._deref = _fs->PushTarget();
          _fs->AddInstruction(_OP_LOADFREEVAR, _exst._deref, pos);
          _exst._freevar = true;
        } else if (_fs->IsConstant(id, constant)) {
          SQObjectPtr constval;
          if (sq_type(constant) == OT_TABLE) {
            Expect('.');
            SQObjectPtr constid = Expect(TK_IDENTIFIER);
            if (!_table(constant)->Get(constid, constval)) {
              Error("invalid constant [" + platform::os::utf16ToUtf8(_string(id)->view()) + "." +
                    platform::os::utf16ToUtf8(_string(constid)->view()) + "]");
            }
          } else {
            constval = constant;
          }
          _exst._deref = _fs->PushTarget();
          if (sq_type(constval) == OT_INTEGER) {
            EmitLoadConstInt(_integer(constval), _exst._deref);
          } else if (sq_type(constval) == OT_FLOAT) {
            EmitLoadConstFloat(_float(constval), _exst._deref);
          } else {
            _fs->AddInstruction(_OP_LOAD, _exst._deref, _fs->GetConstant(constval));
          }
          _exst._freevar = true;
        } else {
          _fs->PushTarget(0);
          _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(), _fs->GetConstant(id));
          if (NeedGet()) Emit2ArgsOP(_OP_GET);
          _exst._deref = DEREF_FIELD;
        }
        return _exst._deref;
      }
      case TK_PARENT:
        Lex();
        _fs->AddInstruction(_OP_GETPARENT, _fs->PushTarget(), 0);
        break;
      case TK_DOUBLE_COLON:
        _fs->AddInstruction(_OP_LOADROOTTABLE, _fs->PushTarget());
        _exst._deref = DEREF_FIELD;
        _token = '.';  // continue as a field access on the root table
        return -1;
      case TK_NULL:
        _fs->AddInstruction(_OP_LOADNULLS, _fs->PushTarget(), 1);
        Lex();
        break;
      case TK_INTEGER:
        EmitLoadConstInt(_lex._nvalue, -1);
        Lex();
        break;
      case TK_FLOAT:
        EmitLoadConstFloat(_lex._fvalue, -1);
        Lex();
        break;
      case TK_TRUE:
      case TK_FALSE:
        _fs->AddInstruction(_OP_LOADBOOL, _fs->PushTarget(), _token == TK_TRUE ? 1 : 0);
        Lex();
        break;
      case '[': {
        _fs->AddInstruction(_OP_NEWARRAY, _fs->PushTarget());
        const SQInteger apos = _fs->GetCurrentPos();
        SQInteger key = 0;
        Lex();
        while (_token != ']') {
          Expression();
          if (_token == ',') Lex();
          const SQInteger val = _fs->PopTarget();
          const SQInteger array = _fs->TopTarget();
          _fs->AddInstruction(_OP_APPENDARRAY, array, val);
          key++;
        }
        _fs->SetIntructionParam(apos, 1, key);
        Lex();
        break;
      }
      case '{':
        _fs->AddInstruction(_OP_NEWTABLE, _fs->PushTarget());
        Lex();
        ParseTableOrClass(',', '}');
        break;
      case TK_FUNCTION:
        FunctionExp();
        break;
      case TK_CLASS:
        Lex();
        ClassExp();
        break;
      case '-':
        UnaryOP(_OP_NEG);
        break;
      case '!':
        UnaryOP(_OP_NOT);
        break;
      case '~':
        UnaryOP(_OP_BWNOT);
        break;
      case TK_TYPEOF:
        UnaryOP(_OP_TYPEOF);
        break;
      case TK_RESUME:
        UnaryOP(_OP_RESUME);
        break;
      case TK_CLONE:
        UnaryOP(_OP_CLONE);
        break;
      case TK_MINUSMINUS:
      case TK_PLUSPLUS:
        PrefixIncDec(_token);
        break;
      case TK_DELETE:
        DeleteExpr();
        break;
      case TK_DELEGATE:
        DelegateExpr();
        break;
      case '(':
        Lex();
        CommaExpr();
        Expect(')');
        break;
      default:
        Error("expression expected");
    }
    return -1;
  }

  void EmitLoadConstInt(SQInteger value, SQInteger target) {
    if (target < 0) target = _fs->PushTarget();
    if ((static_cast<uint32_t>(value) & ~0x7FFFFFFFu) == 0) {
      _fs->AddInstruction(_OP_LOADINT, target, value);
    } else {
      _fs->AddInstruction(_OP_LOAD, target, _fs->GetNumericConstant(value));
    }
  }

  void EmitLoadConstFloat(SQFloat value, SQInteger target) {
    if (target < 0) target = _fs->PushTarget();
    SQInt32 bits;
    memcpy(&bits, &value, sizeof(bits));
    _fs->AddInstruction(_OP_LOADFLOAT, target, bits);
  }

  void UnaryOP(SQOpcode op) {
    Lex();
    PrefixedExp();
    const SQInteger src = _fs->PopTarget();
    _fs->AddInstruction(op, _fs->PushTarget(), src);
    _exst._deref = DEREF_NO_DEREF;  // `-t.x--`: the result is a value, not the field
  }

  // `++x` / `--x`: a field is left unread (like `delete`) so that INC can address it.
  void PrefixIncDec(SQInteger token) {
    const SQInteger diff = token == TK_MINUSMINUS ? -1 : 1;
    Lex();
    ExpState saved = PushExpState();
    _exst._class_or_delete = true;
    PrefixedExp();
    const ExpState es = _exst;
    _exst = saved;
    if (es._deref == DEREF_FIELD) {
      Emit2ArgsOP(_OP_INC, diff);
    } else {
      const SQInteger src = _fs->PopTarget();
      _fs->AddInstruction(_OP_INCL, _fs->PushTarget(), src, 0, diff);
    }
  }

  void FunctionCallArgs() {
    SQInteger nargs = 1;  // `this`
    while (_token != ')') {
      Expression(true);
      MoveIfCurrentTargetIsLocal();
      nargs++;
      if (_token == ',') {
        Lex();
        if (_token == ')') Error("expression expected, found ')'");
      }
    }
    Lex();
    for (SQInteger i = 0; i < nargs - 1; i++) _fs->PopTarget();
    const SQInteger stackbase = _fs->PopTarget();
    const SQInteger closure = _fs->PopTarget();
    _fs->AddInstruction(_OP_CALL, _fs->PushTarget(), closure, stackbase, nargs);
  }

  void MoveIfCurrentTargetIsLocal() {
    SQInteger trg = _fs->TopTarget();
    if (_fs->IsLocal(static_cast<SQUnsignedInteger>(trg))) {
      trg = _fs->PopTarget();
      _fs->AddInstruction(_OP_MOVE, _fs->PushTarget(), trg);
    }
  }

  void ParseTableOrClass(SQInteger separator, SQInteger terminator) {
    const SQInteger tpos = _fs->GetCurrentPos();
    SQInteger nkeys = 0;
    while (_token != terminator) {
      bool hasattrs = false;
      bool isstatic = false;
      if (separator == ';') {
        if (_token == TK_ATTR_OPEN) {
          _fs->AddInstruction(_OP_NEWTABLE, _fs->PushTarget());
          Lex();
          ParseTableOrClass(',', TK_ATTR_CLOSE);
          hasattrs = true;
        }
        if (_token == TK_STATIC) {
          isstatic = true;
          Lex();
        }
      }
      switch (_token) {
        case TK_FUNCTION:
        case TK_CONSTRUCTOR: {
          const SQInteger tk = _token;
          Lex();
          SQObjectPtr id =
              tk == TK_FUNCTION ? Expect(TK_IDENTIFIER) : _fs->CreateString(u"constructor");
          Expect('(');
          _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(), _fs->GetConstant(id));
          CreateFunction(id);
          _fs->AddInstruction(_OP_CLOSURE, _fs->PushTarget(),
                              static_cast<SQInteger>(_fs->_functions.size()) - 1, 0);
          break;
        }
        case '[':
          Lex();
          CommaExpr();
          Expect(']');
          Expect('=');
          Expression();
          break;
        default:
          _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(), _fs->GetConstant(Expect(TK_IDENTIFIER)));
          Expect('=');
          Expression();
      }
      if (_token == separator) Lex();
      nkeys++;
      const SQInteger val = _fs->PopTarget();
      const SQInteger key = _fs->PopTarget();
      if (hasattrs) _fs->PopTarget();
      const unsigned char flags =
          (hasattrs ? NEW_SLOT_ATTRIBUTES_FLAG : 0) | (isstatic ? NEW_SLOT_STATIC_FLAG : 0);
      const SQInteger table = _fs->TopTarget();
      _fs->AddInstruction(_OP_NEWSLOTA, flags, table, key, val);
    }
    if (separator == ',') _fs->SetIntructionParam(tpos, 1, nkeys);
    Lex();
  }

  void LocalDeclStatement() {
    do {
      Lex();
      SQObjectPtr varname = Expect(TK_IDENTIFIER);
      if (_token == '=') {
        Lex();
        Expression();
        const SQInteger src = _fs->PopTarget();
        const SQInteger dest = _fs->PushTarget();
        if (dest != src) _fs->AddInstruction(_OP_MOVE, dest, src);
      } else {
        _fs->AddInstruction(_OP_LOADNULLS, _fs->PushTarget(), 1);
      }
      _fs->PopTarget();
      _fs->PushLocalVariable(varname);
    } while (_token == ',');
  }

  void IfStatement() {
    bool haselse = false;
    Lex();
    Expect('(');
    CommaExpr();
    Expect(')');
    _fs->AddInstruction(_OP_JZ, _fs->PopTarget());
    const SQInteger jnepos = _fs->GetCurrentPos();
    SQInteger stacksize = _fs->GetStackSize();
    Statement();
    if (_token != '}' && _token != TK_ELSE) OptionalSemicolon();
    CleanStack(stacksize);
    const SQInteger endifblock = _fs->GetCurrentPos();
    if (_token == TK_ELSE) {
      haselse = true;
      stacksize = _fs->GetStackSize();
      _fs->AddInstruction(_OP_JMP);
      const SQInteger jmppos = _fs->GetCurrentPos();
      Lex();
      Statement();
      OptionalSemicolon();
      CleanStack(stacksize);
      _fs->SetIntructionParam(jmppos, 1, _fs->GetCurrentPos() - jmppos);
    }
    _fs->SetIntructionParam(jnepos, 1, endifblock - jnepos + (haselse ? 1 : 0));
  }

  struct BreakableBlock {
    size_t nbreaks;
    size_t ncontinues;
  };

  BreakableBlock BeginBreakableBlock() {
    BreakableBlock b{_fs->_unresolvedbreaks.size(), _fs->_unresolvedcontinues.size()};
    _fs->_breaktargets.push_back(0);
    _fs->_continuetargets.push_back(0);
    return b;
  }

  void EndBreakableBlock(const BreakableBlock& b, SQInteger continuetarget) {
    size_t nbreaks = _fs->_unresolvedbreaks.size() - b.nbreaks;
    size_t ncontinues = _fs->_unresolvedcontinues.size() - b.ncontinues;
    while (ncontinues-- > 0) {
      const SQInteger pos = _fs->_unresolvedcontinues.back();
      _fs->_unresolvedcontinues.pop_back();
      _fs->SetIntructionParams(pos, 0, continuetarget - pos, 0);
    }
    ResolveBreaks(nbreaks);
    _fs->_breaktargets.pop_back();
    _fs->_continuetargets.pop_back();
  }

  void ResolveBreaks(size_t nbreaks) {
    while (nbreaks-- > 0) {
      const SQInteger pos = _fs->_unresolvedbreaks.back();
      _fs->_unresolvedbreaks.pop_back();
      _fs->SetIntructionParams(pos, 0, _fs->GetCurrentPos() - pos, 0);
    }
  }

  void WhileStatement() {
    const SQInteger jmppos = _fs->GetCurrentPos();
    Lex();
    Expect('(');
    CommaExpr();
    Expect(')');
    BreakableBlock b = BeginBreakableBlock();
    _fs->AddInstruction(_OP_JZ, _fs->PopTarget());
    const SQInteger jzpos = _fs->GetCurrentPos();
    const SQInteger stacksize = _fs->GetStackSize();
    Statement();
    CleanStack(stacksize);
    _fs->AddInstruction(_OP_JMP, 0, jmppos - _fs->GetCurrentPos() - 1);
    _fs->SetIntructionParam(jzpos, 1, _fs->GetCurrentPos() - jzpos);
    EndBreakableBlock(b, jmppos);
  }

  void DoWhileStatement() {
    Lex();
    const SQInteger jzpos = _fs->GetCurrentPos();
    const SQInteger stacksize = _fs->GetStackSize();
    BreakableBlock b = BeginBreakableBlock();
    // The body is not terminated by a `;` of its own: `do n++; while (c)` does not compile.
    Statement();
    CleanStack(stacksize);
    Expect(TK_WHILE);
    const SQInteger continuetrg = _fs->GetCurrentPos();
    Expect('(');
    CommaExpr();
    Expect(')');
    _fs->AddInstruction(_OP_JNZ, _fs->PopTarget(), jzpos - _fs->GetCurrentPos() - 1);
    EndBreakableBlock(b, continuetrg);
  }

  void ForStatement() {
    Lex();
    const SQInteger stacksize = _fs->GetStackSize();
    Expect('(');
    if (_token == TK_LOCAL) {
      LocalDeclStatement();
    } else if (_token != ';') {
      CommaExpr();
      _fs->PopTarget();
    }
    Expect(';');
    _fs->SnoozeOpt();
    const SQInteger jmppos = _fs->GetCurrentPos();
    SQInteger jzpos = -1;
    if (_token != ';') {
      CommaExpr();
      _fs->AddInstruction(_OP_JZ, _fs->PopTarget());
      jzpos = _fs->GetCurrentPos();
    }
    Expect(';');
    _fs->SnoozeOpt();
    const SQInteger expstart = _fs->GetCurrentPos() + 1;
    if (_token != ')') {
      CommaExpr();
      _fs->PopTarget();
    }
    Expect(')');
    _fs->SnoozeOpt();
    const SQInteger expend = _fs->GetCurrentPos();
    const SQInteger expsize = (expend - expstart) + 1;
    std::vector<SQInstruction> exp;
    for (SQInteger i = 0; i < expsize; i++) exp.push_back(_fs->GetInstruction(expstart + i));
    if (expsize > 0) _fs->PopInstructions(expsize);
    BreakableBlock b = BeginBreakableBlock();
    Statement();
    const SQInteger continuetrg = _fs->GetCurrentPos();
    for (const SQInstruction& in : exp) _fs->AddInstruction(in);
    _fs->AddInstruction(_OP_JMP, 0, jmppos - _fs->GetCurrentPos() - 1, 0);
    if (jzpos > 0) _fs->SetIntructionParam(jzpos, 1, _fs->GetCurrentPos() - jzpos);
    CleanStack(stacksize);
    EndBreakableBlock(b, continuetrg);
  }

  void ForEachStatement() {
    Lex();
    Expect('(');
    SQObjectPtr valname = Expect(TK_IDENTIFIER);
    SQObjectPtr idxname;
    if (_token == ',') {
      idxname = valname;
      Lex();
      valname = Expect(TK_IDENTIFIER);
    } else {
      idxname = _fs->CreateString(u"@INDEX@");
    }
    Expect(TK_IN);
    const SQInteger stacksize = _fs->GetStackSize();
    Expression();
    Expect(')');
    const SQInteger container = _fs->TopTarget();
    const SQInteger indexpos = _fs->PushLocalVariable(idxname);
    _fs->AddInstruction(_OP_LOADNULLS, indexpos, 1);
    const SQInteger valuepos = _fs->PushLocalVariable(valname);
    _fs->AddInstruction(_OP_LOADNULLS, valuepos, 1);
    const SQInteger itrpos = _fs->PushLocalVariable(_fs->CreateString(u"@ITERATOR@"));
    _fs->AddInstruction(_OP_LOADNULLS, itrpos, 1);
    const SQInteger jmppos = _fs->GetCurrentPos();
    _fs->AddInstruction(_OP_FOREACH, container, 0, indexpos);
    const SQInteger foreachpos = _fs->GetCurrentPos();
    _fs->AddInstruction(_OP_POSTFOREACH, container, 0, indexpos);
    BreakableBlock b = BeginBreakableBlock();
    Statement();
    _fs->AddInstruction(_OP_JMP, 0, jmppos - _fs->GetCurrentPos() - 1);
    _fs->SetIntructionParam(foreachpos, 1, _fs->GetCurrentPos() - foreachpos);
    _fs->SetIntructionParam(foreachpos + 1, 1, _fs->GetCurrentPos() - foreachpos);
    CleanStack(stacksize);
    EndBreakableBlock(b, foreachpos - 1);
  }

  void SwitchStatement() {
    Lex();
    Expect('(');
    CommaExpr();
    Expect(')');
    Expect('{');
    const SQInteger expr = _fs->TopTarget();
    bool bfirst = true;
    SQInteger tonextcondjmp = -1;
    SQInteger skipcondjmp = -1;
    const size_t nbreaks = _fs->_unresolvedbreaks.size();
    _fs->_breaktargets.push_back(0);
    while (_token == TK_CASE) {
      if (!bfirst) {
        _fs->AddInstruction(_OP_JMP, 0, 0);
        skipcondjmp = _fs->GetCurrentPos();
        _fs->SetIntructionParam(tonextcondjmp, 1, _fs->GetCurrentPos() - tonextcondjmp);
      }
      Lex();
      Expression();
      Expect(':');
      const SQInteger trg = _fs->PopTarget();
      _fs->AddInstruction(_OP_EQ, trg, trg, expr);
      _fs->AddInstruction(_OP_JZ, trg, 0);
      if (skipcondjmp != -1)
        _fs->SetIntructionParam(skipcondjmp, 1, _fs->GetCurrentPos() - skipcondjmp);
      tonextcondjmp = _fs->GetCurrentPos();
      const SQInteger stacksize = _fs->GetStackSize();
      Statements();
      _fs->SetStackSize(stacksize);
      bfirst = false;
    }
    if (tonextcondjmp != -1)
      _fs->SetIntructionParam(tonextcondjmp, 1, _fs->GetCurrentPos() - tonextcondjmp);
    if (_token == TK_DEFAULT) {
      Lex();
      Expect(':');
      const SQInteger stacksize = _fs->GetStackSize();
      Statements();
      _fs->SetStackSize(stacksize);
    }
    Expect('}');
    _fs->PopTarget();
    ResolveBreaks(_fs->_unresolvedbreaks.size() - nbreaks);
    _fs->_breaktargets.pop_back();
  }

  void FunctionStatement() {
    Lex();
    SQObjectPtr id = Expect(TK_IDENTIFIER);
    _fs->PushTarget(0);
    _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(), _fs->GetConstant(id));
    if (_token == TK_DOUBLE_COLON) Emit2ArgsOP(_OP_GET);
    while (_token == TK_DOUBLE_COLON) {
      Lex();
      id = Expect(TK_IDENTIFIER);
      _fs->AddInstruction(_OP_LOAD, _fs->PushTarget(), _fs->GetConstant(id));
      if (_token == TK_DOUBLE_COLON) Emit2ArgsOP(_OP_GET);
    }
    Expect('(');
    CreateFunction(id);
    _fs->AddInstruction(_OP_CLOSURE, _fs->PushTarget(),
                        static_cast<SQInteger>(_fs->_functions.size()) - 1, 0);
    EmitDerefOp(_OP_NEWSLOT);
    _fs->PopTarget();
  }

  void ClassStatement() {
    Lex();
    ExpState saved = PushExpState();
    _exst._class_or_delete = true;
    PrefixedExp();
    const ExpState es = _exst;
    _exst = saved;
    if (es._deref == DEREF_NO_DEREF) Error("invalid class name");
    if (es._deref == DEREF_FIELD) {
      ClassExp();
      EmitDerefOp(_OP_NEWSLOT);
      _fs->PopTarget();
    } else {
      Error("cannot create a class in a local with the syntax(class <local>)");
    }
  }

  void ClassExp() {
    SQInteger base = -1;
    SQInteger attrs = -1;
    if (_token == TK_EXTENDS) {
      Lex();
      Expression();
      base = _fs->TopTarget();
    }
    if (_token == TK_ATTR_OPEN) {
      Lex();
      _fs->AddInstruction(_OP_NEWTABLE, _fs->PushTarget());
      ParseTableOrClass(',', TK_ATTR_CLOSE);
      attrs = _fs->TopTarget();
    }
    Expect('{');
    if (attrs != -1) _fs->PopTarget();
    if (base != -1) _fs->PopTarget();
    _fs->AddInstruction(_OP_CLASS, _fs->PushTarget(), base, attrs);
    ParseTableOrClass(';', '}');
  }

  SQObjectPtr ExpectScalar() {
    SQObjectPtr val;
    switch (_token) {
      case TK_INTEGER:
        val = _lex._nvalue;
        break;
      case TK_FLOAT:
        val = _lex._fvalue;
        break;
      case TK_STRING_LITERAL:
        val = _fs->CreateString(_lex._svalue);
        break;
      case '-':
        Lex();
        switch (_token) {
          case TK_INTEGER:
            val = static_cast<SQInteger>(0u - static_cast<uint32_t>(_lex._nvalue));
            break;
          case TK_FLOAT:
            val = -_lex._fvalue;
            break;
          default:
            Error("scalar expected : integer,float");
        }
        break;
      default:
        Error("scalar expected : integer,float or string");
    }
    Lex();
    return val;
  }

  void EnumStatement() {
    Lex();
    SQObjectPtr id = Expect(TK_IDENTIFIER);
    Expect('{');
    SQObjectPtr table(SQTable::Create(_ss, 0));
    SQInteger nval = 0;
    while (_token != '}') {
      SQObjectPtr key = Expect(TK_IDENTIFIER);
      SQObjectPtr val;
      if (_token == '=') {
        Lex();
        val = ExpectScalar();
      } else {
        val = nval++;
      }
      _table(table)->NewSlot(key, val);
      if (_token == ',') Lex();
    }
    _table(_ss->_consts)->NewSlot(id, table);
    Lex();
  }

  void TryCatchStatement() {
    Lex();
    _fs->AddInstruction(_OP_PUSHTRAP, 0, 0);
    _fs->_traps++;
    if (!_fs->_breaktargets.empty()) _fs->_breaktargets.back()++;
    if (!_fs->_continuetargets.empty()) _fs->_continuetargets.back()++;
    const SQInteger trappos = _fs->GetCurrentPos();
    Statement();
    _fs->_traps--;
    _fs->AddInstruction(_OP_POPTRAP, 1, 0);
    if (!_fs->_breaktargets.empty()) _fs->_breaktargets.back()--;
    if (!_fs->_continuetargets.empty()) _fs->_continuetargets.back()--;
    _fs->AddInstruction(_OP_JMP, 0, 0);
    const SQInteger jmppos = _fs->GetCurrentPos();
    _fs->SetIntructionParam(trappos, 1, _fs->GetCurrentPos() - trappos);
    Expect(TK_CATCH);
    Expect('(');
    SQObjectPtr exid = Expect(TK_IDENTIFIER);
    Expect(')');
    const SQInteger stacksize = _fs->GetStackSize();
    const SQInteger ex_target = _fs->PushLocalVariable(exid);
    _fs->SetIntructionParam(trappos, 0, ex_target);
    Statement();
    _fs->SetIntructionParams(jmppos, 0, _fs->GetCurrentPos() - jmppos, 0);
    CleanStack(stacksize);
  }

  void FunctionExp() {
    Lex();
    Expect('(');
    CreateFunction(_null_);
    _fs->AddInstruction(_OP_CLOSURE, _fs->PushTarget(),
                        static_cast<SQInteger>(_fs->_functions.size()) - 1, 0);
  }

  void DelegateExpr() {
    Lex();
    CommaExpr();
    Expect(':');
    CommaExpr();
    const SQInteger table = _fs->PopTarget();
    const SQInteger delegate = _fs->PopTarget();
    _fs->AddInstruction(_OP_DELEGATE, _fs->PushTarget(), table, delegate);
  }

  void DeleteExpr() {
    Lex();
    ExpState saved = PushExpState();
    _exst._class_or_delete = true;
    PrefixedExp();
    const ExpState es = _exst;
    _exst = saved;
    if (es._deref == DEREF_NO_DEREF) Error("can't delete an expression");
    if (es._deref == DEREF_FIELD) {
      Emit2ArgsOP(_OP_DELETE);
    } else {
      Error("cannot delete a local");
    }
  }

  void CreateFunction(const SQObject& name) {
    SQFuncState* funcstate = _fs->PushChildState();
    funcstate->_name = name;
    funcstate->AddParameter(_fs->CreateString(u"this"));
    funcstate->_sourcename = _sourcename;
    SQInteger defparams = 0;
    while (_token != ')') {
      if (_token == TK_VARPARAMS) {
        if (defparams > 0)
          Error("function with default parameters cannot have variable number of parameters");
        funcstate->_varparams = true;
        Lex();
        if (_token != ')') Error("expected ')'");
        break;
      }
      SQObjectPtr paramname = Expect(TK_IDENTIFIER);
      funcstate->AddParameter(paramname);
      if (_token == '=') {
        Lex();
        Expression();
        funcstate->AddDefaultParam(_fs->TopTarget());
        defparams++;
      } else if (defparams > 0) {
        Error("expected '='");
      }
      if (_token == ',') {
        Lex();
      } else if (_token != ')') {
        Error("expected ')' or ','");
      }
    }
    Expect(')');
    for (SQInteger n = 0; n < defparams; n++) _fs->PopTarget();
    if (_token == ':') {
      Lex();
      Expect('(');
      while (_token != ')') {
        SQObjectPtr paramname = Expect(TK_IDENTIFIER);
        funcstate->AddOuterValue(paramname);
        if (_token == ',') {
          Lex();
        } else if (_token != ')') {
          Error("expected ')' or ','");
        }
      }
      Lex();
    }
    SQFuncState* currchunk = _fs;
    _fs = funcstate;
    Statement();
    funcstate->AddLineInfos(_lex._prevtoken == '\n' ? _lex._lasttokenline : _lex._currentline,
                            _lineinfo, true);
    funcstate->AddInstruction(_OP_RETURN, -1);
    funcstate->SetStackSize(0);
    SQObjectPtr func(funcstate->BuildProto());
    _fs = currchunk;
    _fs->_functions.push_back(func);
    _fs->PopChildState();
  }

  SQVM* _vm;
  SQSharedState* _ss;
  SQLexer _lex;
  bool _lineinfo;
  SQInteger _token = 0;
  SQFuncState* _fs = nullptr;
  SQObjectPtr _sourcename;
  ExpState _exst;
  SQCompileError _error;
  SQInteger _nesting = 0;
};

}  // namespace

bool sq_compile_source(SQVM* vm, SQLEXREADFUNC rg, SQUserPointer up, const SQChar* sourcename,
                       bool lineinfo, SQObjectPtr& out, SQCompileError& error) {
  try {
    SQCompiler compiler(vm, rg, up, sourcename, lineinfo);
    return compiler.Compile(out, error);
  } catch (const CompileFailure&) {
    // Only the first character can fail here, before the compiler reports anything.
    error = {"Invalid character", 1, 0};
    return false;
  }
}
