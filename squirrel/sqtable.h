#pragma once
// Tables: a power-of-two array of nodes with collision chains and a free pointer that walks
// downward. Insertion, growth and iteration follow one exact scheme, so the iteration order of
// a given sequence of operations is always the same.

#include "squirrel/sqobject.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqweakref.h"

// An object that can have a delegate table (tables and user data).
struct SQDelegable : SQCollectable {
  SQTable* _delegate = nullptr;
  // Sets the delegate (null removes it); false when that would create a delegation cycle.
  bool SetDelegate(SQTable* t);
  void EnumRefs(SQRefVisitor& v) override;
  ~SQDelegable() override;
};

// The hash of a key: strings their cached hash, numbers and bools their 32-bit value (floats
// truncated to an integer), other objects their address shifted right by 3.
inline SQHash sq_hashkey(const SQObject& key) {
  switch (sq_type(key)) {
    case OT_STRING:
      return _string(key)->_hash;
    case OT_FLOAT:
      return static_cast<SQHash>(sq_float_to_int(_float(key)));
    case OT_BOOL:
    case OT_INTEGER:
      return static_cast<SQHash>(_integer(key));
    default:
      return static_cast<SQHash>(reinterpret_cast<uintptr_t>(key._unVal.pRefCounted) >> 3);
  }
}

struct SQTable : SQDelegable {
  struct Node {
    SQObjectPtr val;
    SQObjectPtr key;
    Node* next = nullptr;
  };

  static SQTable* Create(SQSharedState* ss, SQInteger nInitialSize);
  ~SQTable() override;
  void Release() override;
  void Finalize() override;
  void EnumRefs(SQRefVisitor& v) override;

  SQTable* Clone();
  // The value slot of an own key, or null when absent. Lookups are inline: the interpreter's
  // fast paths read and write through this slot.
  SQObjectPtr* FindValue(const SQObject& key) const {
    if (sq_type(key) == OT_NULL) return nullptr;
    Node* n = FindNode(key, sq_hashkey(key) & (_numofnodes - 1));
    return n ? &n->val : nullptr;
  }
  // The value of an own key; false when absent.
  bool Get(const SQObject& key, SQObjectPtr& val) const {
    const SQObjectPtr* v = FindValue(key);
    if (!v) return false;
    val = sq_realval(*v);
    return true;
  }
  // Replaces the value of an existing key; false when absent.
  bool Set(const SQObject& key, const SQObject& val) {
    SQObjectPtr* v = FindValue(key);
    if (!v) return false;
    *v = val;
    return true;
  }
  // Creates or replaces; true when the key is new. The key must not be null.
  bool NewSlot(const SQObject& key, const SQObject& val);
  void Remove(const SQObject& key);
  // Iterator step: from node index `refpos`, the next used node and the value it reads as;
  // returns its index + 1, or -1.
  SQInteger Next(SQInteger refpos, SQObjectPtr& outkey, SQObjectPtr& outval) const;
  SQInteger CountUsed() const { return _usednodes; }
  void Clear();

 private:
  SQTable() = default;
  void AllocNodes(SQInteger nSize);
  void Rehash(bool force);
  Node* FindNode(const SQObject& key, SQHash mainpos) const {
    for (Node* n = &_nodes[mainpos]; n; n = n->next) {
      if (sq_rawequal(n->key, key)) return n;
    }
    return nullptr;
  }

  Node* _nodes = nullptr;
  Node* _firstfree = nullptr;
  SQInteger _numofnodes = 0;
  SQInteger _usednodes = 0;
};
