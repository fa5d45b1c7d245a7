#pragma once
#include <cstdint>

namespace platform::os {

// Results of waiting on a kernel object, and the time-out that never expires.
inline constexpr uint32_t kWaitObject0 = 0;
inline constexpr uint32_t kWaitTimeout = 0x102;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

}  // namespace platform::os
