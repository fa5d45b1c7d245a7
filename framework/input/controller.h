#pragma once
// The virtual controller: reads any source of button values once a frame and derives press and
// release edges with hysteresis (press at 0.5, release below 0.4), a held state, double presses
// and quick tilts.
#include <cstdint>

// Five words through which a controller reads its buttons; every callback gets the user
// pointer.
struct PEL_CONTROLLER_SOURCE {
    void* user;
    void (*beginFrame)(void* user);       // at the start of every update
    uint32_t (*buttonCount)(void* user);  // once, when the controller is created
    // Not used by the controller: readers ask whether a button is analog (flag 2).
    uint32_t (*buttonFlags)(void* user, uint32_t index);
    float (*value)(void* user, uint32_t index);  // 0 to 1
};

struct PEL_CONTROLLER_PARAMETERS {
    const PEL_CONTROLLER_SOURCE* source;
    uint32_t doublePressWindow;  // frames; 0 turns double presses off
    uint32_t quickTiltWindow;    // frames; 0 turns quick tilts off
};

// Flags of a button; only HELD lasts from one update to the next.
inline constexpr uint32_t PEL_CONTROLLER_PRESSED = 0x01;
inline constexpr uint32_t PEL_CONTROLLER_RELEASED = 0x02;
inline constexpr uint32_t PEL_CONTROLLER_HELD = 0x04;
inline constexpr uint32_t PEL_CONTROLLER_DOUBLE_PRESS = 0x08;
inline constexpr uint32_t PEL_CONTROLLER_QUICK_TILT = 0x10;

struct PEL_CONTROLLER {
    PEL_CONTROLLER_SOURCE source;
    uint32_t doublePressWindow;
    uint32_t quickTiltWindow;
    uint32_t buttonCount;
    float* values;
    uint32_t* flags;
    uint32_t* doublePressCounters;  // frames since the last press
    uint32_t* quickTiltCounters;    // frames spent between rest and full travel
};

// Asks the source for its button count and allocates the record and its arrays, zeroed (so a
// press within the double-press window of the first frames is a double press).
PEL_CONTROLLER* pelControllerCreate(const PEL_CONTROLLER_PARAMETERS* parameters);
// Frees the four arrays and the record.
void pelControllerDestroy(PEL_CONTROLLER* controller);
// Once per frame, before the flags and values are read.
void pelControllerUpdate(PEL_CONTROLLER* controller);
