#pragma once
// What the DirectInput object is built over: the attached keyboard and game pads of one
// backend (SDL2, none for headless runs, or scripted fakes in tests). The DirectInput object
// and its devices add the interface's rules (data formats, cooperative levels, acquisition,
// properties) on top, the same for every backend.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/input/dinput8_types.h"

namespace platform::input {

// The objects of a pad: which of the axes X, Y, Z, Rx, Ry, Rz it has (bit 0 X to bit 5 Rz),
// its hats (0 to 4) and its buttons (0 to 32).
struct PadShape {
    BYTE axisMask = 0;
    BYTE hats = 0;
    BYTE buttons = 0;

    bool hasAxis(int axis) const { return (axisMask >> axis) & 1; }
    DWORD axisCount() const;
};

struct PadDescription {
    GUID instance{};
    GUID product{};
    std::u16string productName;
    std::u16string instanceName;
    bool gamepad = false;  // DI8DEVTYPE_GAMEPAD rather than DI8DEVTYPE_JOYSTICK
    PadShape shape;
};

class KeyboardSource {
public:
    virtual ~KeyboardSource() = default;
    // Fills the state by DirectInput key code: 0x80 for a key that is down, else 0.
    virtual void read(std::array<BYTE, kKeyboardStateSize>& keys) = 0;
};

class PadSource {
public:
    virtual ~PadSource() = default;
    // Brings the pad's values up to date.
    virtual void poll() = 0;
    // Fills the objects the pad has; the caller has set every field to its rest value (axes 0,
    // hats centred, buttons up).
    virtual void read(DIJOYSTATE& state) = 0;
    // Whether the range property can be read.
    virtual bool answersRange() const { return true; }
};

class InputBackend {
public:
    virtual ~InputBackend() = default;
    virtual std::vector<PadDescription> attachedPads() = 0;
    // Null when the backend has no keyboard.
    virtual std::unique_ptr<KeyboardSource> openKeyboard() = 0;
    // Opens the attached pad with that instance GUID and describes it; null when none is.
    virtual std::unique_ptr<PadSource> openPad(const GUID& instance,
                                               PadDescription& description) = 0;
    // Whether the window (a window handle of the platform) has the keyboard focus.
    virtual bool hasKeyboardFocus(HWND window) = 0;
};

// A backend without devices, for headless runs.
std::shared_ptr<InputBackend> headlessInputBackend();

}  // namespace platform::input
