#pragma once
// The client size of the device's window, which the window platform knows. The device asks
// through an installable query so that it does not depend on the window module; without one
// (or when it fails, as for a minimised window) the size is 1 x 1.
#include <cstdint>
#include <functional>

#include "platform/d3d9/d3d9_types.h"

using L3DClientSizeQuery =
    std::function<bool(platform::d3d9::HWND window, uint32_t& width, uint32_t& height)>;

void l3dSetClientSizeQuery(L3DClientSizeQuery query);
// The window's client width and height, each at least 1.
void l3dGetClientSize(platform::d3d9::HWND window, uint32_t& width, uint32_t& height);
