#include "squirrel/sqstate.h"

#include "squirrel/sqlibhelpers.h"
#include "squirrel/sqtable.h"

#include <vector>

SQObjectPtr sq_str(SQSharedState* ss, const char* ascii) {
  return SQObjectPtr(SQString::CreateAscii(ss, ascii));
}

SQSharedState::SQSharedState() {
  _stringtable = new SQStringTable(this);
}

void SQSharedState::Init(SQVM* vm) {
  _registry = SQObjectPtr(SQTable::Create(this, 0));
  _consts = SQObjectPtr(SQTable::Create(this, 0));
  for (int mm = 0; mm < MT_LAST; mm++) {
    _metamethodnames[mm] = sq_str(this, sq_metamethodname(static_cast<SQMetaMethod>(mm)));
  }
  sq_register_default_delegates(vm, this);
  sq_register_coroutine_delegates(vm, this);
}

void SQSharedState::Finalize() {
  // Hold every chained object while emptying it, so none is freed under the walk.
  std::vector<SQCollectable*> all;
  for (SQCollectable* c = _gc_chain; c; c = c->_next) {
    c->_uiRef++;
    all.push_back(c);
  }
  for (SQCollectable* c : all) c->Finalize();
  for (SQCollectable* c : all) {
    if (--c->_uiRef == 0) c->Release();
  }
  _registry.Null();
  _consts.Null();
  _table_default_delegate.Null();
  _array_default_delegate.Null();
  _string_default_delegate.Null();
  _number_default_delegate.Null();
  _closure_default_delegate.Null();
  _class_default_delegate.Null();
  _instance_default_delegate.Null();
  for (SQObjectPtr& name : _metamethodnames) name.Null();
  _generator_default_delegate.Null();
  _thread_default_delegate.Null();
  _weakref_default_delegate.Null();
}

SQSharedState::~SQSharedState() {
  delete _stringtable;
}

SQChar* SQSharedState::GetScratchPad(SQInteger size) {
  if (size > 0 && static_cast<size_t>(size) > _scratchpad.size()) {
    _scratchpad.resize(static_cast<size_t>(size) + static_cast<size_t>(size) / 2);
  }
  if (_scratchpad.empty()) _scratchpad.resize(16);
  return _scratchpad.data();
}
