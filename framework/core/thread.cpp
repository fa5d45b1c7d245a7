#include "framework/core/thread.h"

#include <new>

#include "framework/core/mempool.h"
#include "framework/core/spinlock.h"
#include "platform/os/thread.h"

struct PEL_THREAD {
    platform::os::Thread thread;
};

namespace {

// Lives from pelThreadCreate until the new thread has read it.
struct ThreadRecord {
    PEL_THREAD_ENTRY entry;
    void* user;
};

struct RecordPool {
    PEL_SPINLOCK lock{};
    PEL_MEMPOOL pool;
};
RecordPool records;

constexpr int32_t kSystemPriority[] = {2, 1, 0, -1, -2, 15};

ThreadRecord* takeRecord() {
    PelSpinGuard guard(&records.lock);
    return static_cast<ThreadRecord*>(pelMempoolAllocateBlock(&records.pool));
}

void giveBack(ThreadRecord* record) {
    PelSpinGuard guard(&records.lock);
    pelMempoolFreeBlock(record, &records.pool);
}

uint32_t startRoutine(void* argument) {
    auto* record = static_cast<ThreadRecord*>(argument);
    const PEL_THREAD_ENTRY entry = record->entry;
    void* const user = record->user;
    giveBack(record);
    return entry(user);
}

}  // namespace

void pelThreadStartPool() {
    pelMempoolInit(&records.pool, 4, sizeof(ThreadRecord), PEL_MEMPOOL_GROWABLE);
}

void pelThreadStopPool() { pelMempoolDestroy(&records.pool); }

uint32_t pelThreadGetFreeRecordCount() {
    PelSpinGuard guard(&records.lock);
    return pelMempoolGetFreeCount(&records.pool);
}

PEL_STATUS pelThreadCreate(PEL_THREAD** handle, PEL_THREAD_ENTRY entry, void* user,
                           int32_t priorityIndex, size_t) {
    if (handle) *handle = nullptr;
    ThreadRecord* record = takeRecord();
    if (!record) return PEL_E_CREATE;
    *record = {entry, user};
    auto* thread = new (std::nothrow) PEL_THREAD;
    if (!thread) {
        giveBack(record);
        return PEL_E_CREATE;
    }
    const bool known = priorityIndex >= 0 && priorityIndex <= 5;
    thread->thread.setPriority(known ? kSystemPriority[priorityIndex] : 0);
    if (!thread->thread.start(startRoutine, record)) {
        giveBack(record);
        delete thread;
        return PEL_E_CREATE;
    }
    if (handle) {
        *handle = thread;
    } else {
        delete thread;  // detaches
    }
    return PEL_OK;
}

bool pelThreadJoin(PEL_THREAD* thread, uint32_t* exitCode) { return thread->thread.join(exitCode); }

void pelThreadClose(PEL_THREAD* thread) { delete thread; }

int32_t pelThreadGetPriority(const PEL_THREAD* thread) { return thread->thread.priority(); }
