#pragma once
// Base library functions defined outside sqbaselib.cpp, grouped by subject in their own files.

#include "squirrel/squirrel.h"

// sqbaselib_threads.cpp
SQInteger base_newthread(HSQUIRRELVM v);
SQInteger base_suspend(HSQUIRRELVM v);

// sqbaselib_debug.cpp
SQInteger base_setdebughook(HSQUIRRELVM v);
SQInteger base_getstackinfos(HSQUIRRELVM v);
SQInteger base_collectgarbage(HSQUIRRELVM v);
