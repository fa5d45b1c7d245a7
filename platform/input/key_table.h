#pragma once
// DirectInput keyboard scan codes (DIK codes, 1 to 255) and the SDL2 scancodes of the same
// keys: every key of the Japanese 106-key layout that SDL has a scancode for.
#include <string>

#include "platform/input/dinput8_types.h"

namespace platform::input {

// The SDL_Scancode of a key code; 0 (SDL_SCANCODE_UNKNOWN) for a code without a key.
int sdlScancodeOfKey(DWORD keyCode);
// SDL's name of the key, empty when the code has no key or SDL no name.
std::u16string keyName(DWORD keyCode);

}  // namespace platform::input
