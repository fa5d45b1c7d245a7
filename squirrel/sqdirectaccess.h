#pragma once
// Reads and stores the interpreter completes without leaving its loop: a table's own key, an
// instance's field (or, for reads, its class's method), an array element. A null answer sends
// the access down the general path (delegates, `_get` and `_set`, default delegates, errors).

#include "squirrel/sqarray.h"
#include "squirrel/sqclass.h"
#include "squirrel/sqtable.h"

// The slot a store to `self[key]` replaces.
inline SQObjectPtr* sq_directslot(const SQObject& self, const SQObject& key) {
  switch (sq_type(self)) {
    case OT_TABLE:
      return _table(self)->FindValue(key);
    case OT_INSTANCE:
      return _instance(self)->FieldSlot(key);
    case OT_ARRAY: {
      if (sq_type(key) != OT_INTEGER) return nullptr;
      std::vector<SQObjectPtr>& values = _array(self)->_values;
      const uint32_t idx = static_cast<uint32_t>(_integer(key));
      return idx < values.size() ? &values[idx] : nullptr;
    }
    default:
      return nullptr;
  }
}

// The value `self[key]` reads.
inline const SQObject* sq_directvalue(const SQObject& self, const SQObject& key) {
  const SQObjectPtr* slot =
      sq_type(self) == OT_INSTANCE ? _instance(self)->FindValue(key) : sq_directslot(self, key);
  return slot ? &sq_realval(*slot) : nullptr;
}
