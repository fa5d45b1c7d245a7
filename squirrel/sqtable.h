#pragma once
// Tables: a power-of-two array of nodes with collision chains and a free pointer that walks
// downward. Insertion, growth and iteration follow one exact scheme, so the iteration order of
// a given sequence of operations is always the same.

#include "squirrel/sqobject.h"

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
SQHash sq_hashkey(const SQObject& key);

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
  // The value of an own key; false when absent.
  bool Get(const SQObject& key, SQObjectPtr& val) const;
  // Replaces the value of an existing key; false when absent.
  bool Set(const SQObject& key, const SQObject& val);
  // Creates or replaces; true when the key is new. The key must not be null.
  bool NewSlot(const SQObject& key, const SQObject& val);
  void Remove(const SQObject& key);
  // Iterator step: from node index `refpos`, the next used node; returns its index + 1, or -1.
  SQInteger Next(SQInteger refpos, SQObjectPtr& outkey, SQObjectPtr& outval) const;
  SQInteger CountUsed() const { return _usednodes; }
  void Clear();

 private:
  SQTable() = default;
  void AllocNodes(SQInteger nSize);
  void Rehash(bool force);
  Node* FindNode(const SQObject& key, SQHash mainpos) const;

  Node* _nodes = nullptr;
  Node* _firstfree = nullptr;
  SQInteger _numofnodes = 0;
  SQInteger _usednodes = 0;
};
