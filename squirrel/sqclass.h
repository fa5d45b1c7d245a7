#pragma once
// Classes and their instances. A class keeps one member table that maps a name to a field or a
// method index; an instance holds its own copy of the field values and, after them, the class's
// inline user data.

#include "squirrel/sqmetamethod.h"
#include "squirrel/sqtable.h"

#include <vector>

struct SQInstance;

struct SQClassMember {
  SQObjectPtr val;
  SQObjectPtr attrs;
};

struct SQClass : SQCollectable {
  // A new class; a derived one starts with copies of its base's members and metamethods.
  static SQClass* Create(SQSharedState* ss, SQClass* base);
  ~SQClass() override;
  void Release() override { delete this; }
  void Finalize() override;
  void EnumRefs(SQRefVisitor& v) override;

  // Adds or replaces a member; false once the class is locked. Functions named after a
  // metamethod become that metamethod; statics and functions are methods shared by every
  // instance; anything else is a field whose value each instance copies.
  bool NewSlot(const SQObjectPtr& key, const SQObjectPtr& val, bool bstatic);
  // The member table entry of a name, or null. An entry is an integer: the index into the
  // field or the method list shifted left by one, with the low bit set for fields.
  const SQObjectPtr* FindMember(const SQObject& key) const {
    return sq_type(_members) == OT_TABLE ? _table(_members)->FindValue(key) : nullptr;
  }
  static bool IsField(const SQObject& entry) { return (_integer(entry) & 1) != 0; }
  static size_t MemberIndex(const SQObject& entry) {
    return static_cast<size_t>(_integer(entry) >> 1);
  }
  bool Get(const SQObjectPtr& key, SQObjectPtr& val) const {
    const SQObjectPtr* entry = FindMember(key);
    if (!entry) return false;
    val = sq_realval(IsField(*entry) ? _defaultvalues[MemberIndex(*entry)].val
                                     : _methods[MemberIndex(*entry)].val);
    return true;
  }
  bool GetAttributes(const SQObjectPtr& key, SQObjectPtr& attrs) const;
  bool SetAttributes(const SQObjectPtr& key, const SQObjectPtr& attrs);
  // Iteration over the members: name and method or default value.
  SQInteger Next(SQInteger refpos, SQObjectPtr& outkey, SQObjectPtr& outval) const;
  // Locks the class and its bases: no new members once an instance exists.
  void Lock();
  SQInstance* CreateInstance();
  SQClass* base() const { return sq_type(_base) == OT_CLASS ? _base._unVal.pClass : nullptr; }
  const SQObjectPtr& metamethod(SQMetaMethod mm) const { return _metamethods[mm]; }

  SQObjectPtr _base;
  SQObjectPtr _members;  // table: name -> encoded member index
  std::vector<SQClassMember> _defaultvalues;
  std::vector<SQClassMember> _methods;
  SQObjectPtr _metamethods[MT_LAST];
  SQObjectPtr _attributes;
  SQObjectPtr _constructor;
  SQUserPointer _typetag = nullptr;
  SQRELEASEHOOK _hook = nullptr;
  SQInteger _udsize = 0;
  bool _locked = false;

 private:
  SQClass() = default;
};

struct SQInstance : SQCollectable {
  ~SQInstance() override;
  void Release() override;
  void Finalize() override;
  void EnumRefs(SQRefVisitor& v) override;

  // The instance's own value slot of a field, or null for methods, statics and unknown names.
  SQObjectPtr* FieldSlot(const SQObject& key) {
    const SQClass* c = cls();
    const SQObjectPtr* entry = c ? c->FindMember(key) : nullptr;
    if (!entry || !SQClass::IsField(*entry)) return nullptr;
    const size_t idx = SQClass::MemberIndex(*entry);
    return idx < _values.size() ? &_values[idx] : nullptr;
  }
  // The instance's field value or the class's method of a name, or null.
  const SQObjectPtr* FindValue(const SQObject& key) const {
    const SQClass* c = cls();
    const SQObjectPtr* entry = c ? c->FindMember(key) : nullptr;
    if (!entry) return nullptr;
    const size_t idx = SQClass::MemberIndex(*entry);
    if (!SQClass::IsField(*entry)) return &c->_methods[idx].val;
    return idx < _values.size() ? &_values[idx] : nullptr;
  }
  bool Get(const SQObjectPtr& key, SQObjectPtr& val) const {
    const SQObjectPtr* v = FindValue(key);
    if (!v) return false;
    val = sq_realval(*v);
    return true;
  }
  // Replaces a field value; methods and statics cannot be set through an instance.
  bool Set(const SQObjectPtr& key, const SQObjectPtr& val) {
    SQObjectPtr* slot = FieldSlot(key);
    if (!slot) return false;
    *slot = val;
    return true;
  }
  // A new instance of the same class with the same field values.
  SQInstance* Clone();
  bool InstanceOf(const SQClass* c) const;
  SQClass* cls() const { return sq_type(_class) == OT_CLASS ? _class._unVal.pClass : nullptr; }

  SQObjectPtr _class;
  std::vector<SQObjectPtr> _values;
  SQUserPointer _userpointer = nullptr;
  SQRELEASEHOOK _hook = nullptr;

 private:
  friend struct SQClass;
  SQInstance() = default;
};

#define _class(obj) ((obj)._unVal.pClass)
#define _instance(obj) ((obj)._unVal.pInstance)
