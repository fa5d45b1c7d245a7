#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/status.h"

// A started framework thread, for callers that keep it (to wait for it).
struct PEL_THREAD;

using PEL_THREAD_ENTRY = uint32_t (*)(void* user);

// Priority indices: 0 highest, 1 above normal, 2 normal, 3 below normal, 4 lowest, 5 time
// critical. They are recorded, not applied: an unprivileged process cannot raise priorities.
// The stack size is a wish; the thread gets at least the system's default stack.
// With `handle` the caller receives the thread and must pass it to pelThreadClose (after
// pelThreadJoin when it waits for it); without one it runs on unwatched.
PEL_STATUS pelThreadCreate(PEL_THREAD** handle, PEL_THREAD_ENTRY entry, void* user,
                           int32_t priorityIndex, size_t stackSize);
// Waits for the thread to end; false when it was not running.
bool pelThreadJoin(PEL_THREAD* thread, uint32_t* exitCode);
// Releases the handle; a thread still running goes on unwatched.
void pelThreadClose(PEL_THREAD* thread);
// The system priority recorded for the thread (2 highest ... -2 lowest, 15 time critical).
int32_t pelThreadGetPriority(const PEL_THREAD* thread);

// Free records of the thread-record pool (for tests).
uint32_t pelThreadGetFreeRecordCount();

// The thread-record pool, started and stopped by the core module.
void pelThreadStartPool();
void pelThreadStopPool();
