#pragma once
#include <cstdint>

namespace platform::os {

// The SSE control and status word (MXCSR) of the calling thread. Simulation and drawing run
// with denormals flushed to zero (results and inputs) and rounding to nearest, so that replays,
// peers and the device's raster threads compute bit for bit alike.
uint32_t floatMode();
void setFloatMode(uint32_t mode);
// The game's mode on the calling thread: flush-to-zero and denormals-are-zero on, rounding to
// nearest; the exception masks are kept.
void setGameFloatMode();

inline constexpr uint32_t kFloatFlushToZero = 0x8000;
inline constexpr uint32_t kFloatDenormalsAreZero = 0x0040;
inline constexpr uint32_t kFloatRoundingMask = 0x6000;

}  // namespace platform::os
