#pragma once
// A readable listing of a function prototype and its nested functions.

#include "squirrel/sqfuncproto.h"

#include <string>

// UTF-8 text: header lines (name, source, counts), literals, parameters, outer values, local
// variable infos, line infos, then one line per instruction.
std::string sq_disassemble(const SQFunctionProto* proto);
