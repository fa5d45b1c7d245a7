#include "foundation/DString.h"

#include <cstring>
#include <new>

#include "foundation/DStr.h"

namespace mirel {

void DString::Reserve(uint64_t n) {
    const uint64_t capacity = (n + 31) & ~uint64_t{31};
    if (capacity <= capacity_) return;
    if (capacity > UINT32_MAX) throw std::bad_alloc();
    rcptr<char> grown;
    grown.Allocate(static_cast<size_t>(capacity));
    if (length_ > 0) std::memcpy(grown.Get(), buffer_.Get(), length_);
    grown[length_] = '\0';
    buffer_ = std::move(grown);
    capacity_ = static_cast<uint32_t>(capacity);
}

void DString::_Recount() {
    if (!buffer_) return;
    length_ = static_cast<uint32_t>(strnlen(buffer_.Get(), capacity_));
    if (length_ == capacity_) {  // no NUL inside the buffer: end it at the last byte
        length_ = capacity_ - 1;
        buffer_[length_] = '\0';
    }
}

rcptr<char> DString::GetHandle() const {
    if (buffer_) return buffer_;
    return rcptr<char>::NonOwning(const_cast<char*>(""));
}

void DString::Replace(uint32_t oldCount, const char* source, uint32_t newCount) {
    if (!source || newCount == 0) {
        length_ = 0;
        if (buffer_) buffer_[0] = '\0';
        return;
    }
    // The source may lie in the current buffer: keep that alive through a growth.
    const rcptr<char> keep = buffer_;
    if (oldCount > length_) oldCount = length_;
    if (oldCount < newCount) Reserve(uint64_t{length_} - oldCount + newCount + 1);
    char* text = buffer_.Get();
    if (oldCount != newCount) std::memmove(text + newCount, text + oldCount, length_ - oldCount);
    std::memmove(text, source, newCount);
    length_ = length_ + newCount - oldCount;
    text[length_] = '\0';
}

void DString::Assign(const char* text) {
    Replace(length_, text, text ? static_cast<uint32_t>(std::strlen(text)) : 0);
}

void DString::Append(const char* text) {
    if (!text) return;
    const size_t n = std::strlen(text);
    const rcptr<char> keep = buffer_;  // text may be this string's own buffer
    Reserve(uint64_t{length_} + n + 1);
    std::memmove(buffer_.Get() + length_, text, n);
    length_ += static_cast<uint32_t>(n);
    buffer_[length_] = '\0';
}

bool DString::Equals(const char* text) const {
    if (!buffer_) return !text || text[0] == '\0';
    return DStrEquals(buffer_.Get(), text) == 0;
}

}  // namespace mirel
