#pragma once
#include <cstdint>

#include "foundation/DObject.h"

namespace mirel {

// A byte stream the application supplies in place of a file (a pack member, the log). DFile
// reads and writes through it when attached with DFile::AttachStream.
class DDataOverride : public DObject {
public:
    // Seek origins.
    static constexpr int32_t SeekBegin = 1;
    static constexpr int32_t SeekCurrent = 2;
    static constexpr int32_t SeekEnd = 4;

    // Bytes written, negative on failure.
    virtual int32_t Write(const void* bytes, int32_t count) = 0;
    // Bytes read, 0 at the end, negative on failure.
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual bool Seek(int32_t offset, int32_t whence) = 0;
    // The position, negative on failure.
    virtual int32_t Tell() = 0;
    // The size, -1 on failure.
    virtual int32_t Size() = 0;
    // Cuts the stream at the current position.
    virtual bool Truncate() = 0;
    virtual bool Flush() = 0;
};

}  // namespace mirel
