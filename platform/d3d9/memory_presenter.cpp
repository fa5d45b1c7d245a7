#include "platform/d3d9/memory_presenter.h"

namespace platform::d3d9 {

HRESULT MemoryPresenter::present(const PresentedFrame& frame) {
    if (callback_) callback_(frame);
    return D3D_OK;
}

}  // namespace platform::d3d9
