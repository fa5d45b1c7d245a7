#include "framework/input/controller.h"

#include <cstdlib>

#include "framework/core/report.h"

namespace {

constexpr uint32_t kCounterMax = 0xFFFFFFFF;
constexpr float kPressAt = 0.5f;
constexpr float kReleaseBelow = 0.4f;
constexpr float kRestBelow = 0.01f;
constexpr float kFullAt = 0.99f;

template <typename T>
T* allocateZeroed(uint32_t count) {
    // One element at least, so that an empty controller still gets valid arrays.
    return pelCheckAlloc(static_cast<T*>(std::calloc(count ? count : 1, sizeof(T))));
}

void countUp(uint32_t& counter) {
    if (counter != kCounterMax) ++counter;
}

}  // namespace

PEL_CONTROLLER* pelControllerCreate(const PEL_CONTROLLER_PARAMETERS* parameters) {
    auto* controller = allocateZeroed<PEL_CONTROLLER>(1);
    if (!controller) return nullptr;
    controller->source = *parameters->source;
    controller->doublePressWindow = parameters->doublePressWindow;
    controller->quickTiltWindow = parameters->quickTiltWindow;
    const uint32_t count = controller->source.buttonCount(controller->source.user);
    controller->buttonCount = count;
    controller->values = allocateZeroed<float>(count);
    controller->flags = allocateZeroed<uint32_t>(count);
    controller->doublePressCounters = allocateZeroed<uint32_t>(count);
    controller->quickTiltCounters = allocateZeroed<uint32_t>(count);
    return controller;
}

void pelControllerDestroy(PEL_CONTROLLER* controller) {
    if (!controller) return;
    std::free(controller->values);
    std::free(controller->flags);
    std::free(controller->doublePressCounters);
    std::free(controller->quickTiltCounters);
    std::free(controller);
}

void pelControllerUpdate(PEL_CONTROLLER* controller) {
    const PEL_CONTROLLER_SOURCE& source = controller->source;
    source.beginFrame(source.user);
    for (uint32_t i = 0; i < controller->buttonCount; ++i) {
        const float value = source.value(source.user, i);
        controller->values[i] = value;
        uint32_t flags = controller->flags[i] & PEL_CONTROLLER_HELD;
        if (flags & PEL_CONTROLLER_HELD) {
            if (value < kReleaseBelow) flags = PEL_CONTROLLER_RELEASED;
        } else if (value >= kPressAt) {
            flags = PEL_CONTROLLER_HELD | PEL_CONTROLLER_PRESSED;
        }

        if (const uint32_t window = controller->doublePressWindow; window != 0) {
            uint32_t& frames = controller->doublePressCounters[i];
            if (flags & PEL_CONTROLLER_PRESSED) {
                if (frames <= window) flags |= PEL_CONTROLLER_DOUBLE_PRESS;
                frames = 0;
            } else {
                countUp(frames);
            }
        }

        if (const uint32_t window = controller->quickTiltWindow; window != 0) {
            uint32_t& frames = controller->quickTiltCounters[i];
            if (value < kRestBelow) {
                frames = 0;
            } else if (value >= kFullAt) {
                // No second flag until the button has been back at rest.
                if (frames < window) {
                    flags |= PEL_CONTROLLER_QUICK_TILT;
                    frames = kCounterMax;
                }
            } else {
                countUp(frames);
            }
        }
        controller->flags[i] = flags;
    }
}
