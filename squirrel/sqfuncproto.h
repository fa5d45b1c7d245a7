#pragma once
// Compiled functions (prototypes) and the closures made from them.

#include "squirrel/sqobject.h"
#include "squirrel/sqopcodes.h"

#include <vector>

struct SQOuterVar {
  SQOuterType _type = otLOCAL;
  SQObjectPtr _src;  // stack position (otLOCAL, otOUTER index) or name (otSYMBOL)
  SQObjectPtr _name;
};

struct SQLocalVarInfo {
  SQObjectPtr _name;
  SQUnsignedInteger _pos = 0;
  SQUnsignedInteger _start_op = 0;
  SQUnsignedInteger _end_op = 0;
};

struct SQLineInfo {
  SQInteger _line;
  SQInteger _op;
};

struct SQFunctionProto : SQRefCounted {
  static SQFunctionProto* Create() { return new SQFunctionProto(); }
  void Release() override { delete this; }
  SQObjectPtr _sourcename;
  SQObjectPtr _name;
  std::vector<SQObjectPtr> _literals;
  std::vector<SQObjectPtr> _parameters;
  std::vector<SQOuterVar> _outervalues;
  std::vector<SQLocalVarInfo> _localvarinfos;
  std::vector<SQLineInfo> _lineinfos;
  std::vector<SQInteger> _defaultparams;
  std::vector<SQInstruction> _instructions;
  std::vector<SQObjectPtr> _functions;
  SQInteger _stacksize = 0;
  bool _bgenerator = false;
  bool _varparams = false;

 private:
  SQFunctionProto() = default;
};

struct SQClosure : SQCollectable {
  static SQClosure* Create(SQSharedState* ss, SQFunctionProto* func) {
    SQClosure* c = new SQClosure();
    c->_function = SQObjectPtr(func);
    c->AddToChain(ss);
    return c;
  }
  ~SQClosure() override { RemoveFromChain(); }
  void Release() override { delete this; }
  void Finalize() override {
    _outervalues.clear();
    _defaultparams.clear();
    _env.Null();
  }
  void EnumRefs(SQRefVisitor& v) override {
    v.Visit(_env);
    for (const SQObjectPtr& o : _outervalues) v.Visit(o);
    for (const SQObjectPtr& o : _defaultparams) v.Visit(o);
  }
  SQClosure* Clone() {
    SQClosure* c = Create(_sharedstate, _funcproto(_function));
    c->_env = _env;
    c->_outervalues = _outervalues;
    c->_defaultparams = _defaultparams;
    return c;
  }
  SQFunctionProto* proto() const { return _funcproto(_function); }

  SQObjectPtr _env;  // weak reference to the bound environment (`this`), null when unbound
  SQObjectPtr _function;
  std::vector<SQObjectPtr> _outervalues;
  std::vector<SQObjectPtr> _defaultparams;

 private:
  SQClosure() = default;
};

struct SQNativeClosure : SQCollectable {
  static SQNativeClosure* Create(SQSharedState* ss, SQFUNCTION func) {
    SQNativeClosure* c = new SQNativeClosure();
    c->_function = func;
    c->AddToChain(ss);
    return c;
  }
  ~SQNativeClosure() override { RemoveFromChain(); }
  void Release() override { delete this; }
  void Finalize() override {
    _outervalues.clear();
    _env.Null();
  }
  void EnumRefs(SQRefVisitor& v) override {
    v.Visit(_env);
    for (const SQObjectPtr& o : _outervalues) v.Visit(o);
  }
  SQNativeClosure* Clone() {
    SQNativeClosure* c = Create(_sharedstate, _function);
    c->_env = _env;
    c->_name = _name;
    c->_outervalues = _outervalues;
    c->_typecheck = _typecheck;
    c->_nparamscheck = _nparamscheck;
    return c;
  }

  SQObjectPtr _env;  // as for script closures
  SQFUNCTION _function = nullptr;
  SQObjectPtr _name;
  std::vector<SQObjectPtr> _outervalues;
  std::vector<SQInteger> _typecheck;  // one type mask per parameter, empty for none
  SQInteger _nparamscheck = 0;

 private:
  SQNativeClosure() = default;
};
