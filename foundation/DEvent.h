#pragma once
#include <cstdint>

#include "foundation/DLockObject.h"
#include "foundation/rcptr.h"
#include "platform/os/event.h"

namespace mirel {

// An event object (manual or automatic reset). The handle can be handed to other layers (a sound
// buffer's position notifications) that signal it while this object's owner waits.
class DEvent : public DLockObject {
public:
    DEvent() = default;
    ~DEvent() override = default;
    DEvent(const DEvent&) = delete;
    DEvent& operator=(const DEvent&) = delete;

    // Drops the event; true, also when there was none.
    virtual bool Close();
    // True when the event is NOT signalled (or there is none). A zero wait: on a signalled
    // auto-reset event it consumes the signal.
    virtual bool Poll();
    // Waits up to `milliseconds` (0xFFFFFFFF: no limit): 0 when signalled, 0x102 on time-out,
    // 0xFFFFFFFF when there is no event.
    virtual uint32_t Wait(uint32_t milliseconds);
    virtual bool Signal();
    // Makes the event. False when one exists (it is kept) or when a name is given: named events
    // shared between processes are not supported. Security attributes are ignored.
    virtual bool Create(bool initiallySignalled, bool manualReset,
                        const rcptr<const char>& name = nullptr,
                        const void* securityAttributes = nullptr);
    virtual bool Set();
    virtual bool Reset();
    virtual bool Pulse();

    const platform::os::EventHandle& GetHandle() const { return handle_; }

private:
    platform::os::EventHandle handle_;
};

}  // namespace mirel
