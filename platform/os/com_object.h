#pragma once
// Reference counting in the style of COM, shared by the platform's COM-like objects (the
// Direct3D 9, DirectInput 8 and DirectSound replacements): an object starts with one reference,
// owned by its creator, and deletes itself when the last reference is released. AddRef and
// Release answer the new count, as their COM counterparts do.
#include <atomic>
#include <cstdint>

namespace platform::os {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    virtual uint32_t AddRef() { return ++references_; }
    virtual uint32_t Release() {
        const uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    uint32_t references() const { return references_; }

private:
    std::atomic<uint32_t> references_{1};
};

}  // namespace platform::os
