#pragma once
#include "platform/os/critical_section.h"

// The framework's lock for longer regions that may wait on input and output (the file lock,
// the network layer): recursive, and ready to use once constructed, so it needs no separate
// initialisation step.
using PEL_LOCK = platform::os::CriticalSection;
