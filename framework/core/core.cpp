#include "framework/core/core.h"

#include <cstdlib>
#include <ctime>

#include "framework/core/hash.h"
#include "framework/core/jobs.h"
#include "framework/core/report.h"
#include "framework/core/thread.h"
#include "platform/os/processor_count.h"

namespace {

struct CoreState {
    bool initialised = false;
    uint32_t processorCount = 1;
    uint32_t processorFeatures = 0;
    void (*fileSystemStart)() = nullptr;
    void (*fileSystemStop)() = nullptr;
    void (*spatialPoolsStart)() = nullptr;
    void (*spatialPoolsStop)() = nullptr;
};
CoreState core;

}  // namespace

void pelInitialize() {
    if (core.initialised) return;
    core.initialised = true;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // No locale is set: the formatter does its own CP932 conversions.
    pelReportSetSink(nullptr);
    pelReportSetExitHook(nullptr);
    core.processorCount = platform::os::processorCount();
    // The build targets x86-64, where SSE2 is always present.
    core.processorFeatures = PEL_PROCESSOR_SSE2;
    pelThreadStartPool();
    // The main thread is not pinned to a processor: later threads would inherit the mask.
    pelHashStartNodePool();
    if (core.spatialPoolsStart) core.spatialPoolsStart();
    if (core.fileSystemStart) core.fileSystemStart();
    pelJobsStart(core.processorCount);
    // One registration serves every later start as well.
    static bool registered = false;
    if (!registered) {
        registered = std::atexit(pelFinalize) == 0;
        if (!registered) pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized.");
    }
}

void pelFinalize() {
    if (!core.initialised) return;
    core.initialised = false;
    pelJobsStop();
    if (core.fileSystemStop) core.fileSystemStop();
    if (core.spatialPoolsStop) core.spatialPoolsStop();
    pelHashStopNodePool();
    pelThreadStopPool();
}

uint32_t pelGetProcessorCount() { return core.processorCount; }

uint32_t pelGetProcessorFeatures() { return core.processorFeatures; }

void pelCoreSetFileSystem(void (*start)(), void (*stop)()) {
    core.fileSystemStart = start;
    core.fileSystemStop = stop;
}

void pelCoreSetSpatialPools(void (*start)(), void (*stop)()) {
    core.spatialPoolsStart = start;
    core.spatialPoolsStop = stop;
}
