#pragma once
// The process priority class the game asks for, in Windows' values (0x80: high). It is
// recorded, not applied: raising a process's priority needs a privilege games do not have here.
#include <cstdint>

namespace platform::os {

inline constexpr uint32_t kHighPriorityClass = 0x80;
inline constexpr uint32_t kNormalPriorityClass = 0x20;

void setProcessPriorityClass(uint32_t priorityClass);
// kNormalPriorityClass until set.
uint32_t processPriorityClass();

}  // namespace platform::os
