#include "squirrel/sqclass.h"

#include "squirrel/sqstate.h"
#include "squirrel/sqstring.h"

#include <cstdlib>
#include <new>

namespace {

// Member table entries (see SQClass::FindMember).
SQObjectPtr FieldIndex(size_t idx) {
  return SQObjectPtr(static_cast<SQInteger>(idx << 1 | 1));
}
SQObjectPtr MethodIndex(size_t idx) {
  return SQObjectPtr(static_cast<SQInteger>(idx << 1));
}

bool IsFunction(const SQObject& o) {
  return sq_type(o) == OT_CLOSURE || sq_type(o) == OT_NATIVECLOSURE;
}

// The metamethod a member name stands for, or MT_LAST.
SQMetaMethod MetaMethodOf(const SQObject& key) {
  if (sq_type(key) != OT_STRING) return MT_LAST;
  const std::u16string_view name = _string(key)->view();
  for (int mm = 0; mm < MT_LAST; mm++) {
    const char* n = sq_metamethodname(static_cast<SQMetaMethod>(mm));
    size_t i = 0;
    while (n[i] && i < name.size() && name[i] == static_cast<unsigned char>(n[i])) i++;
    if (!n[i] && i == name.size()) return static_cast<SQMetaMethod>(mm);
  }
  return MT_LAST;
}

bool IsConstructorName(const SQObject& key) {
  return sq_type(key) == OT_STRING && _string(key)->view() == u"constructor";
}

}  // namespace

const char* sq_metamethodname(SQMetaMethod mm) {
  static const char* const names[MT_LAST] = {
      "_add",    "_sub",     "_mul",     "_div",      "_unm",       "_modulo",
      "_set",    "_get",     "_typeof",  "_nexti",    "_cmp",       "_call",
      "_cloned", "_newslot", "_delslot", "_tostring", "_newmember", "_inherited"};
  return names[mm];
}

// ---- classes --------------------------------------------------------------------------------

SQClass* SQClass::Create(SQSharedState* ss, SQClass* base) {
  SQClass* c = new SQClass();
  if (base) {
    c->_base = SQObjectPtr(base);
    c->_members = SQObjectPtr(_table(base->_members)->Clone());
    c->_defaultvalues = base->_defaultvalues;
    c->_methods = base->_methods;
    for (int mm = 0; mm < MT_LAST; mm++) c->_metamethods[mm] = base->_metamethods[mm];
    c->_constructor = base->_constructor;
    c->_typetag = base->_typetag;
    c->_hook = base->_hook;
    c->_udsize = base->_udsize;
  } else {
    c->_members = SQObjectPtr(SQTable::Create(ss, 0));
  }
  c->AddToChain(ss);
  return c;
}

SQClass::~SQClass() {
  RemoveFromChain();
}

void SQClass::Finalize() {
  _base.Null();
  _members.Null();
  _defaultvalues.clear();
  _methods.clear();
  for (SQObjectPtr& mm : _metamethods) mm.Null();
  _attributes.Null();
  _constructor.Null();
}

void SQClass::EnumRefs(SQRefVisitor& v) {
  v.Visit(_base);
  v.Visit(_members);
  for (const SQClassMember& m : _defaultvalues) {
    v.Visit(m.val);
    v.Visit(m.attrs);
  }
  for (const SQClassMember& m : _methods) {
    v.Visit(m.val);
    v.Visit(m.attrs);
  }
  for (const SQObjectPtr& mm : _metamethods) v.Visit(mm);
  v.Visit(_attributes);
  v.Visit(_constructor);
}

bool SQClass::NewSlot(const SQObjectPtr& key, const SQObjectPtr& val, bool bstatic) {
  if (_locked || sq_type(_members) != OT_TABLE) return false;
  if (IsConstructorName(key)) _constructor = val;
  SQTable* members = _table(_members);
  SQObjectPtr idx;
  const bool exists = members->Get(key, idx);
  if (exists && IsField(idx)) {
    _defaultvalues[MemberIndex(idx)].val = val;
    return true;
  }
  if (IsFunction(val) || bstatic) {
    const SQMetaMethod mm = IsFunction(val) ? MetaMethodOf(key) : MT_LAST;
    if (mm != MT_LAST) {
      _metamethods[mm] = val;
    } else if (exists) {
      _methods[MemberIndex(idx)].val = val;
    } else {
      members->NewSlot(key, MethodIndex(_methods.size()));
      _methods.push_back({val, SQObjectPtr()});
    }
    return true;
  }
  if (exists) {
    // A method redeclared as a field: the name now names a new field.
    members->Set(key, FieldIndex(_defaultvalues.size()));
  } else {
    members->NewSlot(key, FieldIndex(_defaultvalues.size()));
  }
  _defaultvalues.push_back({val, SQObjectPtr()});
  return true;
}

bool SQClass::GetAttributes(const SQObjectPtr& key, SQObjectPtr& attrs) const {
  SQObjectPtr idx;
  if (sq_type(_members) != OT_TABLE || !_table(_members)->Get(key, idx)) return false;
  attrs = IsField(idx) ? _defaultvalues[MemberIndex(idx)].attrs : _methods[MemberIndex(idx)].attrs;
  return true;
}

bool SQClass::SetAttributes(const SQObjectPtr& key, const SQObjectPtr& attrs) {
  SQObjectPtr idx;
  if (sq_type(_members) != OT_TABLE || !_table(_members)->Get(key, idx)) return false;
  if (IsField(idx)) {
    _defaultvalues[MemberIndex(idx)].attrs = attrs;
  } else {
    _methods[MemberIndex(idx)].attrs = attrs;
  }
  return true;
}

SQInteger SQClass::Next(SQInteger refpos, SQObjectPtr& outkey, SQObjectPtr& outval) const {
  if (sq_type(_members) != OT_TABLE) return -1;
  SQObjectPtr idx;
  const SQInteger next = _table(_members)->Next(refpos, outkey, idx);
  if (next != -1) {
    outval = sq_realval(IsField(idx) ? _defaultvalues[MemberIndex(idx)].val
                                     : _methods[MemberIndex(idx)].val);
  }
  return next;
}

void SQClass::Lock() {
  for (SQClass* c = this; c; c = c->base()) c->_locked = true;
}

SQInstance* SQClass::CreateInstance() {
  const size_t udsize = static_cast<size_t>(_udsize > 0 ? _udsize : 0);
  void* mem = calloc(1, sizeof(SQInstance) + udsize);
  if (!mem) throw std::bad_alloc();
  SQInstance* inst = new (mem) SQInstance();
  inst->_class = SQObjectPtr(this);
  inst->_values.reserve(_defaultvalues.size());
  for (const SQClassMember& m : _defaultvalues) inst->_values.push_back(m.val);
  if (udsize) inst->_userpointer = reinterpret_cast<char*>(inst) + sizeof(SQInstance);
  inst->_hook = _hook;
  Lock();
  inst->AddToChain(_sharedstate);
  return inst;
}

// ---- instances ------------------------------------------------------------------------------

SQInstance::~SQInstance() {
  RemoveFromChain();
}

void SQInstance::Release() {
  // The hook may look at the instance; keep it alive while it runs.
  _uiRef++;
  if (_hook) _hook(_userpointer, 0);
  _uiRef--;
  if (_uiRef > 0) return;
  this->~SQInstance();
  free(this);
}

void SQInstance::Finalize() {
  _values.clear();
  _class.Null();
}

void SQInstance::EnumRefs(SQRefVisitor& v) {
  for (const SQObjectPtr& o : _values) v.Visit(o);
  v.Visit(_class);
}

SQInstance* SQInstance::Clone() {
  SQClass* c = cls();
  if (!c) return nullptr;
  SQInstance* inst = c->CreateInstance();
  inst->_values = _values;
  return inst;
}

bool SQInstance::InstanceOf(const SQClass* target) const {
  for (const SQClass* c = cls(); c; c = c->base()) {
    if (c == target) return true;
  }
  return false;
}
