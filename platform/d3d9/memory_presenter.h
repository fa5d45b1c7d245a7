#pragma once
// Hands every presented frame to a callback and never waits for a vertical blank.
#include <functional>

#include "platform/d3d9/presenter.h"

namespace platform::d3d9 {

class MemoryPresenter final : public Presenter {
public:
    using Callback = std::function<void(const PresentedFrame&)>;

    explicit MemoryPresenter(Callback callback = {}) : callback_(std::move(callback)) {}
    HRESULT present(const PresentedFrame& frame) override;

private:
    Callback callback_;
};

}  // namespace platform::d3d9
