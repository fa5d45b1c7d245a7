#pragma once
// The input backend over SDL2: the keyboard through the key table, joysticks and game
// controllers as DirectInput game controllers.
//
// A controller's instance GUID is SDL's joystick GUID with its last four bytes replaced by the
// controller's ordinal among the attached ones with the same SDL GUID, so identical pads stay
// apart (and keep their GUIDs while the plugging order stays). Controllers that SDL knows as
// game controllers take one fixed shape: left stick X/Y, right stick Rx/Ry, both triggers on Z
// (left toward +, right toward -, centre at rest), the directional pad as hat 0, and buttons
// south, east, west, north, left and right shoulder, back, start, left and right stick as
// buttons 0 to 9. Other joysticks keep SDL's order (axes 0 to 5, hats 0 to 3, buttons 0 to
// 31); an axis that rests at an end of its range (a trigger) reads its rest as the centre and
// its full travel as the positive end.
#include <memory>

#include "platform/input/input_backend.h"

struct SDL_Window;

namespace platform::input {

// Holds SDL's joystick and game-controller subsystems while it lives; null when they cannot
// start. The last user of SDL also shuts SDL down.
std::shared_ptr<InputBackend> openSdlInputBackend();

// Which SDL window a window handle stands for; the window layer installs it. Without one, a
// window counts as focused while any window of the process has the keyboard focus.
using SdlWindowLookup = SDL_Window* (*)(HWND window);
void setSdlWindowLookup(SdlWindowLookup lookup);

}  // namespace platform::input
