#pragma once
// An input device: one keyboard or one game pad whose keys, buttons, half-axes or hat
// directions play up to 16 logical buttons, each read as a value from 0 to 1 per poll.
#include <cstdint>

#include "framework/input/controller.h"
#include "framework/input/input_settings.h"
#include "platform/input/input_device.h"

// What a logical button of a pad reads.
enum : uint32_t {
    PEL_INPUT_KIND_NONE = 0,
    PEL_INPUT_KIND_BUTTON = 1,
    PEL_INPUT_KIND_HALF_AXIS = 2,
    PEL_INPUT_KIND_HAT = 3,
};
// Button flags.
inline constexpr uint32_t PEL_INPUT_FLAG_UNASSIGNED = 1;
inline constexpr uint32_t PEL_INPUT_FLAG_ANALOG = 2;  // keeps its analog value

struct PEL_INPUT_BUTTON_MAP {
    uint32_t kind;
    uint32_t index;  // button 0-31, half-axis 0-11 (code - 1), hat direction 0-15 (code - 13)
    uint32_t flags;
};

struct PEL_AXIS_CALIBRATION {
    float centre;
    float halfRange;  // 0 when the range could not be read: the half-axis never presses
};

struct PEL_INPUT_DEVICE {
    uint32_t type;         // the input layout, from the settings
    uint32_t buttonCount;  // 1 + the highest logical button with a code
    float values[PEL_INPUT_BUTTONS];
    platform::input::IDirectInputDevice8* keyboard;
    uint32_t keyCodes[PEL_INPUT_BUTTONS];
    platform::input::IDirectInputDevice8* pad;
    PEL_AXIS_CALIBRATION axes[12];  // one per half-axis, in the order of codes 1 to 12
    PEL_INPUT_BUTTON_MAP buttons[PEL_INPUT_BUTTONS];
};

// The keyboard for a window; null when the window, the settings or DirectInput is missing, or
// when the keyboard cannot be created (reported at level 3).
PEL_INPUT_DEVICE* pelInputCreateKeyboard(const PEL_INPUT_SETTINGS* settings, void* window);
// The pad of slot 0 to 3; null when the window or the settings are missing, the slot is out of
// range or has no pad, DirectInput is missing, or the pad cannot be created (reported).
PEL_INPUT_DEVICE* pelInputCreatePad(void* window, const PEL_INPUT_SETTINGS* settings,
                                    uint32_t slot);
// Releases the device's DirectInput devices and frees the record.
void pelInputDestroy(PEL_INPUT_DEVICE* device);
// Reads the device and sets every logical button's value; a device that cannot be read this
// frame reads all zero.
void pelInputPoll(PEL_INPUT_DEVICE* device);
// The button map flags of a pad's logical button; 0 for a keyboard.
uint32_t pelInputGetButtonFlags(const PEL_INPUT_DEVICE* device, uint32_t index);
float pelInputGetValue(const PEL_INPUT_DEVICE* device, uint32_t index);

// The device as a controller source: polled at the start of each update, with its button
// count, flags and values.
PEL_CONTROLLER_SOURCE pelInputControllerSource(PEL_INPUT_DEVICE* device);
