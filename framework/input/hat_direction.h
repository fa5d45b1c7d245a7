#pragma once
// Directions of a pad's hat (point-of-view) value, in hundredths of a degree.
#include <cstdint>

#include "platform/input/dinput8_types.h"

// Whether the hat rests in its centre (low word 0xFFFF).
bool pelInputHatCentred(platform::input::DWORD pov);
// Whether the hat points in `direction` (0 up, 1 down, 2 left, 3 right). The ranges are
// inclusive, up wraps around 0, and neighbours overlap so that a diagonal points two ways.
bool pelInputHatPoints(platform::input::DWORD pov, uint32_t direction);
