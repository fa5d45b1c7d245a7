#include "foundation/DFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "foundation/DExceptFile.h"

namespace mirel {
namespace {

namespace os = platform::os;

// Holds a file's shared lock for a scope (nothing when the file is not open).
class Locked {
public:
    explicit Locked(const rcptr<DSection>& lock) : lock_(lock) {
        if (lock_) lock_->Enter();
    }
    ~Locked() {
        if (lock_) lock_->Leave();
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    rcptr<DSection> lock_;
};

void CopyPath(char (&target)[DFile::PathCapacity], const char* source) {
    const size_t length = source ? strnlen(source, DFile::PathCapacity - 1) : 0;
    if (length > 0) std::memcpy(target, source, length);
    target[length] = '\0';
}

constexpr bool FitsPosition(int64_t value) { return value >= 0 && value <= INT32_MAX; }

}  // namespace

DFile::Handle::~Handle() {
    if (file != os::kInvalidFileHandle) os::closeFile(file);
}

DFile::~DFile() { Close(); }

bool DFile::Open(const char* path, uint32_t flags) {
    if (IsOpen()) return false;
    uint32_t access = 0;
    if (flags & OpenRead) access |= os::kGenericRead;
    if (flags & OpenWrite) access |= os::kGenericWrite;
    os::Disposition disposition = os::Disposition::OpenExisting;
    if ((flags & OpenCreate) && (flags & OpenNew)) {
        disposition = os::Disposition::CreateAlways;
    } else if (flags & OpenCreate) {
        disposition = os::Disposition::OpenAlways;
    } else if (flags & OpenNew) {
        disposition = os::Disposition::CreateNew;
    }
    const os::FileHandle file = os::createFile(path ? path : "", access, disposition);
    if (file == os::kInvalidFileHandle) {
        throw_ = false;
        return false;
    }
    handle_.Create();
    handle_->file = file;
    position_ = 0;
    base_ = 0;
    limit_ = -1;
    CopyPath(path_, path);
    lock_.Create();
    return true;
}

bool DFile::AttachStream(const char* name, const rcptr<DDataOverride>& stream) {
    if (IsOpen() || !stream) return false;
    position_ = 0;
    base_ = 0;
    limit_ = -1;
    CopyPath(path_, name ? name : "(override)");
    stream_ = stream;
    lock_.Create();
    return true;
}

bool DFile::OpenView(int32_t offset, int32_t length, DFile& source) {
    if (IsOpen() || !source.IsOpen() || &source == this) return false;
    Locked locked(source.lock_);
    if (offset < 0) offset = source.position_;
    int32_t limit = length < 0 ? -1 : length;
    if (source.limit_ >= 0) {
        // A view never reaches past its source's window, even when it starts beyond it.
        const int32_t remaining = std::max(source.limit_ - offset, 0);
        limit = limit < 0 ? remaining : std::min(limit, remaining);
    }
    const int64_t base = int64_t{source.base_} + offset;
    if (!FitsPosition(base)) return false;
    position_ = 0;
    limit_ = limit;
    base_ = static_cast<int32_t>(base);
    handle_ = source.handle_;
    stream_ = source.stream_;
    lock_ = source.lock_;
    throw_ = source.throw_;
    std::memcpy(path_, source.path_, sizeof path_);
    return true;
}

void DFile::Assign(DFile& source) {
    if (&source == this) return;
    Close();
    OpenView(0, -1, source);
}

bool DFile::Close() {
    if (!IsOpen()) return false;
    throw_ = false;
    handle_.Reset();
    stream_.Reset();
    lock_.Reset();
    return true;
}

template <class StreamTransfer, class FileTransfer>
int32_t DFile::Transfer(uint32_t count, StreamTransfer onStream, FileTransfer onFile) {
    int32_t result = -1;
    {
        Locked locked(lock_);
        int32_t n = static_cast<int32_t>(std::min<uint32_t>(count, INT32_MAX));
        const bool pastLimit = limit_ >= 0 && position_ >= limit_;
        if (limit_ >= 0 && !pastLimit) n = std::min(n, limit_ - position_);
        if (IsOpen() && !pastLimit && SeekLocked(0, DDataOverride::SeekCurrent)) {
            if (stream_) {
                result = onStream(*stream_, n);
            } else {
                uint32_t done = 0;
                if (onFile(handle_->file, static_cast<uint32_t>(n), done))
                    result = static_cast<int32_t>(done);
            }
            if (result > 0) position_ += result;
        }
    }
    if (result < 0) RaiseError();
    return result;
}

int32_t DFile::Read(void* buffer, uint32_t count) {
    return Transfer(
        count, [&](DDataOverride& stream, int32_t n) { return stream.Read(buffer, n); },
        [&](os::FileHandle file, uint32_t n, uint32_t& done) {
            return os::readFile(file, buffer, n, done);
        });
}

int32_t DFile::Write(const void* bytes, uint32_t count) {
    return Transfer(
        count, [&](DDataOverride& stream, int32_t n) { return stream.Write(bytes, n); },
        [&](os::FileHandle file, uint32_t n, uint32_t& done) {
            return os::writeFile(file, bytes, n, done);
        });
}

bool DFile::Seek(int32_t offset, int32_t whence) {
    bool ok;
    {
        Locked locked(lock_);
        ok = IsOpen() && SeekLocked(offset, whence);
    }
    if (!ok) RaiseError();
    return ok;
}

// Places the shared file or stream at base + absolute view position.
bool DFile::MoveTo(int64_t absolute) {
    if (!FitsPosition(absolute)) return false;
    const auto target = static_cast<int32_t>(absolute);
    if (stream_) return stream_->Seek(target, DDataOverride::SeekBegin);
    return os::setFilePointer(handle_->file, target, os::SeekOrigin::Begin) ==
           static_cast<uint32_t>(target);
}

// After a failed seek: the shared file or stream agrees with the position again.
void DFile::Resynchronise() { MoveTo(int64_t{base_} + position_); }

// The size of the whole underlying file or stream, -1 when unknown.
int64_t DFile::DataSize() {
    if (stream_) return stream_->Size();
    const uint32_t size = os::getFileSize(handle_->file);
    return size == os::kInvalidFileSize ? -1 : int64_t{size};
}

bool DFile::SeekLocked(int32_t d, int32_t whence) {
    const bool limited = limit_ >= 0;
    const auto fail = [this](int64_t position) {
        position_ = static_cast<int32_t>(position);
        Resynchronise();
        return false;
    };
    switch (whence) {
    case DDataOverride::SeekBegin:
        if (d < 0) return fail(0);
        if (limited && d > limit_) return fail(limit_);
        if (!MoveTo(int64_t{base_} + d)) return false;
        position_ = d;
        return true;
    case DDataOverride::SeekCurrent: {
        const int64_t target = int64_t{position_} + d;
        if (d >= 0 && limited && target > limit_) return fail(limit_);
        if (d < 0 && target < 0) return fail(0);
        if (!MoveTo(int64_t{base_} + target)) return false;
        position_ = static_cast<int32_t>(target);
        return true;
    }
    case DDataOverride::SeekEnd: {
        if (d > 0) {
            const int64_t end = limited ? limit_ : std::max<int64_t>(DataSize() - base_, 0);
            return fail(std::min<int64_t>(end, INT32_MAX));
        }
        int64_t absolute;
        if (limited) {
            if (int64_t{limit_} < -int64_t{d}) return fail(0);
            if (!MoveTo(int64_t{base_} + limit_ + d)) return false;
            absolute = int64_t{base_} + limit_ + d;
        } else if (stream_) {
            if (!stream_->Seek(d, DDataOverride::SeekEnd)) return false;
            absolute = stream_->Tell();
        } else {
            const uint32_t moved = os::setFilePointer(handle_->file, d, os::SeekOrigin::End);
            if (moved == os::kInvalidSetFilePointer) return false;
            absolute = moved;
        }
        // An end-relative seek on an unlimited view must not land before the view's start.
        if (absolute < base_) return fail(0);
        position_ = static_cast<int32_t>(absolute - base_);
        return true;
    }
    default:
        return false;
    }
}

int32_t DFile::Tell() {
    int32_t position;
    {
        Locked locked(lock_);
        position = IsOpen() ? position_ : -1;
    }
    if (position < 0) RaiseError();
    return position;
}

int32_t DFile::Size() {
    int64_t size = -1;
    {
        Locked locked(lock_);
        if (limit_ >= 0 && IsOpen()) {
            size = limit_;
        } else if (IsOpen()) {
            const int64_t whole = DataSize();
            size = whole < 0 ? -1 : whole - base_;
        }
    }
    if (size < 0 || size > INT32_MAX) {
        RaiseError();
        return -1;
    }
    return static_cast<int32_t>(size);
}

bool DFile::Flush() {
    bool ok = false;
    {
        Locked locked(lock_);
        if (stream_) {
            ok = stream_->Flush();
        } else if (handle_) {
            ok = os::flushFileBuffers(handle_->file);
        }
    }
    if (!ok) RaiseError();
    return ok;
}

bool DFile::SetThrow(bool flag) {
    Locked locked(lock_);
    const bool old = throw_;
    throw_ = flag;
    return old;
}

bool DFile::GetThrow() {
    Locked locked(lock_);
    return throw_;
}

void DFile::SetPath(const char* path) { CopyPath(path_, path); }

void DFile::RaiseError() {
    if (GetThrow()) throw DExceptFile();
}

}  // namespace mirel
