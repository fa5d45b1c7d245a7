#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/list.h"
#include "framework/core/status.h"

// The framework file API: buffered files on framework paths, loose or members of mounted pack
// archives, with big-endian typed reads and writes. One recursive lock, the file lock,
// serialises every operation; those marked "lock held" expect the caller to hold it.

struct PEL_FILE_DESC;

inline constexpr size_t kPelFileBufferSize = 1024;

// Open modes.
enum : int32_t {
    PEL_FILE_MODE_READ = 0,         // mounted archives first, then the file system
    PEL_FILE_MODE_READ_SYSTEM = 1,  // the file system only
    PEL_FILE_MODE_WRITE = 2,
    PEL_FILE_MODE_WRITE_ALT = 3,  // the same as PEL_FILE_MODE_WRITE
};

// Open flags, and the record's flags.
enum : uint8_t {
    PEL_FILE_CREATE = 1,     // open flag: when writing, create the file or cut it to length 0
    PEL_FILE_TEST_BOM = 2,   // open flag: test for the UTF-8 byte-order mark
    PEL_FILE_HAS_BOM = 2,    // record flag: the data begins with EF BB BF (position not moved)
    PEL_FILE_SCRAMBLED = 4,  // every byte XOR the low 8 bits of its offset in the system file
};

// One open file.
struct PEL_FILE {
    uint8_t flags;
    PEL_FILE_DESC* descriptor;
    uint64_t base;     // where the data begins in the system file
    uint64_t size;     // the data's length (readable files)
    int64_t position;  // reading: next byte to deliver; writing: offset of the first pending byte
    const char16_t* name;  // member name or resolved lower-cased path, owned elsewhere
    uint8_t buffer[kPelFileBufferSize];
    uint32_t bufferCount;  // bytes available (reading) or pending (writing)
    uint32_t bufferIndex;  // next buffered byte to deliver (reading)
    PEL_LIST_LINK link;    // in the descriptor's list of open files
};

// Hands the module's start and stop to the core, so that pelInitialize and pelFinalize run them
// in their place. Call it once before pelInitialize in every program that uses files.
void pelFileRegisterModule();

void pelFileLock();
void pelFileUnlock();

// Creates every directory of the path, the last segment included: PEL_OK or PEL_E_ACCESS.
PEL_STATUS pelFileCreateDirectory(const char16_t* path);
// PEL_OK for an archive member (mode 0 only) or a regular file; else PEL_E_NOTFOUND.
PEL_STATUS pelFileExists(int32_t mode, const char16_t* path);
// Like pelFileExists in mode 0, for the path or the path with ".png" added.
PEL_STATUS pelFileExistsImage(const char16_t* path);
// A new open file, or NULL.
PEL_FILE* pelFileOpen(int32_t mode, const char16_t* path, uint32_t flags);
// Opens the path, else the path with ".png" added; NULL when neither exists.
PEL_FILE* pelFileOpenImage(const char16_t* path, int32_t mode);
void pelFileClose(PEL_FILE* file);

// Lock held. Writes the pending bytes: PEL_OK, PEL_E_ACCESS (not writable), PEL_E_FULL (fewer
// written) or PEL_E_IO.
PEL_STATUS pelFileFlush(PEL_FILE* file);
// Flush and commit to disk: PEL_OK or PEL_E_FULL.
PEL_STATUS pelFileCommit(PEL_FILE* file);
// Flush and cut the system file at the current position: PEL_OK or PEL_E_IO.
PEL_STATUS pelFileTruncate(PEL_FILE* file);
// Origin 0 start, 1 current, 2 end. A target outside 0..size (or an unknown origin) resets the
// position and the buffer to 0 and gives PEL_E_IO.
PEL_STATUS pelFileSeek(PEL_FILE* file, int64_t offset, int32_t origin);
PEL_STATUS pelFileGetPosition(uint64_t* position, PEL_FILE* file);
PEL_STATUS pelFileGetSize(uint64_t* size, PEL_FILE* file);

// Lock held. Reads up to count bytes (fewer at the end): PEL_OK or PEL_E_IO.
PEL_STATUS pelFileReadRaw(size_t count, PEL_FILE* file, size_t* bytesRead, void* destination);
PEL_STATUS pelFileRead(size_t* bytesRead, void* destination, size_t count, PEL_FILE* file);
// Lock held. PEL_OK, PEL_E_ACCESS (not writable) or PEL_E_IO.
PEL_STATUS pelFileWriteRaw(const void* source, PEL_FILE* file, size_t* bytesWritten, size_t count);
PEL_STATUS pelFileWrite(size_t* bytesWritten, const void* source, size_t count, PEL_FILE* file);

// Big-endian values: PEL_E_IO unless every byte was read or taken.
PEL_STATUS pelFileReadU32(uint32_t* value, PEL_FILE* file);
PEL_STATUS pelFileReadU64(uint64_t* value, PEL_FILE* file);
PEL_STATUS pelFileReadU16Array(PEL_FILE* file, uint16_t* destination, size_t count);
PEL_STATUS pelFileWriteU32(uint32_t value, PEL_FILE* file);
PEL_STATUS pelFileWriteU64(PEL_FILE* file, uint64_t value);
PEL_STATUS pelFileWriteF32(PEL_FILE* file, float value);
PEL_STATUS pelFileWriteU16Array(size_t count, const uint16_t* values, PEL_FILE* file);
// Writes UTF-16 text as UTF-8, the byte-order mark first when the file is at its start, and
// every line break (CR, LF, or a CR LF / LF CR pair) as CR LF. `written` counts characters, a
// pair counting once.
PEL_STATUS pelFileWriteText(PEL_FILE* file, size_t* written, const char16_t* text, size_t count);

// Mounts the "APFC" pack archive at the path: its members are then found by mode-0 opens
// before loose files, in mount order. PEL_E_NOTFOUND when it cannot be opened, PEL_E_IO when
// its header or index is wrong.
PEL_STATUS pelFileMountArchive(const char16_t* path);
