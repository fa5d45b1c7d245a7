#pragma once
// IDirectInput8: enumerates the attached game controllers and creates devices for the system
// keyboard and for a controller's instance GUID.
#include <functional>
#include <memory>

#include "platform/input/input_backend.h"
#include "platform/input/input_device.h"
#include "platform/os/com_object.h"

namespace platform::input {

class IDirectInput8 final : public os::ComObject {
public:
    explicit IDirectInput8(std::shared_ptr<InputBackend> backend);

    // GUID_SysKeyboard or a controller's instance GUID; DIERR_DEVICENOTREG when no such
    // device is attached.
    HRESULT CreateDevice(const GUID& guid, IDirectInputDevice8** device);
    // Lists the attached game controllers (DI8DEVCLASS_GAMECTRL; every device here is
    // attached) until the callback returns DIENUM_STOP.
    HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, void* context,
                        DWORD flags);

private:
    std::shared_ptr<InputBackend> backend_;
};

// The DirectInput object as the runtime creates it, at version 0x0800: over SDL2, or without
// devices when the run is headless or SDL has no joystick support. A test override decides
// instead when one is set; its null result means that DirectInput is missing.
HRESULT DirectInput8Create(DWORD version, IDirectInput8** directInput);

// Tests replace what DirectInput8Create returns; an empty function restores the normal object.
void setDirectInput8CreateOverride(std::function<IDirectInput8*(DWORD version)> override);

}  // namespace platform::input
