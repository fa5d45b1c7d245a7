#include "engine/system/controller_input.h"

#include <algorithm>

#include "framework/input/controller.h"
#include "framework/input/input_device.h"

void ControllerInput::refresh() {
    if (PEL_CONTROLLER* controller = *slot_) {
        pelControllerUpdate(controller);
        const PEL_CONTROLLER_SOURCE& source = controller->source;
        const uint32_t count = std::min(controller->buttonCount, kControllerButtons);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t flags = controller->flags[i];
            const bool analogButton =
                source.buttonFlags && (source.buttonFlags(source.user, i) & PEL_INPUT_FLAG_ANALOG);
            pressed[i] = (flags & PEL_CONTROLLER_PRESSED) != 0;
            held[i] = (flags & PEL_CONTROLLER_HELD) != 0;
            third[i] = (flags & (analogButton ? PEL_CONTROLLER_QUICK_TILT
                                              : PEL_CONTROLLER_DOUBLE_PRESS)) != 0;
            analog[i] = controller->values[i];
        }
    }
    record();
}
