// The base library's global functions and the parameter type masks of native functions.
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <vector>

namespace {

SQInteger TypeMaskLetter(SQChar c) {
  switch (c) {
    case 'o': return _RT_NULL;
    case 'i': return _RT_INTEGER;
    case 'f': return _RT_FLOAT;
    case 'n': return _RT_FLOAT | _RT_INTEGER;
    case 's': return _RT_STRING;
    case 't': return _RT_TABLE;
    case 'a': return _RT_ARRAY;
    case 'u': return _RT_USERDATA;
    case 'c': return _RT_CLOSURE | _RT_NATIVECLOSURE;
    case 'b': return _RT_BOOL;
    case 'g': return _RT_GENERATOR;
    case 'p': return _RT_USERPOINTER;
    case 'v': return _RT_THREAD;
    case 'x': return _RT_INSTANCE;
    case 'y': return _RT_CLASS;
    case 'r': return _RT_WEAKREF;
    case '.': return -1;
    default: return 0;
  }
}

SQInteger base_print(HSQUIRRELVM v) {
  const SQChar* str;
  sq_tostring(v, 2);
  sq_getstring(v, -1, &str);
  if (SQPRINTFUNCTION pf = sq_getprintfunc(v)) pf(v, u"%s", str);
  return 0;
}

}  // namespace

bool sq_compile_typemask(std::vector<SQInteger>& res, const SQChar* typemask) {
  SQInteger mask = 0;
  for (size_t i = 0; typemask[i]; i++) {
    const SQChar c = typemask[i];
    if (c == ' ') continue;
    const SQInteger bit = TypeMaskLetter(c);
    if (bit == 0) return false;
    if (bit == -1) {
      res.push_back(-1);
      mask = 0;
      continue;
    }
    mask |= bit;
    if (typemask[i + 1] == '|') {
      i++;
      if (typemask[i + 1] == 0) return false;
      continue;
    }
    res.push_back(mask);
    mask = 0;
  }
  return true;
}

// Creates a native closure for each entry and stores it in table `t` under its name.
void sq_register_functions(SQVM* v, SQTable* t, const SQRegFunction* funcs) {
  for (const SQRegFunction* f = funcs; f->name; f++) {
    sq_newclosure(v, f->f, 0);
    sq_setparamscheck(v, f->nparamscheck, f->typemask);
    SQObjectPtr closure = v->Top();
    _nativeclosure(closure)->_name = SQObjectPtr(SQString::Create(v->_ss, f->name));
    t->NewSlot(SQObjectPtr(SQString::Create(v->_ss, f->name)), closure);
    v->Pop();
  }
}

void sq_register_base_library(HSQUIRRELVM v) {
  static const SQRegFunction funcs[] = {
      {u"print", base_print, 2, nullptr},
      {nullptr, nullptr, 0, nullptr},
  };
  SQTable* root = _table(v->_roottable);
  sq_register_functions(v, root, funcs);
  root->NewSlot(sq_str(v->_ss, "_version_"), sq_str(v->_ss, "Squirrel 2.2.4 stable"));
  root->NewSlot(sq_str(v->_ss, "_charsize_"), SQObjectPtr(SQInteger(sizeof(SQChar))));
  root->NewSlot(sq_str(v->_ss, "_intsize_"), SQObjectPtr(SQInteger(sizeof(SQInteger))));
  root->NewSlot(sq_str(v->_ss, "_floatsize_"), SQObjectPtr(SQInteger(sizeof(SQFloat))));
}
