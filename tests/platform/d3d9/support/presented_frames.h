#pragma once
// Frames the software device presents, kept for tests: a copy of one presented frame, and a
// memory presenter that keeps the last frame presented.
#include <memory>

#include "platform/d3d9/memory_presenter.h"
#include "tests/support/golden_image.h"

namespace tessera::test {

// The frame's pixels with the row padding left out, rows top-down.
Frame copyPresentedFrame(const platform::d3d9::PresentedFrame& frame);

// A memory presenter that copies each presented frame into `last`, which must outlive it.
std::unique_ptr<platform::d3d9::MemoryPresenter> lastFramePresenter(Frame& last);

}  // namespace tessera::test
