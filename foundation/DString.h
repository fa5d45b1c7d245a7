#pragma once
#include <cstdint>

#include "foundation/DObject.h"
#include "foundation/rcptr.h"

namespace mirel {

// A Shift-JIS string over a counted character buffer whose capacity grows in steps of 32
// bytes. The buffer is shared, not copied on write: a handle from GetHandle sees every later
// change made in place, and only a growth gives the string a new array (older handles keep
// the old text). Copying a DString copies its text into a buffer of its own.
class DString : public DObject {
public:
    DString() = default;
    explicit DString(const char* text) { Assign(text); }
    DString(const DString& other) : DString(other.Text()) {}
    DString& operator=(const DString& other) {
        if (this != &other) Assign(other.Text());
        return *this;
    }

    // Makes the capacity at least n rounded up to a multiple of 32, keeping the text.
    void Reserve(uint64_t n);
    // Length from the buffer's NUL, after the buffer was written through a handle.
    void _Recount();
    // A counted handle to the buffer; a non-owning handle to "" (never to be written) when the
    // string has none yet.
    rcptr<char> GetHandle() const;

    // Replaces the first oldCount characters by the first newCount characters of source; a
    // null source or newCount 0 empties the string.
    void Replace(uint32_t oldCount, const char* source, uint32_t newCount);
    void Assign(const char* text);
    void Append(const char* text);
    // Append of a handle's text; the handle may be this string's own buffer.
    void AppendStr(const rcptr<char>& text) { Append(text.Get()); }
    // True when the texts are equal (a null text counts as "").
    bool Equals(const char* text) const;

    const char* Text() const { return buffer_ ? buffer_.Get() : ""; }
    uint32_t Length() const { return length_; }
    uint32_t Capacity() const { return capacity_; }

private:
    rcptr<char> buffer_;
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
};

}  // namespace mirel
