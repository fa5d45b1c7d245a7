#pragma once
// Arrays: a vector of values.

#include "squirrel/sqobject.h"
#include "squirrel/sqweakref.h"

#include <vector>

struct SQArray : SQCollectable {
  static SQArray* Create(SQSharedState* ss, SQInteger nInitialSize) {
    SQArray* a = new SQArray();
    a->_values.resize(static_cast<size_t>(nInitialSize));
    a->AddToChain(ss);
    return a;
  }
  ~SQArray() override { RemoveFromChain(); }
  void Release() override { delete this; }
  void Finalize() override { _values.clear(); }
  void EnumRefs(SQRefVisitor& v) override {
    for (const SQObjectPtr& o : _values) v.Visit(o);
  }

  SQInteger Size() const { return static_cast<SQInteger>(_values.size()); }
  bool Get(SQInteger idx, SQObjectPtr& val) const {
    if (idx < 0 || idx >= Size()) return false;
    val = sq_realval(_values[static_cast<size_t>(idx)]);
    return true;
  }
  bool Set(SQInteger idx, const SQObject& val) {
    if (idx < 0 || idx >= Size()) return false;
    _values[static_cast<size_t>(idx)] = val;
    return true;
  }
  // Iterator step: the element at refpos; returns refpos + 1, or -1 past the end.
  SQInteger Next(SQInteger refpos, SQObjectPtr& outkey, SQObjectPtr& outval) const {
    if (refpos < 0 || refpos >= Size()) return -1;
    outkey = refpos;
    outval = sq_realval(_values[static_cast<size_t>(refpos)]);
    return refpos + 1;
  }
  SQArray* Clone() const {
    SQArray* a = Create(_sharedstate, 0);
    a->_values = _values;
    return a;
  }
  void Append(const SQObject& o) { _values.emplace_back(o); }
  void Resize(SQInteger size, const SQObject& fill = _null_) {
    _values.resize(static_cast<size_t>(size), SQObjectPtr(fill));
  }
  bool Insert(SQInteger idx, const SQObject& val) {
    if (idx < 0 || idx > Size()) return false;
    _values.insert(_values.begin() + idx, SQObjectPtr(val));
    return true;
  }
  bool Remove(SQInteger idx) {
    if (idx < 0 || idx >= Size()) return false;
    _values.erase(_values.begin() + idx);
    return true;
  }
  void Pop() { _values.pop_back(); }

  std::vector<SQObjectPtr> _values;

 private:
  SQArray() = default;
};
