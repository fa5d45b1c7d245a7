#pragma once
#include <cstddef>
#include <string>

// Framework paths: UTF-16 with '/' separators ('\' is accepted wherever a separator is
// tested). A path that begins with two slashes names a root in its first segment: "<tmp>",
// "<localappdata>", "<userappdata>", any other bracketed name (the executable's folder), a
// drive "X:" or a server name; the application sub-directory goes after every bracketed root.
// A path that begins with one slash is complete; any other is relative to the executable's
// folder.
//
// Every builder writes at most size - 1 units and a terminator (nothing when size is 0) and
// returns the length the whole result needs, so a first call can size the buffer.

// Stores the application sub-directory (a '/' appended when missing); NULL clears it.
void pelFileSetAppDirectory(const char16_t* subDirectory);

// Resolves the path against the base directory (NULL: the executable's folder). Leading "."
// and ".." segments are consumed; ".." never climbs above the base's root.
size_t pelPathResolve(char16_t* output, const char16_t* base, size_t size, const char16_t* path);
// The system path (UTF-16, '/' separators). Drive and server roots give an empty path, which
// no open accepts.
size_t pelPathToNative(char16_t* output, size_t size, const char16_t* path);
// The framework path of a system path: '\' becomes '/', "X:" becomes "//X:".
size_t pelPathFromNative(char16_t* output, size_t size, const char16_t* nativePath);
// directory + '/' (when missing) + name + '.' (unless the extension begins with one) +
// extension; any part may be NULL and an empty extension adds nothing.
size_t pelPathJoin(size_t size, char16_t* output, const char16_t* directory, const char16_t* name,
                   const char16_t* extension);
inline constexpr size_t kPelPathDirectorySize = 128;
// The part of the path up to and including its last '/' into an output of 128 units; empty
// when there is none.
size_t pelPathGetDirectory(char16_t* output, const char16_t* path);
// The path with the extension of its last segment replaced; a leading '.' of the extension is
// skipped, and an empty or NULL extension removes it.
size_t pelPathReplaceExtension(const char16_t* path, char16_t* output, size_t size,
                               const char16_t* extension);

// The same operations on strings, for the file module (no length limit).
std::u16string pelPathResolveString(const std::u16string& base, const std::u16string& path);
std::u16string pelPathToNativeString(const std::u16string& path);
