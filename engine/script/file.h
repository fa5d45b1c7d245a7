#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/file/file.h"

// The engine's file object: one open framework file, big-endian values, and no failure result
// for callers to test. Every failure is a level-0 report tagged with the operation's name (the
// engine's exit hook turns it into the fatal-error exception); should the hook return, reads
// yield 0 and the status results below say whether the operation succeeded.
class File {
public:
    File() = default;
    ~File() { close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Closes an open file, then opens the framework path (PEL_FILE_MODE_..., PEL_FILE_...).
    bool create(const char16_t* path, int32_t mode, uint32_t flags);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    // Exactly n bytes under the framework's file lock; fewer is a failure.
    bool read(void* destination, size_t n);
    uint64_t getSize();
    uint32_t readU32();
    int32_t readI32();
    uint64_t readU64();
    float readF32();
    // A u32 count of UTF-16 units, then the units; the destination holds capacity units, the
    // terminator included, so a count of capacity or more is a failure. Returns the count.
    size_t readString(char16_t* destination, size_t capacity);

    void writeU32(uint32_t value);
    void writeI32(int32_t value);
    void writeU64(uint64_t value);
    void writeF32(float value);
    // The units up to the terminator, after their u32 count.
    void writeString(const char16_t* text);

private:
    PEL_FILE* file_ = nullptr;
};
