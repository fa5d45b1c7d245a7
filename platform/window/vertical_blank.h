#pragma once
// The virtual display refresh. Linux gives no portable vertical-blank signal for a window, so
// presentation intervals follow a virtual 60 Hz display whose blanks fall on whole multiples
// of 1/60 s of the process clock (platform::os::clock(), so tests can drive it).
#include <cstdint>

namespace platform::window {

constexpr std::uint64_t kVirtualRefreshHz = 60;

// The clock counter value of the first virtual blank after `counter`.
std::uint64_t nextVerticalBlank(std::uint64_t counter);

// Waits until the next virtual blank and returns its counter value.
std::uint64_t waitForVerticalBlank();

}  // namespace platform::window
