#include "platform/input/direct_input8.h"

#include <algorithm>
#include <mutex>

#include "platform/input/sdl_input_backend.h"
#include "platform/os/headless.h"

namespace platform::input {
namespace {

std::mutex overrideMutex;
std::function<IDirectInput8*(DWORD)> createOverride;

void copyName(const std::u16string& name, char16_t (&out)[MAX_PATH]) {
    const size_t length = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::copy_n(name.begin(), length, out);
    out[length] = u'\0';
}

}  // namespace

IDirectInput8::IDirectInput8(std::shared_ptr<InputBackend> backend)
    : backend_(std::move(backend)) {}

HRESULT IDirectInput8::CreateDevice(const GUID& guid, IDirectInputDevice8** device) {
    if (!device) return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (guid == GUID_SysKeyboard) {
        std::unique_ptr<KeyboardSource> keyboard = backend_->openKeyboard();
        if (!keyboard) return DIERR_DEVICENOTREG;
        *device = new IDirectInputDevice8(backend_, std::move(keyboard));
        return DI_OK;
    }
    PadDescription description;
    std::unique_ptr<PadSource> pad = backend_->openPad(guid, description);
    if (!pad) return DIERR_DEVICENOTREG;
    *device = new IDirectInputDevice8(backend_, std::move(pad), std::move(description));
    return DI_OK;
}

HRESULT IDirectInput8::EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback,
                                   void* context, DWORD) {
    if (!callback || deviceClass != DI8DEVCLASS_GAMECTRL) return DIERR_INVALIDPARAM;
    for (const PadDescription& pad : backend_->attachedPads()) {
        DIDEVICEINSTANCEW instance{};
        instance.dwSize = sizeof instance;
        instance.guidInstance = pad.instance;
        instance.guidProduct = pad.product;
        instance.dwDevType = pad.gamepad ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK;
        copyName(pad.instanceName, instance.tszInstanceName);
        copyName(pad.productName, instance.tszProductName);
        if (callback(&instance, context) == DIENUM_STOP) break;
    }
    return DI_OK;
}

HRESULT DirectInput8Create(DWORD version, IDirectInput8** directInput) {
    if (!directInput) return DIERR_INVALIDPARAM;
    *directInput = nullptr;
    {
        std::lock_guard lock(overrideMutex);
        if (createOverride) {
            *directInput = createOverride(version);
            return *directInput ? DI_OK : DIERR_GENERIC;
        }
    }
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    std::shared_ptr<InputBackend> backend;
    if (!platform::os::headlessRun()) backend = openSdlInputBackend();
    if (!backend) backend = headlessInputBackend();
    *directInput = new IDirectInput8(std::move(backend));
    return DI_OK;
}

void setDirectInput8CreateOverride(std::function<IDirectInput8*(DWORD)> override) {
    std::lock_guard lock(overrideMutex);
    createOverride = std::move(override);
}

}  // namespace platform::input
