#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform::plugin {

// The plug-in files of a directory (CP932 path, with or without a final '/'): regular files
// whose names end in ".spi" in any letter case, as full CP932 paths sorted by name.
std::vector<std::string> findPluginFiles(std::string_view cp932Directory);

// A loaded shared object, or null when it cannot be loaded.
void* loadLibrary(std::string_view cp932Path);
// An exported symbol, or null.
void* findSymbol(void* library, const char* name);
void freeLibrary(void* library);

}  // namespace platform::plugin
