#pragma once
// The state of one function being compiled: locals and temporaries (a stack of registers),
// literals, instructions with their peephole merges, line and local-variable infos.

#include "squirrel/sqfuncproto.h"
#include "squirrel/sqstate.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class SQFuncState {
 public:
  SQFuncState(SQSharedState* ss, SQFuncState* parent,
              std::function<void(const std::string&)> error);
  ~SQFuncState();

  void AddInstruction(SQOpcode op, SQInteger arg0 = 0, SQInteger arg1 = 0, SQInteger arg2 = 0,
                      SQInteger arg3 = 0) {
    AddInstruction(SQInstruction(op, arg0, arg1, arg2, arg3));
  }
  void AddInstruction(SQInstruction i);
  void SetIntructionParams(SQInteger pos, SQInteger arg0, SQInteger arg1, SQInteger arg2 = 0,
                           SQInteger arg3 = 0);
  void SetIntructionParam(SQInteger pos, SQInteger arg, SQInteger val);
  SQInstruction& GetInstruction(SQInteger pos) { return _instructions[static_cast<size_t>(pos)]; }
  void PopInstructions(SQInteger size) {
    _instructions.resize(_instructions.size() - static_cast<size_t>(size));
  }
  void SetStackSize(SQInteger n);
  void SnoozeOpt() { _optimization = false; }
  void AddDefaultParam(SQInteger trg) { _defaultparams.push_back(trg); }
  SQInteger GetCurrentPos() const { return static_cast<SQInteger>(_instructions.size()) - 1; }
  SQInteger GetNumericConstant(SQInteger cons) { return GetConstant(SQObjectPtr(cons)); }
  SQInteger GetNumericConstant(SQFloat cons) { return GetConstant(SQObjectPtr(cons)); }
  SQInteger PushLocalVariable(const SQObject& name);
  void AddParameter(const SQObject& name);
  void AddOuterValue(const SQObject& name);
  SQInteger GetLocalVariable(const SQObject& name) const;
  SQInteger GetOuterVariable(const SQObject& name) const;
  SQInteger GetStackSize() const { return static_cast<SQInteger>(_vlocals.size()); }
  void AddLineInfos(SQInteger line, bool lineop, bool force = false);
  SQFunctionProto* BuildProto();
  SQInteger AllocStackPos();
  SQInteger PushTarget(SQInteger n = -1);
  SQInteger PopTarget();
  SQInteger TopTarget() const {
    if (_targetstack.empty()) _error("internal compiler error: no target");
    return _targetstack.back();
  }
  bool IsLocal(SQUnsignedInteger stkpos) const;
  SQObjectPtr CreateString(std::u16string_view s);
  SQInteger GetConstant(const SQObject& cons);
  SQFuncState* PushChildState();
  void PopChildState();
  bool IsConstant(const SQObject& name, SQObjectPtr& e) const;

  SQObjectPtr _name;
  SQObjectPtr _sourcename;
  SQInteger _returnexp = 0;
  std::vector<SQInteger> _breaktargets;
  std::vector<SQInteger> _continuetargets;
  std::vector<SQInteger> _unresolvedbreaks;
  std::vector<SQInteger> _unresolvedcontinues;
  std::vector<SQObjectPtr> _functions;
  SQInteger _traps = 0;
  bool _bgenerator = false;
  bool _varparams = false;

 private:
  SQSharedState* _ss;
  SQFuncState* _parent;
  std::function<void(const std::string&)> _error;
  std::vector<SQLocalVarInfo> _vlocals;
  std::vector<SQInteger> _targetstack;
  SQInteger _stacksize = 0;
  bool _optimization = true;
  SQObjectPtr _literals;  // table: literal -> index
  SQInteger _nliterals = 0;
  std::vector<SQObjectPtr> _parameters;
  std::vector<SQOuterVar> _outervalues;
  std::vector<SQInstruction> _instructions;
  std::vector<SQLocalVarInfo> _localvarinfos;
  std::vector<SQLineInfo> _lineinfos;
  std::vector<SQInteger> _defaultparams;
  SQInteger _lastline = 0;
  std::vector<std::unique_ptr<SQFuncState>> _childstates;
};
