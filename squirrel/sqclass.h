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
  bool Get(const SQObjectPtr& key, SQObjectPtr& val) const;
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

  // A field value or a method of the class.
  bool Get(const SQObjectPtr& key, SQObjectPtr& val) const;
  // Replaces a field value; methods and statics cannot be set through an instance.
  bool Set(const SQObjectPtr& key, const SQObjectPtr& val);
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
