#include "platform/d3d9/sdl_presenter.h"

#include "platform/d3d9/d3d9_enums.h"
#include "platform/window/sdl_window.h"
#include "platform/window/vertical_blank.h"

namespace platform::d3d9 {

HRESULT SdlPresenter::present(const PresentedFrame& frame) {
    if (frame.interval != D3DPRESENT_INTERVAL_IMMEDIATE) platform::window::waitForVerticalBlank();
    const bool shown = window_.show(frame.pixels, static_cast<int>(frame.width),
                                    static_cast<int>(frame.height), static_cast<int>(frame.pitch));
    return shown ? D3D_OK : D3DERR_DEVICELOST;
}

}  // namespace platform::d3d9
