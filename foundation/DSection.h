#pragma once
#include "foundation/DObject.h"
#include "platform/os/critical_section.h"

namespace mirel {

// The library's lock: a recursive critical section, ready as soon as it is constructed (so two
// threads entering it for the first time never race to set it up).
class DSection : public DObject {
public:
    DSection() = default;
    DSection(const DSection&) = delete;
    DSection& operator=(const DSection&) = delete;

    void Enter() { section_.enter(); }
    void Leave() { section_.leave(); }

    // BasicLockable, so std::lock_guard works on a section.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    platform::os::CriticalSection section_;
};

}  // namespace mirel
