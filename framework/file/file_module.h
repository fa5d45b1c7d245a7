#pragma once
#include <string>

#include "framework/file/file.h"

// What the file module's parts share. Callers hold the file lock.

// The executable's folder in framework form, ending in '/'.
std::u16string pelFileModuleExecutableFolder();
// The application sub-directory, ending in '/', or empty.
std::u16string pelFileModuleAppDirectory();

// Mounted archives (framework/file/archive.cpp).
// Opens the member of the first mounted archive that holds the lower-cased name, or NULL.
PEL_FILE* pelArchiveOpenMember(const char16_t* lowerName, uint32_t flags);
bool pelArchiveHasMember(const char16_t* lowerName);
void pelArchiveUnmountAll();

// Opens a file record on an archive's open descriptor (framework/file/file.cpp).
PEL_FILE* pelFileOpenView(PEL_FILE_DESC* descriptor, uint64_t base, uint64_t size, uint32_t flags,
                          const char16_t* name);
