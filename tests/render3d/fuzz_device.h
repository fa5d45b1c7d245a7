#pragma once
#include "render3d/L3DDevice.h"

namespace tessera::test {

// A windowed software device made on first use and kept for the process, with fatal reports
// neither shown nor kept.
L3DDevice& fuzzDevice();

}  // namespace tessera::test
