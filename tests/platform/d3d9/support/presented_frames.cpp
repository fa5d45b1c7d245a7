#include "tests/platform/d3d9/support/presented_frames.h"

#include <cstring>

namespace tessera::test {

Frame copyPresentedFrame(const platform::d3d9::PresentedFrame& frame) {
    Frame copy{frame.width, frame.height, {}};
    copy.argb.resize(size_t{frame.width} * frame.height);
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.pixels);
    for (uint32_t y = 0; y < frame.height; ++y)
        std::memcpy(&copy.argb[size_t{y} * frame.width], bytes + size_t{y} * frame.pitch,
                    size_t{frame.width} * 4);
    return copy;
}

std::unique_ptr<platform::d3d9::MemoryPresenter> lastFramePresenter(Frame& last) {
    return std::make_unique<platform::d3d9::MemoryPresenter>(
        [&last](const platform::d3d9::PresentedFrame& frame) { last = copyPresentedFrame(frame); });
}

}  // namespace tessera::test
