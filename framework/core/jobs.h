#pragma once
#include <cstdint>

// The job system's tables: one record per processor, a counting semaphore of posted jobs, a
// binary semaphore and a pool of job records. No worker is started and no job is posted by
// the program, so the system only exists between start-up and shutdown.
void pelJobsStart(uint32_t processorCount);
void pelJobsStop();

// Whether the job system is set up, and with how many processor records (for tests).
bool pelJobsRunning();
uint32_t pelJobsProcessorCount();
