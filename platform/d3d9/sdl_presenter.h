#pragma once
// Presents frames into an SDL2 window. Presentation intervals ONE and DEFAULT wait for the
// virtual 60 Hz vertical blank first; IMMEDIATE shows the frame at once.
#include "platform/d3d9/presenter.h"

namespace platform::window {
class SdlWindow;
}

namespace platform::d3d9 {

class SdlPresenter final : public Presenter {
public:
    // The window must outlive the presenter.
    explicit SdlPresenter(platform::window::SdlWindow& window) : window_(window) {}
    HRESULT present(const PresentedFrame& frame) override;

private:
    platform::window::SdlWindow& window_;
};

}  // namespace platform::d3d9
