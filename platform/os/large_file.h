#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::os {

// Files addressed by UTF-8 path with 64-bit positions, for the framework's file API. Reads and
// writes name their absolute offset, so no shared file position is involved. A path whose
// letters differ in case from the names on disk is found by a case-insensitive walk.

using LargeFile = int;
inline constexpr LargeFile kInvalidLargeFile = -1;

LargeFile largeFileOpenRead(const std::string& utf8Path);
// Opens an existing file for writing; with createOrTruncate a missing file is created
// (read-write as the umask allows) and an existing one cut to length 0.
LargeFile largeFileOpenWrite(const std::string& utf8Path, bool createOrTruncate);
void largeFileClose(LargeFile file);

// Bytes read (0 at the end) or -1 on failure.
int64_t largeFileReadAt(LargeFile file, uint64_t offset, void* buffer, size_t count);
// Bytes written (fewer when the disk is full) or -1 on failure.
int64_t largeFileWriteAt(LargeFile file, uint64_t offset, const void* bytes, size_t count);
bool largeFileSize(LargeFile file, uint64_t* size);
bool largeFileSync(LargeFile file);
bool largeFileTruncate(LargeFile file, uint64_t length);

// True when the path names a regular file (directories do not count).
bool largeFileIsRegular(const std::string& utf8Path);
// Creates the directory (mode 0700) unless it exists as one; true when it exists afterwards.
bool largeFileMakeDirectory(const std::string& utf8Path);

}  // namespace platform::os
