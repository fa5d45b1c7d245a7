#include "foundation/DEvent.h"

namespace mirel {

bool DEvent::Close() {
    handle_.reset();
    return true;
}

bool DEvent::Poll() { return Wait(0) != platform::os::kWaitObject0; }

uint32_t DEvent::Wait(uint32_t milliseconds) {
    return platform::os::waitForSingleObject(handle_, milliseconds);
}

bool DEvent::Signal() { return Set(); }

bool DEvent::Create(bool initiallySignalled, bool manualReset, const rcptr<const char>& name,
                    const void*) {
    if (handle_) return false;
    if (name && name[0] != '\0') return false;
    handle_ = platform::os::createEvent(manualReset, initiallySignalled);
    return true;
}

bool DEvent::Set() {
    if (!handle_) return false;
    handle_->set();
    return true;
}

bool DEvent::Reset() {
    if (!handle_) return false;
    handle_->reset();
    return true;
}

bool DEvent::Pulse() {
    if (!handle_) return false;
    handle_->pulse();
    return true;
}

}  // namespace mirel
