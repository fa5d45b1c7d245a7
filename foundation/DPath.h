#pragma once
#include <cstddef>

#include "foundation/DString.h"

namespace mirel {

// Path helpers over Shift-JIS text in fixed buffers of DPATH_SIZE bytes: every operation that
// writes one copies at most DPATH_SIZE - 1 bytes and always terminates it. '/' and '\' are
// both separators on input; built paths use '/'. Scans are lead-byte aware (see DStr.h).
inline constexpr size_t DPATH_SIZE = 264;

// Splits a path into its directory (every separator written as '/', ending in '/' unless
// empty), the file name without its extension and the extension (after the last '.' of the
// file name). Each output is optional (null).
// Example: data\sub/file.tar.gz gives data/sub/, file.tar and gz.
void DPathSplit(const char* path, char* directory, char* name, char* extension);

// The directory part of a path, split into a drive ("c:" when the directory starts with a
// letter and ':') and the rest; name receives the file name without extension. Outputs are
// optional.
void DPathSplitDrive(const char* path, char* drive, char* rest, char* name);

// directory + '/' (unless it already ends in a separator) + name + '.' + extension, each part
// left out when empty, with every '\' turned into '/'.
void DPathMake(char* buffer, const char* directory, const char* name, const char* extension);

// Puts prefix in front of the buffer's text.
void DPathConcat(char* buffer, const char* prefix);

// Resolves a relative path against a base directory: leading segments of k dots ("./", "../",
// ".../") climb k - 1 directories of the base. Drives are kept; paths on different drives
// (compared exactly, so 'd:' and 'D:' differ) give the relative path unchanged, and so does a
// rooted relative path or a base that is not rooted. Climbing above the base's root gives
// the drive, '/' and the relative path.
void DPathNormalize(const char* relative, DString& result, const char* base);

// Turns every '\' of the text into '/' in place (trail bytes untouched).
void DPathToSlash(char* text);

// True when the path names a regular file.
bool DIsRegularFile(const char* path);

}  // namespace mirel
