#include "squirrel/sqtable.h"

#include "squirrel/sqstate.h"

namespace {
constexpr SQInteger kMinNodes = 4;
}

bool SQDelegable::SetDelegate(SQTable* t) {
  for (SQTable* d = t; d; d = d->_delegate) {
    if (d == static_cast<SQDelegable*>(this)) return false;
  }
  if (t) t->_uiRef++;
  SQTable* old = _delegate;
  _delegate = t;
  if (old) {
    SQObject o;
    o._type = OT_TABLE;
    o._unVal.raw = 0;
    o._unVal.pTable = old;
    __Release(o);
  }
  return true;
}

void SQDelegable::EnumRefs(SQRefVisitor& v) {
  if (!_delegate) return;
  SQObject o;
  o._type = OT_TABLE;
  o._unVal.raw = 0;
  o._unVal.pTable = _delegate;
  v.Visit(o);
}

void SQTable::EnumRefs(SQRefVisitor& v) {
  SQDelegable::EnumRefs(v);
  for (SQInteger i = 0; i < _numofnodes; i++) {
    v.Visit(_nodes[i].key);
    v.Visit(_nodes[i].val);
  }
}

SQDelegable::~SQDelegable() {
  SetDelegate(nullptr);
}

SQTable* SQTable::Create(SQSharedState* ss, SQInteger nInitialSize) {
  SQTable* t = new SQTable();
  SQInteger size = kMinNodes;
  while (nInitialSize > size) size <<= 1;
  t->AllocNodes(size);
  t->AddToChain(ss);
  return t;
}

SQTable::~SQTable() {
  RemoveFromChain();
  delete[] _nodes;
}

void SQTable::Release() {
  delete this;
}

void SQTable::Finalize() {
  SetDelegate(nullptr);
  for (SQInteger i = 0; i < _numofnodes; i++) {
    _nodes[i].key.Null();
    _nodes[i].val.Null();
  }
  _usednodes = 0;
}

void SQTable::AllocNodes(SQInteger nSize) {
  _nodes = new Node[nSize];
  _numofnodes = nSize;
  _firstfree = &_nodes[nSize - 1];
}

bool SQTable::NewSlot(const SQObject& key, const SQObject& val) {
  const SQHash h = sq_hashkey(key) & (_numofnodes - 1);
  if (Node* n = FindNode(key, h)) {
    n->val = val;
    return false;
  }
  Node* mp = &_nodes[h];
  if (sq_type(mp->key) != OT_NULL) {
    Node* f = _firstfree;
    Node* other = &_nodes[sq_hashkey(mp->key) & (_numofnodes - 1)];
    if (mp > f && other != mp) {
      // The occupant is not in its main position: move it to the free node.
      while (other->next != mp) other = other->next;
      other->next = f;
      f->key = mp->key;
      f->val = mp->val;
      f->next = mp->next;
      mp->next = nullptr;
      mp->val.Null();
    } else {
      f->next = mp->next;
      mp->next = f;
      mp = f;
    }
  }
  mp->key = key;
  for (;;) {
    if (sq_type(_firstfree->key) == OT_NULL && _firstfree->next == nullptr) {
      mp->val = val;
      _usednodes++;
      return true;
    }
    if (_firstfree == _nodes) break;
    _firstfree--;
  }
  // Keep the key and value alive across the rebuild: they may live in the old nodes.
  SQObjectPtr k(key), v(val);
  Rehash(true);
  NewSlot(k, v);
  return true;
}

void SQTable::Rehash(bool force) {
  const SQInteger oldsize = _numofnodes;
  Node* old = _nodes;
  if (_usednodes >= oldsize - oldsize / 4) {
    AllocNodes(oldsize * 2);
  } else if (_usednodes <= oldsize / 4 && oldsize > kMinNodes) {
    AllocNodes(oldsize / 2);
  } else if (force) {
    AllocNodes(oldsize);
  } else {
    return;
  }
  _usednodes = 0;
  for (SQInteger i = 0; i < oldsize; i++) {
    if (sq_type(old[i].key) != OT_NULL) NewSlot(old[i].key, old[i].val);
  }
  delete[] old;
}

void SQTable::Remove(const SQObject& key) {
  if (sq_type(key) == OT_NULL) return;
  Node* n = FindNode(key, sq_hashkey(key) & (_numofnodes - 1));
  if (!n) return;
  n->val.Null();
  n->key.Null();
  _usednodes--;
  Rehash(false);
}

SQInteger SQTable::Next(SQInteger refpos, SQObjectPtr& outkey, SQObjectPtr& outval) const {
  for (SQInteger i = refpos < 0 ? 0 : refpos; i < _numofnodes; i++) {
    if (sq_type(_nodes[i].key) != OT_NULL) {
      outkey = _nodes[i].key;
      outval = sq_realval(_nodes[i].val);
      return i + 1;
    }
  }
  return -1;
}

SQTable* SQTable::Clone() {
  SQTable* nt = Create(_sharedstate, _numofnodes);
  // The stored values themselves: a clone keeps weak references weak.
  for (SQInteger i = 0; i < _numofnodes; i++) {
    if (sq_type(_nodes[i].key) != OT_NULL) nt->NewSlot(_nodes[i].key, _nodes[i].val);
  }
  nt->SetDelegate(_delegate);
  return nt;
}

void SQTable::Clear() {
  for (SQInteger i = 0; i < _numofnodes; i++) {
    _nodes[i].key.Null();
    _nodes[i].val.Null();
  }
  _usednodes = 0;
  Rehash(true);
}
