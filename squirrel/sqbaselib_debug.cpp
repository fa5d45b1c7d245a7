// Base library functions for debugging and memory: setdebughook, getstackinfos,
// collectgarbage.
#include "squirrel/sqbaselib_extra.h"

#include "squirrel/sqvm.h"

SQInteger base_collectgarbage(HSQUIRRELVM v) {
  sq_pushinteger(v, sq_collectgarbage(v));
  return 1;
}

SQInteger base_setdebughook(HSQUIRRELVM v) {
  const SQObjectType t = sq_gettype(v, 2);
  if (t == OT_CLOSURE || t == OT_NATIVECLOSURE || t == OT_NULL)
    v->_debughook = v->GetAt(v->_stackbase + 1);
  return 0;
}

// `getstackinfos(level)`: {func, src, line, locals} of the frame `level` calls up (0 is
// getstackinfos itself), or null when there is no such frame.
SQInteger base_getstackinfos(HSQUIRRELVM v) {
  SQInteger level = 0;
  sq_getinteger(v, -1, &level);
  SQStackInfos si;
  if (SQ_FAILED(sq_stackinfos(v, level, &si))) return 0;
  sq_newtable(v);
  sq_pushstring(v, u"func", -1);
  sq_pushstring(v, si.funcname ? si.funcname : u"unknown", -1);
  sq_newslot(v, -3, SQFalse);
  sq_pushstring(v, u"src", -1);
  sq_pushstring(v, si.source ? si.source : u"unknown", -1);
  sq_newslot(v, -3, SQFalse);
  sq_pushstring(v, u"line", -1);
  sq_pushinteger(v, si.line);
  sq_newslot(v, -3, SQFalse);
  sq_pushstring(v, u"locals", -1);
  sq_newtable(v);
  const SQChar* name = nullptr;
  for (SQUnsignedInteger seq = 0;
       (name = sq_getlocal(v, static_cast<SQUnsignedInteger>(level), seq)); seq++) {
    sq_pushstring(v, name, -1);
    sq_push(v, -2);
    sq_newslot(v, -4, SQFalse);
    sq_pop(v, 1);
  }
  sq_newslot(v, -3, SQFalse);
  return 1;
}
