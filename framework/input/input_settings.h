#pragma once
#include <cstdint>

#include "platform/input/dinput8_types.h"

inline constexpr uint32_t PEL_INPUT_BUTTONS = 16;
inline constexpr uint32_t PEL_INPUT_PAD_SLOTS = 4;

// The saved controller settings, 169 32-bit words; the controller settings page fills them.
struct PEL_INPUT_SETTINGS {
    uint32_t keyboardType;                   // input layout of the keyboard
    uint32_t keyCodes[PEL_INPUT_BUTTONS];    // DirectInput key codes; 0 = not assigned
    uint32_t padFlags[PEL_INPUT_PAD_SLOTS];  // bit 0: a pad plays that slot
    platform::input::GUID padInstances[PEL_INPUT_PAD_SLOTS];
    uint32_t padTypes[PEL_INPUT_PAD_SLOTS];                       // input layout of each slot
    uint32_t padButtons[PEL_INPUT_PAD_SLOTS][PEL_INPUT_BUTTONS];  // button codes, below
    uint32_t padAnalog[PEL_INPUT_PAD_SLOTS][PEL_INPUT_BUTTONS];   // bit 0: keeps its analog value
};
static_assert(sizeof(PEL_INPUT_SETTINGS) == 169 * 4);

// Pad button codes: 0 not assigned; 1 to 12 half-axes (X-, X+, Y-, Y+, Z-, Z+, Rx-, Rx+, Ry-,
// Ry+, Rz-, Rz+); 13 to 28 hat directions (4 x hat + direction: up, down, left, right); 29 to 60
// buttons 0 to 31.
inline constexpr uint32_t PEL_INPUT_CODE_HALF_AXIS = 1;
inline constexpr uint32_t PEL_INPUT_CODE_HAT = 13;
inline constexpr uint32_t PEL_INPUT_CODE_BUTTON = 29;
inline constexpr uint32_t PEL_INPUT_CODE_LAST = 60;
