#pragma once
// Reference counting in the style of COM: an object starts with one reference, owned by the
// caller that created it, and deletes itself when the last reference is released.
#include <atomic>

#include "platform/d3d9/d3d9_types.h"

namespace platform::d3d9 {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    virtual ULONG AddRef() { return ++references_; }
    virtual ULONG Release() {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    ULONG references() const { return references_; }

private:
    std::atomic<ULONG> references_{1};
};

// Adds a reference to a possibly null object and returns it.
template <typename T>
T* addRef(T* object) {
    if (object) object->AddRef();
    return object;
}

// Replaces a held reference: takes one on the new object, drops the old one.
template <typename T>
void replaceRef(T*& slot, T* object) {
    if (slot == object) return;
    if (object) object->AddRef();
    T* old = slot;
    slot = object;
    if (old) old->Release();
}

template <typename T>
void releaseRef(T*& slot) {
    T* old = slot;
    slot = nullptr;
    if (old) old->Release();
}

}  // namespace platform::d3d9
