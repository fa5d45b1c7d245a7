#pragma once
#include <optional>
#include <string>

namespace platform::os {

// The full UTF-8 path of the running executable (the module file name). When the environment
// variable TESSERA_PROGRAM_DIR names a directory, the executable's file name is placed in that
// directory instead, so tests and tools can point the program at other game data. Empty when
// the path cannot be read.
std::string moduleFileName();

// Replaces what moduleFileName returns (tests); nullopt restores the normal look-up.
void overrideModuleFileName(std::optional<std::string> utf8Path);

}  // namespace platform::os
