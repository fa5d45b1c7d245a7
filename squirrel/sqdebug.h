#pragma once
// Debug support shared by the VM and the base library.

#include "squirrel/sqfuncproto.h"

// The source line of the instruction before `ip` in `f`, from its line table.
SQInteger sq_proto_line(const SQFunctionProto* f, const SQInstruction* ip);
