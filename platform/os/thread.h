#pragma once
#include <pthread.h>
#include <cstdint>

namespace platform::os {

// Thread identifiers: small numbers given out by this process, never 0. A thread not started
// through Thread (the main thread, say) gets one the first time it asks.
uint32_t currentThreadId();

// An operating-system thread running a procedure that takes one pointer and returns a 32-bit
// exit code. Dropping the object (or detach) lets the thread run on unwatched; join waits for
// it. Priorities are recorded for callers that read them back, never applied: Linux threads
// all run at the default priority.
class Thread {
public:
    using Procedure = uint32_t (*)(void* argument);

    Thread() = default;
    ~Thread() { detach(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the procedure on a new thread. False when this object already holds a thread or
    // the system cannot create one.
    bool start(Procedure procedure, void* argument);
    // Forgets the thread without waiting for it. No effect when none is held.
    void detach();
    // Waits for the thread to end and gives its exit code. False when none is held.
    bool join(uint32_t* exitCode = nullptr);

    bool running() const { return started_; }
    // The started thread's identifier, 0 when none is held.
    uint32_t id() const { return id_; }

    void setPriority(int32_t priority) { priority_ = priority; }
    int32_t priority() const { return priority_; }

private:
    pthread_t thread_{};
    bool started_ = false;
    uint32_t id_ = 0;
    int32_t priority_ = 0;
};

}  // namespace platform::os
