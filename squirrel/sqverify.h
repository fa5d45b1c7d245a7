#pragma once
// Checks that a loaded function prototype can run without leaving its bounds: every register,
// literal, function and outer-value operand and every jump target is within the function.

#include "squirrel/sqfuncproto.h"

// True when `proto` (and, recursively, its nested functions) is safe to run. `parent` is the
// function that creates closures of it, or null for a main function.
bool sq_verify_proto(const SQFunctionProto* proto, const SQFunctionProto* parent);
