#pragma once
// The present parameters of a windowed software device as the tools, tests and benchmarks
// create it: zero-initialised, discard swap effect, D24X8 depth buffer when asked.
#include "platform/d3d9/device.h"

namespace d3d9shot {

struct WindowedSetup {
    unsigned width = 0;
    unsigned height = 0;
    platform::d3d9::D3DFORMAT format = platform::d3d9::D3DFMT_X8R8G8B8;
    bool depthBuffer = true;
    platform::d3d9::UINT interval = platform::d3d9::D3DPRESENT_INTERVAL_IMMEDIATE;
};

platform::d3d9::D3DPRESENT_PARAMETERS windowedParameters(const WindowedSetup& setup);

}  // namespace d3d9shot
