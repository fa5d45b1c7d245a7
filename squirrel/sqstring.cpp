#include "squirrel/sqstring.h"

#include "squirrel/sqstate.h"

#include <cstdlib>
#include <cstring>
#include <new>

SQHash sq_hashstring(const SQChar* s, SQInteger len) {
  SQHash h = static_cast<SQHash>(len);
  const SQHash step = (static_cast<SQHash>(len) >> 5) | 1;
  for (SQHash left = static_cast<SQHash>(len); left >= step; left -= step) {
    h = h ^ ((h << 5) + (h >> 2) + static_cast<SQHash>(*s++));
  }
  return h;
}

SQString* SQString::Create(SQSharedState* ss, const SQChar* s, SQInteger len) {
  if (len < 0) {
    len = 0;
    while (s[len]) len++;
  }
  return ss->_stringtable->Add(s, len);
}

SQString* SQString::CreateAscii(SQSharedState* ss, std::string_view s) {
  std::u16string units(s.begin(), s.end());
  return Create(ss, units);
}

void SQString::Release() {
  _sharedstate->_stringtable->Remove(this);
}

SQStringTable::SQStringTable(SQSharedState* ss) : _sharedstate(ss), _numofslots(0), _slotused(0) {
  _strings = nullptr;
  Resize(4);
}

SQStringTable::~SQStringTable() {
  free(_strings);
}

SQString* SQStringTable::Add(const SQChar* s, SQInteger len) {
  const SQHash h = sq_hashstring(s, len);
  const SQUnsignedInteger slot = h & (_numofslots - 1);
  for (SQString* t = _strings[slot]; t; t = t->_next) {
    if (t->_len == len && memcmp(t->_val, s, sizeof(SQChar) * len) == 0) return t;
  }
  void* mem = malloc(sizeof(SQString) + sizeof(SQChar) * len);
  if (!mem) throw std::bad_alloc();
  SQString* str = new (mem) SQString();
  str->_sharedstate = _sharedstate;
  str->_len = len;
  str->_hash = h;
  if (len) memcpy(str->_val, s, sizeof(SQChar) * len);
  str->_val[len] = 0;
  str->_next = _strings[slot];
  _strings[slot] = str;
  _slotused++;
  if (_slotused > _numofslots) Resize(_numofslots * 2);
  return str;
}

void SQStringTable::Resize(SQUnsignedInteger size) {
  SQString** fresh = static_cast<SQString**>(calloc(size, sizeof(SQString*)));
  if (!fresh) throw std::bad_alloc();
  for (SQUnsignedInteger i = 0; i < _numofslots; i++) {
    SQString* t = _strings[i];
    while (t) {
      SQString* next = t->_next;
      const SQUnsignedInteger slot = t->_hash & (size - 1);
      t->_next = fresh[slot];
      fresh[slot] = t;
      t = next;
    }
  }
  free(_strings);
  _strings = fresh;
  _numofslots = size;
}

void SQStringTable::Remove(SQString* s) {
  SQString** link = &_strings[s->_hash & (_numofslots - 1)];
  while (*link && *link != s) link = &(*link)->_next;
  if (*link) *link = s->_next;
  _slotused--;
  s->~SQString();
  free(s);
}
