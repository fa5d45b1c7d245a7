#include "framework/core/jobs.h"

#include <cstdlib>
#include <memory>
#include <semaphore>

#include "framework/core/list.h"
#include "framework/core/mempool.h"
#include "framework/core/report.h"

namespace {

struct ProcessorRecord {
    uint32_t index;
    uint8_t stop;
    void* worker;  // no worker thread is ever started
};

struct JobRecord {
    PEL_LIST_LINK link;
    void (*function)(void* user);
    void* user;
};

struct JobSystem {
    bool running = false;
    bool singleProcessor = false;
    uint32_t processorCount = 0;
    ProcessorRecord* processors = nullptr;
    std::unique_ptr<std::counting_semaphore<2147483647>> posted;
    std::unique_ptr<std::binary_semaphore> signal;
    PEL_MEMPOOL jobPool;
    PEL_LIST freeJobs;
};
JobSystem jobs;

}  // namespace

void pelJobsStart(uint32_t processorCount) {
    if (jobs.running) return;
    jobs.processorCount = processorCount;
    jobs.singleProcessor = processorCount < 2;
    pelMempoolInit(&jobs.jobPool, 128, sizeof(JobRecord), PEL_MEMPOOL_GROWABLE);
    pelListInit(&jobs.freeJobs, offsetof(JobRecord, link), nullptr, nullptr);
    jobs.posted = std::make_unique<std::counting_semaphore<2147483647>>(0);
    jobs.signal = std::make_unique<std::binary_semaphore>(0);
    jobs.processors = pelCheckAlloc(
        static_cast<ProcessorRecord*>(std::calloc(processorCount, sizeof(ProcessorRecord))));
    for (uint32_t i = 0; jobs.processors && i < processorCount; ++i)
        jobs.processors[i] = {i, 0, nullptr};
    jobs.running = true;
}

void pelJobsStop() {
    if (!jobs.running) return;
    jobs.running = false;
    std::free(jobs.processors);
    jobs.processors = nullptr;
    jobs.posted.reset();
    jobs.signal.reset();
    pelListClear(&jobs.freeJobs);
    pelMempoolDestroy(&jobs.jobPool);
}

bool pelJobsRunning() { return jobs.running; }

uint32_t pelJobsProcessorCount() { return jobs.running ? jobs.processorCount : 0; }
