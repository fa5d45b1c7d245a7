#pragma once
#include <cstdint>

// The 3D library's log and fatal error with the pack path of a file (lfmGetPackFileName) as
// the format's only argument.
void l3dLogPack(const char* name, int32_t level, const char* format, uint32_t packIndex);
[[noreturn]] void l3dErrorPack(const char* name, const char* format, uint32_t packIndex);
