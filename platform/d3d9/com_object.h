#pragma once
// The device's objects count references through the platform's shared ComObject; these helpers
// keep the references that objects hold on each other.
#include "platform/os/com_object.h"

namespace platform::d3d9 {

using os::ComObject;

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
