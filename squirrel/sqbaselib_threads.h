#pragma once
// Base library functions that live outside sqbaselib.cpp.

#include "squirrel/squirrel.h"

SQInteger base_newthread(HSQUIRRELVM v);
SQInteger base_suspend(HSQUIRRELVM v);
