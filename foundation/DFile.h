#pragma once
#include <cstdint>

#include "foundation/DDataOverride.h"
#include "foundation/DSection.h"
#include "foundation/rcptr.h"
#include "platform/os/file.h"

namespace mirel {

// The library's file object: an operating-system file or an application stream
// (DDataOverride). Any open DFile can be narrowed to a view (OpenView): its own position, a
// base offset and an optional length limit, sharing the file or stream and its lock with the
// object it came from. The file stays open until the last object sharing it is closed.
//
// Errors are returned (false, -1, a negative count); with the throw flag set, Read, Write,
// Seek, Tell, Size and Flush also throw DExceptFile, always after leaving the lock.
// Positions are 32-bit.
class DFile {
public:
    // Open flags. Create alone opens or creates; New alone creates and fails when the file
    // exists; both create or truncate; neither opens an existing file.
    static constexpr uint32_t OpenRead = 1;
    static constexpr uint32_t OpenWrite = 2;
    static constexpr uint32_t OpenCreate = 4;
    static constexpr uint32_t OpenNew = 8;

    static constexpr int32_t PathCapacity = 264;

    DFile() = default;
    ~DFile();
    DFile(const DFile&) = delete;
    DFile& operator=(const DFile&) = delete;

    // Opens a file by its CP932 path. False (never a throw) when this object is open or the
    // file cannot be opened; a failed open clears the throw flag.
    bool Open(const char* path, uint32_t flags);
    // Reads and writes the stream. False when this object is open or the stream is null. A
    // null name is recorded as "(override)".
    bool AttachStream(const char* name, const rcptr<DDataOverride>& stream);
    // Makes this object a view of `source`: `offset` bytes into it (negative: at the source's
    // position), `length` bytes long (negative: up to the source's own limit, if any).
    bool OpenView(int32_t offset, int32_t length, DFile& source);
    // Closes, then becomes a view of the whole source.
    void Assign(DFile& source);
    // False when nothing is open. Clears the throw flag.
    bool Close();

    // Bytes read or written, -1 on failure. A read at the end of a view with a limit fails; a
    // read at the end of an unlimited file returns 0.
    int32_t Read(void* buffer, uint32_t count);
    int32_t Write(const void* bytes, uint32_t count);
    // whence: DDataOverride::SeekBegin, SeekCurrent or SeekEnd.
    bool Seek(int32_t offset, int32_t whence);
    int32_t Tell();
    int32_t Size();
    bool Flush();

    bool SetThrow(bool flag);
    bool GetThrow();
    void SetPath(const char* path);
    const char* GetPath() const { return path_; }
    bool IsOpen() const { return handle_ || stream_; }

private:
    // The operating-system file, closed when the last object sharing it lets go.
    struct Handle {
        platform::os::FileHandle file = platform::os::kInvalidFileHandle;
        ~Handle();
    };

    // Each of these expects the lock to be held and never throws.
    bool SeekLocked(int32_t offset, int32_t whence);
    bool MoveTo(int64_t absolute);
    void Resynchronise();
    int64_t DataSize();

    void RaiseError();

    // Read and Write: clamps the count to the view's limit, moves the shared handle to this
    // object's position and runs the transfer on the stream or the file, under the lock.
    template <class StreamTransfer, class FileTransfer>
    int32_t Transfer(uint32_t count, StreamTransfer onStream, FileTransfer onFile);

    int32_t position_ = 0;
    int32_t base_ = 0;
    int32_t limit_ = -1;
    bool throw_ = false;
    char path_[PathCapacity] = {};
    rcptr<Handle> handle_;
    rcptr<DDataOverride> stream_;
    rcptr<DSection> lock_;
};

}  // namespace mirel
