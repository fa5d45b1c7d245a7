// The base library's global functions and the parameter type masks of native functions.
#include "squirrel/sqarray.h"
#include "squirrel/sqbaselib_extra.h"
#include "squirrel/sqlibhelpers.h"
#include "squirrel/sqstring.h"
#include "squirrel/sqtable.h"
#include "squirrel/sqvm.h"

#include <vector>

namespace {

SQInteger TypeMaskLetter(SQChar c) {
  switch (c) {
    case 'o':
      return _RT_NULL;
    case 'i':
      return _RT_INTEGER;
    case 'f':
      return _RT_FLOAT;
    case 'n':
      return _RT_FLOAT | _RT_INTEGER;
    case 's':
      return _RT_STRING;
    case 't':
      return _RT_TABLE;
    case 'a':
      return _RT_ARRAY;
    case 'u':
      return _RT_USERDATA;
    case 'c':
      return _RT_CLOSURE | _RT_NATIVECLOSURE;
    case 'b':
      return _RT_BOOL;
    case 'g':
      return _RT_GENERATOR;
    case 'p':
      return _RT_USERPOINTER;
    case 'v':
      return _RT_THREAD;
    case 'x':
      return _RT_INSTANCE;
    case 'y':
      return _RT_CLASS;
    case 'r':
      return _RT_WEAKREF;
    case '.':
      return -1;
    default:
      return 0;
  }
}

SQInteger base_print(HSQUIRRELVM v) {
  const SQChar* str;
  sq_tostring(v, 2);
  sq_getstring(v, -1, &str);
  if (SQPRINTFUNCTION pf = sq_getprintfunc(v)) pf(v, u"%s", str);
  return 0;
}

SQInteger base_seterrorhandler(HSQUIRRELVM v) {
  const SQObjectType t = sq_gettype(v, 2);
  if (t == OT_CLOSURE || t == OT_NATIVECLOSURE || t == OT_NULL) v->_errorhandler = Arg(v, 2);
  return 0;
}

SQInteger base_enabledebuginfo(HSQUIRRELVM v) {
  sq_enabledebuginfo(v, sq_gettype(v, 2) != OT_NULL);
  return 0;
}

SQInteger base_getroottable(HSQUIRRELVM v) {
  v->Push(v->_roottable);
  return 1;
}

SQInteger base_setroottable(HSQUIRRELVM v) {
  v->Push(Arg(v, 2));
  return SQ_FAILED(sq_setroottable(v)) ? SQ_ERROR : 0;
}

SQInteger base_getconsttable(HSQUIRRELVM v) {
  v->Push(v->_ss->_consts);
  return 1;
}

SQInteger base_setconsttable(HSQUIRRELVM v) {
  v->Push(Arg(v, 2));
  return SQ_FAILED(sq_setconsttable(v)) ? SQ_ERROR : 0;
}

SQInteger base_assert(HSQUIRRELVM v) {
  if (!sq_istrue(Arg(v, 2))) return sq_throwerror(v, u"assertion failed");
  return 0;
}

SQInteger base_compilestring(HSQUIRRELVM v) {
  SQObjectPtr src = Arg(v, 2);
  SQObjectPtr name = sq_gettop(v) > 2 ? Arg(v, 3) : sq_str(v->_ss, "unnamedbuffer");
  if (SQ_FAILED(sq_compilebuffer(v, _string(src)->_val, _string(src)->_len, _string(name)->_val,
                                 SQFalse))) {
    return SQ_ERROR;
  }
  return 1;
}

SQInteger base_array(HSQUIRRELVM v) {
  const SQInteger size = sq_toint(Arg(v, 2));
  if (size < 0) return sq_throwerror(v, u"negative size");
  SQArray* a = SQArray::Create(v->_ss, 0);
  SQObjectPtr holder(a);
  a->Resize(size, sq_gettop(v) > 2 ? static_cast<const SQObject&>(Arg(v, 3)) : _null_);
  v->Push(holder);
  return 1;
}

SQInteger base_type(HSQUIRRELVM v) {
  v->Push(sq_str(v->_ss, sq_typename(sq_gettype(v, 2))));
  return 1;
}

SQInteger base_dummy(HSQUIRRELVM) {
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

SQObjectPtr MakeDelegate(HSQUIRRELVM v, const SQRegFunction* funcs) {
  SQObjectPtr t(SQTable::Create(v->_ss, 0));
  sq_register_functions(v, _table(t), funcs);
  return t;
}

void sq_register_base_library(HSQUIRRELVM v) {
  static const SQRegFunction funcs[] = {
      {u"seterrorhandler", base_seterrorhandler, 2, nullptr},
      {u"setdebughook", base_setdebughook, 2, nullptr},
      {u"enabledebuginfo", base_enabledebuginfo, 2, nullptr},
      {u"getstackinfos", base_getstackinfos, 2, u".n"},
      {u"getroottable", base_getroottable, 1, nullptr},
      {u"setroottable", base_setroottable, 2, nullptr},
      {u"getconsttable", base_getconsttable, 1, nullptr},
      {u"setconsttable", base_setconsttable, 2, nullptr},
      {u"assert", base_assert, 2, nullptr},
      {u"print", base_print, 2, nullptr},
      {u"compilestring", base_compilestring, -2, u".ss"},
      {u"newthread", base_newthread, 2, u".c"},
      {u"suspend", base_suspend, -1, nullptr},
      {u"array", base_array, -2, u".n"},
      {u"type", base_type, 2, nullptr},
      {u"dummy", base_dummy, 0, nullptr},
      {u"collectgarbage", base_collectgarbage, 1, u"t"},
      {nullptr, nullptr, 0, nullptr},
  };
  SQTable* root = _table(v->_roottable);
  sq_register_functions(v, root, funcs);
  root->NewSlot(sq_str(v->_ss, "_version_"), sq_str(v->_ss, "Squirrel 2.2.4 stable"));
  root->NewSlot(sq_str(v->_ss, "_charsize_"), SQObjectPtr(SQInteger(sizeof(SQChar))));
  root->NewSlot(sq_str(v->_ss, "_intsize_"), SQObjectPtr(SQInteger(sizeof(SQInteger))));
  root->NewSlot(sq_str(v->_ss, "_floatsize_"), SQObjectPtr(SQInteger(sizeof(SQFloat))));
}
