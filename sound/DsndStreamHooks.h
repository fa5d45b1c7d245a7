#pragma once
#include <cstdint>

#include "platform/os/event.h"

namespace mirel {

// A seam for tests of streams: how a stream thread waits for its events, and what it does to
// its buffer's volume. The default waits on the events for real and observes nothing.
class DsndStreamHooks {
public:
    virtual ~DsndStreamHooks() = default;
    // The stream thread's wait for any of its events (the notify event first).
    virtual uint32_t Wait(const platform::os::EventHandle* events, uint32_t count,
                          uint32_t milliseconds) {
        return platform::os::waitForMultipleObjects(events, count, milliseconds);
    }
    // Every volume, in millibels, given to a stream's buffer.
    virtual void OnVolume(int32_t) {}
    // A stream thread is about to end.
    virtual void OnThreadEnd() {}
};

// Installs the hooks the stream threads started from now on use (not owned; null restores
// the default).
void DsndSetStreamHooks(DsndStreamHooks* hooks);
DsndStreamHooks& DsndGetStreamHooks();

}  // namespace mirel
