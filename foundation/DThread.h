#pragma once
#include <cstdint>

#include "foundation/DObject.h"
#include "foundation/rcptr.h"
#include "platform/os/thread.h"

namespace mirel {

// Owns one thread at a time. Close (and the destructor) only let go of the thread, never wait
// for it or stop it: the owner ends its thread before closing.
class DThread : public DObject {
public:
    // A thread procedure: one pointer-sized argument, a 32-bit exit code.
    using Procedure = uint32_t (*)(void* argument);

    DThread() = default;
    ~DThread() override;
    DThread(const DThread&) = delete;
    DThread& operator=(const DThread&) = delete;

    // Runs the procedure with the argument on a new thread. False while a thread is held (until
    // Close) or when none can be created.
    bool Start(Procedure procedure, void* argument);
    void Close();

    uint32_t GetThreadId() const { return threadId_; }
    bool IsStarted() const { return started_ != 0; }

private:
    struct StartRecord {
        Procedure procedure;
        void* argument;
    };
    static uint32_t ThreadEntry(void* record);

    rcptr<platform::os::Thread> handle_;
    uint32_t threadId_ = 0;
    int32_t started_ = 0;
};

}  // namespace mirel
