#pragma once
// The compiler: Squirrel 2.2 source to a function prototype.

#include "squirrel/sqobject.h"

#include <string>

struct SQCompileError {
  std::string message;  // UTF-8
  SQInteger line;
  SQInteger column;
};

// Compiles the text read through `rg` into `out` (a function prototype). On failure fills
// `error` and returns false.
bool sq_compile_source(SQVM* vm, SQLEXREADFUNC rg, SQUserPointer up, const SQChar* sourcename,
                       bool lineinfo, SQObjectPtr& out, SQCompileError& error);
