#pragma once
// Where Present sends the back buffer: a window, or memory for tests and frame captures.
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"

namespace platform::d3d9 {

// One presented frame: 32-bit ARGB pixels (alpha meaningless for X8R8G8B8), valid only during
// the call.
struct PresentedFrame {
    UINT width;
    UINT height;
    UINT pitch;  // bytes between rows
    const std::uint32_t* pixels;
    UINT interval;  // the device's presentation interval (D3DPRESENT_INTERVAL_...)
};

class Presenter {
public:
    virtual ~Presenter() = default;
    // D3D_OK, or a failure that Present passes on to its caller.
    virtual HRESULT present(const PresentedFrame& frame) = 0;
};

}  // namespace platform::d3d9
