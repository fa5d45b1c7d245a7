#pragma once
#include <cstdint>
#include <string_view>

namespace platform::os {

// Files with the semantics of the Win32 file calls the foundation was written against. Paths are
// CP932 bytes ('\' or '/' as separators); directories cannot be opened; positions and sizes are
// 32-bit, so files stay below 2 GiB.

using FileHandle = int;
inline constexpr FileHandle kInvalidFileHandle = -1;

// Access flags.
inline constexpr uint32_t kGenericRead = 0x80000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;

enum class Disposition : uint32_t {
    CreateNew = 1,     // fails when the file exists
    CreateAlways = 2,  // creates, or truncates an existing file
    OpenExisting = 3,  // fails when the file does not exist
    OpenAlways = 4,    // opens, or creates a missing file
};

enum class SeekOrigin : uint32_t { Begin = 0, Current = 1, End = 2 };

inline constexpr uint32_t kInvalidSetFilePointer = 0xFFFFFFFF;
inline constexpr uint32_t kInvalidFileSize = 0xFFFFFFFF;

// Opens or creates a file; kInvalidFileHandle on failure. When the path as written does not
// exist, its components are matched ignoring the case of ASCII letters.
FileHandle createFile(std::string_view cp932Path, uint32_t access, Disposition disposition);

// Reads up to `count` bytes; true with the count in `done` (0 at the end of the file).
bool readFile(FileHandle file, void* buffer, uint32_t count, uint32_t& done);

// Writes `count` bytes; true when all were written. `done` holds what was written either way.
bool writeFile(FileHandle file, const void* bytes, uint32_t count, uint32_t& done);

// Moves the file position; returns the new position, or kInvalidSetFilePointer (position
// unchanged) when the target would be negative or beyond 2^31 - 1.
uint32_t setFilePointer(FileHandle file, int32_t distance, SeekOrigin origin);

// The file's size, or kInvalidFileSize on failure (or when it does not fit in 32 bits).
uint32_t getFileSize(FileHandle file);

bool flushFileBuffers(FileHandle file);
bool closeFile(FileHandle file);

// True when the path names a regular file (the file type 0x8000 of its mode; a socket, whose
// type also has that bit, is not one).
bool isRegularFile(std::string_view cp932Path);

}  // namespace platform::os
