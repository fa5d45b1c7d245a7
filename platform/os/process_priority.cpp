#include "platform/os/process_priority.h"

#include <atomic>

namespace platform::os {

namespace {

std::atomic<uint32_t> recordedClass{kNormalPriorityClass};

}  // namespace

void setProcessPriorityClass(uint32_t priorityClass) { recordedClass = priorityClass; }

uint32_t processPriorityClass() { return recordedClass; }

}  // namespace platform::os
