#pragma once
// The DirectInput 8 module: the one DirectInput object through which the keyboard and the game
// pads are opened, and the device operations the input devices and the settings page share.
#include "platform/input/direct_input8.h"

// Creates the DirectInput object (version 0x0800) once; without DirectInput the object stays
// null, which is no error. Registers pelDinput8Finalize with atexit.
void pelDinput8Initialize();
// Releases the object.
void pelDinput8Finalize();
// The DirectInput object, or null when it is missing.
platform::input::IDirectInput8* pelDinput8Object();

// The system keyboard (standard keyboard format, non-exclusive foreground use) or the pad with
// that instance GUID (standard joystick format, exclusive foreground use) for a window; null
// when DirectInput is missing or refuses any step.
platform::input::IDirectInputDevice8* pelDinput8CreateKeyboardDevice(void* window);
platform::input::IDirectInputDevice8* pelDinput8CreatePadDevice(
    const platform::input::GUID& instance, void* window);
// Acquires, polls and reads the whole device state; false when any step fails.
bool pelDinput8ReadState(platform::input::IDirectInputDevice8* device, void* buffer, uint32_t size);
