#include "platform/os/thread.h"

#include <atomic>
#include <cstdint>

namespace platform::os {
namespace {

std::atomic<uint32_t> lastThreadId{0};
thread_local uint32_t threadId = 0;

uint32_t newThreadId() { return lastThreadId.fetch_add(1) + 1; }

// What the new thread needs; allocated by start, freed by the thread as it begins.
struct StartRecord {
    Thread::Procedure procedure;
    void* argument;
    uint32_t id;
};

void* threadMain(void* record) {
    const StartRecord start = *static_cast<StartRecord*>(record);
    delete static_cast<StartRecord*>(record);
    threadId = start.id;
    const uint32_t exitCode = start.procedure(start.argument);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(exitCode));
}

}  // namespace

uint32_t currentThreadId() {
    if (threadId == 0) threadId = newThreadId();
    return threadId;
}

bool Thread::start(Procedure procedure, void* argument) {
    if (started_ || procedure == nullptr) return false;
    const uint32_t id = newThreadId();
    auto* record = new StartRecord{procedure, argument, id};
    if (pthread_create(&thread_, nullptr, threadMain, record) != 0) {
        delete record;
        return false;
    }
    started_ = true;
    id_ = id;
    return true;
}

void Thread::detach() {
    if (!started_) return;
    pthread_detach(thread_);
    started_ = false;
    id_ = 0;
}

bool Thread::join(uint32_t* exitCode) {
    if (!started_) return false;
    void* result = nullptr;
    if (pthread_join(thread_, &result) != 0) return false;
    started_ = false;
    id_ = 0;
    if (exitCode) *exitCode = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(result));
    return true;
}

}  // namespace platform::os
