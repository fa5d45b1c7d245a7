#include "tests/foundation/support/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace tessera::test {

int32_t MemoryStream::Write(const void* bytes, int32_t count) {
    if (count < 0) return -1;
    const size_t end = static_cast<size_t>(position_) + static_cast<size_t>(count);
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, bytes, static_cast<size_t>(count));
    position_ += count;
    return count;
}

int32_t MemoryStream::Read(void* buffer, int32_t count) {
    if (count < 0) return -1;
    const int64_t left = static_cast<int64_t>(bytes_.size()) - position_;
    const int32_t n = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(count, left)));
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

bool MemoryStream::Seek(int32_t offset, int32_t whence) {
    int64_t target = offset;
    if (whence == SeekCurrent) target += position_;
    if (whence == SeekEnd) target += static_cast<int64_t>(bytes_.size());
    if (target < 0 || target > INT32_MAX) return false;
    position_ = static_cast<int32_t>(target);
    return true;
}

bool MemoryStream::Truncate() {
    bytes_.resize(static_cast<size_t>(position_));
    return true;
}

MemoryStream& attachMemory(mirel::DFile& file, std::string bytes, const char* name) {
    mirel::rcptr<MemoryStream> stream;
    stream.Create();
    *stream = MemoryStream(std::move(bytes));
    file.AttachStream(name, stream);
    return *stream;
}

}  // namespace tessera::test
