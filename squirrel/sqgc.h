#pragma once
// The cycle collector: frees groups of objects that only reference each other.

#include "squirrel/sqstate.h"

// Finalizes every collectable object no longer reachable from outside the chain of
// collectables and returns how many it finalized.
SQInteger sq_collect_cycles(SQSharedState* ss);
