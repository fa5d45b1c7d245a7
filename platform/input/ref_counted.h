#pragma once
// Reference counting in the style of COM: an object starts with one reference, owned by its
// creator, and deletes itself when the last one is released.
#include <atomic>

#include "platform/input/dinput8_types.h"

namespace platform::input {

class RefCounted {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    ULONG AddRef() { return ++references_; }
    ULONG Release() {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace platform::input
