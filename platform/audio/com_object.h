#pragma once
// Reference counting in the style of COM: an object starts with one reference, owned by its
// creator, and deletes itself when the last reference is released.
#include <atomic>
#include <cstdint>

namespace platform::audio {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    uint32_t AddRef() { return ++references_; }
    uint32_t Release() {
        const uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<uint32_t> references_{1};
};

}  // namespace platform::audio
