#pragma once
// The software device the drawing benchmarks measure on.
#include <cstdint>

#include "render3d/L3DDevice.h"

namespace tessera::bench {

// Starts the 3D library on a software Direct3D 9 with `threads` drawing threads (one unless
// asked: ratios compare work, not the scheduling of a shared machine) and creates `device` as
// a window device whose client area is width x height.
void createBenchDevice(L3DDevice& device, uint32_t width, uint32_t height, unsigned threads = 1);
// Releases what createBenchDevice made: the device's resources, the 3D library, Direct3D and
// the client-size query.
void releaseBenchDevice(L3DDevice& device);

}  // namespace tessera::bench
