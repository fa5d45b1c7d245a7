#include "squirrel/sqgenerator.h"

SQObjectPtr sq_generator_object(SQGenerator* g) {
  SQObject o;
  o._type = OT_GENERATOR;
  o._unVal.raw = 0;
  o._unVal.pGenerator = g;
  return SQObjectPtr(o);
}

SQGenerator* SQGenerator::Create(SQSharedState* ss, SQClosure* closure) {
  SQGenerator* g = new SQGenerator();
  g->_closure = SQObjectPtr(closure);
  g->AddToChain(ss);
  return g;
}

void SQGenerator::Save(SQVM* v) {
  CallInfo& c = v->_callsstack.back();
  const SQInteger base = v->_stackbase;
  _stack.clear();
  for (SQInteger i = base; i < v->_top; i++) _stack.push_back(v->_stack[static_cast<size_t>(i)]);
  _vargs.assign(v->_vargsstack.begin() + c._vargs_base, v->_vargsstack.end());
  _etraps.assign(v->_etraps.end() - c._etraps, v->_etraps.end());
  for (SQExceptionTrap& t : _etraps) {
    t._stackbase -= base;
    t._stacksize -= base;
  }
  _ip = c._ip;
  _state = eSuspended;
}

bool SQGenerator::Resume(SQVM* v, SQInteger target) {
  if (_state == eDead) {
    v->Raise_Error("resuming dead generator");
    return false;
  }
  if (_state == eRunning) {
    v->Raise_Error("resuming active generator");
    return false;
  }
  if (static_cast<SQInteger>(v->_callsstack.size()) >= MAX_CALL_DEPTH) {
    v->Raise_Error("stack overflow");
    return false;
  }
  const SQInteger base = v->_top;
  const SQInteger size = static_cast<SQInteger>(_stack.size());
  v->GrowStack(base + size);
  v->_callsstack.emplace_back();
  CallInfo& c = v->_callsstack.back();
  c._prevstkbase = v->_stackbase;
  c._prevtop = v->_top;
  c._target = target;
  c._closure = _closure;
  c._ip = _ip;
  c._generator = sq_generator_object(this);
  c._vargs_base = static_cast<SQInteger>(v->_vargsstack.size());
  c._vargs_size = static_cast<SQInteger>(_vargs.size());
  c._etraps = static_cast<SQInteger>(_etraps.size());
  for (SQInteger i = 0; i < size; i++) {
    v->_stack[static_cast<size_t>(base + i)] = _stack[static_cast<size_t>(i)];
  }
  for (SQObjectPtr& a : _vargs) v->_vargsstack.push_back(a);
  for (SQExceptionTrap t : _etraps) {
    t._stackbase += base;
    t._stacksize += base;
    v->_etraps.push_back(t);
  }
  v->_stackbase = base;
  v->_top = base + size;
  _stack.clear();
  _vargs.clear();
  _etraps.clear();
  _state = eRunning;
  return true;
}

void SQGenerator::EnumRefs(SQRefVisitor& v) {
  v.Visit(_closure);
  for (const SQObjectPtr& o : _stack) v.Visit(o);
  for (const SQObjectPtr& o : _vargs) v.Visit(o);
}

void SQGenerator::Kill() {
  _state = eDead;
  _stack.clear();
  _vargs.clear();
  _etraps.clear();
  _closure.Null();
  _ip = nullptr;
}

bool SQVM::ResumeGenerator(const SQObjectPtr& generator, SQObjectPtr& outres, SQBool raiseerror) {
  SQObjectPtr gen = generator;
  return Execute(gen, 0, _top, outres, raiseerror);
}
