#include "squirrel/sqfuncstate.h"

#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"

namespace {
constexpr SQUnsignedInteger kStillAlive = 0xFFFFFFFFu;
}

SQFuncState::SQFuncState(SQSharedState* ss, SQFuncState* parent,
                         std::function<void(const std::string&)> error)
    : _ss(ss), _parent(parent), _error(std::move(error)) {
  _literals = SQObjectPtr(SQTable::Create(ss, 0));
}

SQFuncState::~SQFuncState() = default;

SQObjectPtr SQFuncState::CreateString(std::u16string_view s) {
  return SQObjectPtr(SQString::Create(_ss, s));
}

SQInteger SQFuncState::GetConstant(const SQObject& cons) {
  SQObjectPtr val;
  if (!_table(_literals)->Get(cons, val)) {
    val = _nliterals;
    _table(_literals)->NewSlot(cons, val);
    _nliterals++;
    if (_nliterals > MAX_LITERALS) _error("internal compiler error: too many literals");
  }
  return _integer(val);
}

void SQFuncState::SetIntructionParams(SQInteger pos, SQInteger arg0, SQInteger arg1, SQInteger arg2,
                                      SQInteger arg3) {
  SQInstruction& i = _instructions[static_cast<size_t>(pos)];
  i._arg0 = static_cast<unsigned char>(arg0);
  i._arg1 = static_cast<SQInt32>(arg1);
  i._arg2 = static_cast<unsigned char>(arg2);
  i._arg3 = static_cast<unsigned char>(arg3);
}

void SQFuncState::SetIntructionParam(SQInteger pos, SQInteger arg, SQInteger val) {
  SQInstruction& i = _instructions[static_cast<size_t>(pos)];
  switch (arg) {
    case 0:
      i._arg0 = static_cast<unsigned char>(val);
      break;
    case 1:
      i._arg1 = static_cast<SQInt32>(val);
      break;
    case 2:
      i._arg2 = static_cast<unsigned char>(val);
      break;
    case 3:
      i._arg3 = static_cast<unsigned char>(val);
      break;
  }
}

SQInteger SQFuncState::AllocStackPos() {
  const SQInteger npos = static_cast<SQInteger>(_vlocals.size());
  _vlocals.emplace_back();
  if (static_cast<SQInteger>(_vlocals.size()) > _stacksize) {
    if (_stacksize > MAX_FUNC_STACKSIZE) _error("internal compiler error: too many locals");
    _stacksize = static_cast<SQInteger>(_vlocals.size());
  }
  return npos;
}

SQInteger SQFuncState::PushTarget(SQInteger n) {
  if (n != -1) {
    _targetstack.push_back(n);
    return n;
  }
  n = AllocStackPos();
  _targetstack.push_back(n);
  return n;
}

SQInteger SQFuncState::PopTarget() {
  if (_targetstack.empty()) _error("internal compiler error: no target");
  const SQInteger npos = _targetstack.back();
  if (sq_type(_vlocals[static_cast<size_t>(npos)]._name) == OT_NULL) _vlocals.pop_back();
  _targetstack.pop_back();
  return npos;
}

void SQFuncState::SetStackSize(SQInteger n) {
  SQInteger size = static_cast<SQInteger>(_vlocals.size());
  while (size > n) {
    size--;
    SQLocalVarInfo lvi = _vlocals.back();
    if (sq_type(lvi._name) != OT_NULL) {
      lvi._end_op = static_cast<SQUnsignedInteger>(GetCurrentPos());
      _localvarinfos.push_back(lvi);
    }
    _vlocals.pop_back();
  }
}

bool SQFuncState::IsConstant(const SQObject& name, SQObjectPtr& e) const {
  return _table(_ss->_consts)->Get(name, e);
}

bool SQFuncState::IsLocal(SQUnsignedInteger stkpos) const {
  if (stkpos >= _vlocals.size()) return false;
  return sq_type(_vlocals[stkpos]._name) != OT_NULL;
}

SQInteger SQFuncState::PushLocalVariable(const SQObject& name) {
  const SQInteger pos = static_cast<SQInteger>(_vlocals.size());
  SQLocalVarInfo lvi;
  lvi._name = name;
  lvi._start_op = static_cast<SQUnsignedInteger>(GetCurrentPos() + 1);
  lvi._end_op = kStillAlive;
  lvi._pos = static_cast<SQUnsignedInteger>(_vlocals.size());
  _vlocals.push_back(lvi);
  if (static_cast<SQInteger>(_vlocals.size()) > _stacksize) {
    if (_stacksize > MAX_FUNC_STACKSIZE) _error("internal compiler error: too many locals");
    _stacksize = static_cast<SQInteger>(_vlocals.size());
  }
  return pos;
}

SQInteger SQFuncState::GetLocalVariable(const SQObject& name) const {
  for (SQInteger i = static_cast<SQInteger>(_vlocals.size()) - 1; i >= 0; i--) {
    const SQObjectPtr& n = _vlocals[static_cast<size_t>(i)]._name;
    if (sq_type(n) == OT_STRING && _string(n) == _string(name)) return i;
  }
  return -1;
}

SQInteger SQFuncState::GetOuterVariable(const SQObject& name) const {
  for (size_t i = 0; i < _outervalues.size(); i++) {
    if (_string(_outervalues[i]._name) == _string(name)) return static_cast<SQInteger>(i);
  }
  return -1;
}

void SQFuncState::AddOuterValue(const SQObject& name) {
  SQOuterVar ov;
  ov._name = name;
  if (_parent) {
    SQInteger pos = _parent->GetLocalVariable(name);
    if (pos != -1) {
      ov._type = otLOCAL;
      ov._src = pos;
      _outervalues.push_back(ov);
      return;
    }
    pos = _parent->GetOuterVariable(name);
    if (pos != -1) {
      ov._type = otOUTER;
      ov._src = pos;
      _outervalues.push_back(ov);
      return;
    }
  }
  ov._type = otSYMBOL;
  ov._src = name;
  _outervalues.push_back(ov);
}

void SQFuncState::AddParameter(const SQObject& name) {
  PushLocalVariable(name);
  _parameters.emplace_back(name);
}

void SQFuncState::AddLineInfos(SQInteger line, bool lineop, bool force) {
  if (_lastline != line || force) {
    SQLineInfo li;
    li._line = line;
    li._op = GetCurrentPos() + 1;
    if (lineop) AddInstruction(_OP_LINE, 0, line);
    _lineinfos.push_back(li);
    _lastline = line;
  }
}

void SQFuncState::AddInstruction(SQInstruction i) {
  const size_t size = _instructions.size();
  if (size > 0 && _optimization) {
    SQInstruction& pi = _instructions[size - 1];
    switch (i.op) {
      case _OP_RETURN:
        if (_parent && i._arg0 != MAX_FUNC_STACKSIZE && pi.op == _OP_CALL &&
            _returnexp < static_cast<SQInteger>(size) - 1) {
          pi.op = _OP_TAILCALL;
        }
        break;
      case _OP_GET:
        if (pi.op == _OP_LOAD && pi._arg0 == i._arg2 && !IsLocal(pi._arg0)) {
          pi._arg2 = static_cast<unsigned char>(i._arg1);
          pi.op = _OP_GETK;
          pi._arg0 = i._arg0;
          return;
        }
        break;
      case _OP_PREPCALL:
        if (pi.op == _OP_LOAD && pi._arg0 == i._arg1 && !IsLocal(pi._arg0)) {
          pi.op = _OP_PREPCALLK;
          pi._arg0 = i._arg0;
          pi._arg2 = i._arg2;
          pi._arg3 = i._arg3;
          return;
        }
        break;
      case _OP_APPENDARRAY:
        if (pi.op == _OP_LOAD && pi._arg0 == i._arg1 && !IsLocal(pi._arg0)) {
          pi.op = _OP_APPENDARRAY;
          pi._arg0 = i._arg0;
          pi._arg2 = MAX_FUNC_STACKSIZE;
          pi._arg3 = MAX_FUNC_STACKSIZE;
          return;
        }
        break;
      case _OP_MOVE:
        if ((pi.op == _OP_GET || pi.op == _OP_ARITH || pi.op == _OP_BITW) && pi._arg0 == i._arg1) {
          pi._arg0 = i._arg0;
          _optimization = false;
          return;
        }
        if (pi.op == _OP_MOVE) {
          pi.op = _OP_DMOVE;
          pi._arg2 = i._arg0;
          pi._arg3 = static_cast<unsigned char>(i._arg1);
          return;
        }
        break;
      case _OP_LOAD:
        if (pi.op == _OP_LOAD && i._arg1 < 256) {
          pi.op = _OP_DLOAD;
          pi._arg2 = i._arg0;
          pi._arg3 = static_cast<unsigned char>(i._arg1);
          return;
        }
        break;
      case _OP_EQ:
      case _OP_NE:
        if (pi.op == _OP_LOAD && pi._arg0 == i._arg1 && !IsLocal(pi._arg0)) {
          pi.op = i.op;
          pi._arg0 = i._arg0;
          pi._arg2 = i._arg2;
          pi._arg3 = MAX_FUNC_STACKSIZE;
          return;
        }
        break;
      case _OP_LOADNULLS:
        if (pi.op == _OP_LOADNULLS && pi._arg0 + pi._arg1 == i._arg0) {
          pi._arg1 = pi._arg1 + 1;
          return;
        }
        break;
      case _OP_LINE:
        if (pi.op == _OP_LINE) {
          _instructions.pop_back();
          _lineinfos.pop_back();
        }
        break;
      default:
        break;
    }
  }
  _optimization = true;
  _instructions.push_back(i);
}

SQFunctionProto* SQFuncState::BuildProto() {
  SQFunctionProto* f = SQFunctionProto::Create();
  f->_stacksize = _stacksize;
  f->_sourcename = _sourcename;
  f->_bgenerator = _bgenerator;
  f->_name = _name;
  f->_literals.resize(static_cast<size_t>(_nliterals));
  SQObjectPtr key, val;
  SQInteger idx = 0;
  while ((idx = _table(_literals)->Next(idx, key, val)) != -1) {
    f->_literals[static_cast<size_t>(_integer(val))] = key;
  }
  f->_functions = _functions;
  f->_parameters = _parameters;
  f->_outervalues = _outervalues;
  f->_localvarinfos = _localvarinfos;
  f->_lineinfos = _lineinfos;
  f->_defaultparams = _defaultparams;
  f->_instructions = _instructions;
  f->_varparams = _varparams;
  return f;
}

SQFuncState* SQFuncState::PushChildState() {
  _childstates.push_back(std::make_unique<SQFuncState>(_ss, this, _error));
  return _childstates.back().get();
}

void SQFuncState::PopChildState() {
  _childstates.pop_back();
}
