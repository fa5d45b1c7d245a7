#pragma once
// IDirectInputDevice8 for the system keyboard or one game controller: the data format, the
// cooperative level, acquisition, the device state, capabilities, objects and properties.
#include <memory>

#include "platform/input/input_backend.h"
#include "platform/os/com_object.h"

namespace platform::input {

class IDirectInputDevice8 final : public os::ComObject {
public:
    IDirectInputDevice8(std::shared_ptr<InputBackend> backend,
                        std::unique_ptr<KeyboardSource> keyboard);
    IDirectInputDevice8(std::shared_ptr<InputBackend> backend, std::unique_ptr<PadSource> pad,
                        PadDescription description);

    // c_dfDIKeyboard for the keyboard, c_dfDIJoystick for a controller.
    HRESULT SetDataFormat(const DIDATAFORMAT* format);
    // One of DISCL_EXCLUSIVE and DISCL_NONEXCLUSIVE with one of DISCL_FOREGROUND and
    // DISCL_BACKGROUND. A foreground device reads only while its window has the keyboard
    // focus; exclusive use is recorded and has no further effect.
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT Acquire();
    HRESULT Unacquire();
    HRESULT Poll();
    // The whole state in the device's data format (`size` must be its size). A foreground
    // device whose window lost the focus is unacquired and reports DIERR_INPUTLOST.
    HRESULT GetDeviceState(DWORD size, void* data);
    HRESULT GetCapabilities(DIDEVCAPS* caps) const;
    // Keys, or a controller's axes, hats and buttons, filtered by DIDFT_AXIS, DIDFT_BUTTON,
    // DIDFT_POV (DIDFT_ALL: every object).
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, void* context, DWORD flags) const;
    // DIPROP_RANGE of a controller's axis (DIPROPRANGE, by offset in DIJOYSTATE): always
    // -32768 to 32767. DIPROP_KEYNAME of a key (DIPROPSTRING, by key code): the key's name,
    // DIERR_OBJECTNOTFOUND when it has none.
    HRESULT GetProperty(DWORD property, DIPROPHEADER* header) const;

    DWORD cooperativeLevel() const { return cooperativeLevel_; }

private:
    bool isKeyboard() const { return keyboard_ != nullptr; }
    const DIDATAFORMAT& nativeFormat() const;
    bool hasFocus() const;

    std::shared_ptr<InputBackend> backend_;
    std::unique_ptr<KeyboardSource> keyboard_;
    std::unique_ptr<PadSource> pad_;
    PadDescription description_;
    const DIDATAFORMAT* format_ = nullptr;
    HWND window_ = nullptr;
    DWORD cooperativeLevel_ = 0;
    bool acquired_ = false;
};

}  // namespace platform::input
