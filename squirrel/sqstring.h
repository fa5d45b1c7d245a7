#pragma once
// Immutable interned strings of 16-bit units. Equal content means the same object, so string
// equality and table lookups compare pointers; the hash is computed once, at creation.

#include "squirrel/sqobject.h"

#include <string_view>

struct SQString : SQRefCounted {
  SQSharedState* _sharedstate;
  SQString* _next;  // next string of the same bucket
  SQInteger _len;
  SQHash _hash;
  SQChar _val[1];  // _len units followed by a NUL unit

  // The interned string of these units (len < 0: up to the first NUL).
  static SQString* Create(SQSharedState* ss, const SQChar* s, SQInteger len = -1);
  static SQString* Create(SQSharedState* ss, std::u16string_view s) {
    return Create(ss, s.data(), static_cast<SQInteger>(s.size()));
  }
  // From ASCII/UTF-8 text (only ASCII is expected here: names and messages).
  static SQString* CreateAscii(SQSharedState* ss, std::string_view s);
  std::u16string_view view() const { return {_val, static_cast<size_t>(_len)}; }
  void Release() override;
};

// The hash of a string of units: starts at the length and mixes in a prefix of the units.
SQHash sq_hashstring(const SQChar* s, SQInteger len);

// The table of all live strings of a VM family.
class SQStringTable {
 public:
  explicit SQStringTable(SQSharedState* ss);
  ~SQStringTable();
  SQString* Add(const SQChar* s, SQInteger len);
  void Remove(SQString* s);

 private:
  void Resize(SQUnsignedInteger size);
  SQSharedState* _sharedstate;
  SQString** _strings;
  SQUnsignedInteger _numofslots;
  SQUnsignedInteger _slotused;
};
