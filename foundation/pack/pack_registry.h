#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/pack/LFmOverride.h"
#include "foundation/rcptr.h"

// The pack registry: data files named by a pack index and a name inside the pack. A pack is
// the "DMF " archive "<program directory>/<name>.dmf" when it exists, else the folder
// "<program directory>/<name>/" of loose files; the unnamed pack ("") is plain data paths
// below the program directory. An installed override provider answers before either.
// Packs are numbered in the order registered. Every failure here is fatal: it is reported
// through l3dError, which throws LExceptGame. Buffers are 264 bytes (DPATH_SIZE).

// The index of the pack of that name (ASCII letters compared without case), registering it
// when new.
uint32_t lfmRegistPack(const char* name);
// The path a file of the pack has, for messages and keys: "<pack>/<name>" with an archive or a
// provider, else the loose file's path below the program directory.
char* lfmGetPackFileName(uint32_t index, char* buffer, const char* name);
bool lfmIsPackDataExist(uint32_t index, const char* name);
// Opens the file of the pack into `file` (an archive member view or a loose file).
void lfmOpenPackData(uint32_t index, mirel::DFile& file, const char* name);
// Opens a path relative to the program directory, or through the provider.
void lfmOpenPath(const char* path, mirel::DFile& file, uint32_t flags);
// Finds the first existing of the name and the name with each extension of a ':'-separated
// list ("dgt:dgi:png:jpg:jpeg:bmp"), in that order; the buffer gets it, or the plain name when
// none exists (false).
bool lfmFindFirstExisting(char* buffer, uint32_t index, const char* name, const char* extensions);

// Installs the override provider (null removes it). Installing one while another is
// installed is fatal.
void lfmRegistOverride(const mirel::rcptr<mirel::LFmOverride>& provider);
// Forgets every pack (closing their archives) and the provider: done before the packs of a
// run are registered and at shutdown.
void lfmReleasePacks();
