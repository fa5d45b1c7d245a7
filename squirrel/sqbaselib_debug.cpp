// Base library functions for debugging and memory: setdebughook, getstackinfos,
// collectgarbage.
#include "squirrel/sqbaselib_extra.h"

#include "squirrel/sqvm.h"

SQInteger base_collectgarbage(HSQUIRRELVM v) {
  sq_pushinteger(v, sq_collectgarbage(v));
  return 1;
}
