#pragma once
// A readable listing of a function prototype and its nested functions.

#include "squirrel/sqfuncproto.h"

#include <string>

// UTF-8 text: header lines (name, source, counts), literals, parameters, outer values, local
// variable infos, line infos, then one line per instruction.
std::string sq_disassemble(const SQFunctionProto* proto);

// A string of 16-bit units as UTF-8 (surrogate pairs combined, lone surrogates as U+FFFD).
std::string sq_utf16_to_utf8(std::u16string_view s);
