#include "framework/input/dinput8.h"

#include <cstdlib>

#include "framework/core/report.h"

using namespace platform::input;

namespace {

struct Dinput8State {
    bool started = false;
    IDirectInput8* directInput = nullptr;
};
Dinput8State dinput8;

// Sets the device up or releases it.
IDirectInputDevice8* configure(IDirectInputDevice8* device, const DIDATAFORMAT& format,
                               void* window, DWORD level) {
    if (FAILED(device->SetDataFormat(&format)) ||
        FAILED(device->SetCooperativeLevel(window, level))) {
        device->Release();
        return nullptr;
    }
    return device;
}

IDirectInputDevice8* createDevice(const GUID& guid) {
    if (!dinput8.directInput) return nullptr;
    IDirectInputDevice8* device = nullptr;
    if (FAILED(dinput8.directInput->CreateDevice(guid, &device))) return nullptr;
    return device;
}

}  // namespace

void pelDinput8Initialize() {
    if (dinput8.started) return;
    dinput8.started = true;
    if (FAILED(DirectInput8Create(DIRECTINPUT_VERSION, &dinput8.directInput)))
        dinput8.directInput = nullptr;
    static bool registered = false;
    if (!registered) {
        registered = std::atexit(pelDinput8Finalize) == 0;
        if (!registered) pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized.");
    }
}

void pelDinput8Finalize() {
    if (!dinput8.started) return;
    dinput8.started = false;
    if (dinput8.directInput) dinput8.directInput->Release();
    dinput8.directInput = nullptr;
}

IDirectInput8* pelDinput8Object() { return dinput8.directInput; }

IDirectInputDevice8* pelDinput8CreateKeyboardDevice(void* window) {
    IDirectInputDevice8* device = createDevice(GUID_SysKeyboard);
    return device ? configure(device, c_dfDIKeyboard, window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND)
                  : nullptr;
}

IDirectInputDevice8* pelDinput8CreatePadDevice(const GUID& instance, void* window) {
    IDirectInputDevice8* device = createDevice(instance);
    return device ? configure(device, c_dfDIJoystick, window, DISCL_EXCLUSIVE | DISCL_FOREGROUND)
                  : nullptr;
}

bool pelDinput8ReadState(IDirectInputDevice8* device, void* buffer, uint32_t size) {
    return device && SUCCEEDED(device->Acquire()) && SUCCEEDED(device->Poll()) &&
           SUCCEEDED(device->GetDeviceState(size, buffer));
}
