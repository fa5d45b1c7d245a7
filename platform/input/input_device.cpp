#include "platform/input/input_device.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/input/key_table.h"

namespace platform::input {
namespace {

const GUID* const kAxisGuids[6] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,
                                   &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};

// Offsets of the objects in DIJOYSTATE.
constexpr DWORD kPovOffset = offsetof(DIJOYSTATE, rgdwPOV);
constexpr DWORD kButtonOffset = offsetof(DIJOYSTATE, rgbButtons);

// Whether an object of `type` passes an enumeration filter.
bool passes(DWORD filter, DWORD type) { return filter == DIDFT_ALL || (filter & type) != 0; }

DIJOYSTATE restState() {
    DIJOYSTATE state{};
    std::fill(std::begin(state.rgdwPOV), std::end(state.rgdwPOV), kPovCentred);
    return state;
}

}  // namespace

IDirectInputDevice8::IDirectInputDevice8(std::shared_ptr<InputBackend> backend,
                                         std::unique_ptr<KeyboardSource> keyboard)
    : backend_(std::move(backend)), keyboard_(std::move(keyboard)) {}

IDirectInputDevice8::IDirectInputDevice8(std::shared_ptr<InputBackend> backend,
                                         std::unique_ptr<PadSource> pad, PadDescription description)
    : backend_(std::move(backend)), pad_(std::move(pad)), description_(std::move(description)) {}

const DIDATAFORMAT& IDirectInputDevice8::nativeFormat() const {
    return isKeyboard() ? c_dfDIKeyboard : c_dfDIJoystick;
}

bool IDirectInputDevice8::hasFocus() const {
    return !(cooperativeLevel_ & DISCL_FOREGROUND) || backend_->hasKeyboardFocus(window_);
}

HRESULT IDirectInputDevice8::SetDataFormat(const DIDATAFORMAT* format) {
    if (acquired_) return DIERR_ACQUIRED;
    if (format != &nativeFormat()) return DIERR_INVALIDPARAM;
    format_ = format;
    return DI_OK;
}

HRESULT IDirectInputDevice8::SetCooperativeLevel(HWND window, DWORD flags) {
    if (acquired_) return DIERR_ACQUIRED;
    const DWORD use = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if (use == 0 || use == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || focus == 0 ||
        focus == (DISCL_FOREGROUND | DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    if ((flags & DISCL_FOREGROUND) && !window) return DIERR_INVALIDPARAM;
    window_ = window;
    cooperativeLevel_ = flags;
    return DI_OK;
}

HRESULT IDirectInputDevice8::Acquire() {
    if (!format_) return DIERR_INVALIDPARAM;
    if (!hasFocus()) return DIERR_OTHERAPPHASPRIO;
    if (acquired_) return DI_NOEFFECT;
    acquired_ = true;
    return DI_OK;
}

HRESULT IDirectInputDevice8::Unacquire() {
    if (!acquired_) return DI_NOEFFECT;
    acquired_ = false;
    return DI_OK;
}

HRESULT IDirectInputDevice8::Poll() {
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (isKeyboard()) return DI_NOEFFECT;  // the keyboard is not a polled device
    pad_->poll();
    return DI_OK;
}

HRESULT IDirectInputDevice8::GetDeviceState(DWORD size, void* data) {
    if (!data || size != nativeFormat().dwDataSize) return DIERR_INVALIDPARAM;
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (!hasFocus()) {
        acquired_ = false;
        return DIERR_INPUTLOST;
    }
    if (isKeyboard()) {
        std::array<BYTE, kKeyboardStateSize> keys{};
        keyboard_->read(keys);
        // Only codes that are keys of the keyboard can be down.
        for (DWORD code = 0; code < kKeyboardStateSize; ++code)
            if (sdlScancodeOfKey(code) == 0) keys[code] = 0;
        std::memcpy(data, keys.data(), keys.size());
    } else {
        DIJOYSTATE state = restState();
        pad_->read(state);
        std::memcpy(data, &state, sizeof state);
    }
    return DI_OK;
}

HRESULT IDirectInputDevice8::GetCapabilities(DIDEVCAPS* caps) const {
    if (!caps || caps->dwSize != sizeof(DIDEVCAPS)) return DIERR_INVALIDPARAM;
    *caps = DIDEVCAPS{};
    caps->dwSize = sizeof(DIDEVCAPS);
    caps->dwFlags = DIDC_ATTACHED;
    if (isKeyboard()) {
        caps->dwDevType = DI8DEVTYPE_KEYBOARD;
        for (DWORD code = 1; code < kKeyboardStateSize; ++code)
            if (sdlScancodeOfKey(code) != 0) ++caps->dwButtons;
    } else {
        caps->dwDevType = description_.gamepad ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK;
        caps->dwAxes = description_.shape.axisCount();
        caps->dwPOVs = description_.shape.hats;
        caps->dwButtons = description_.shape.buttons;
    }
    return DI_OK;
}

HRESULT IDirectInputDevice8::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, void* context,
                                         DWORD flags) const {
    if (!callback) return DIERR_INVALIDPARAM;
    // Reports one object; false once the callback asked to stop.
    auto report = [&](const GUID& kind, DWORD offset, DWORD type) {
        if (!passes(flags, type)) return true;
        const DIDEVICEOBJECTINSTANCEW object{sizeof(DIDEVICEOBJECTINSTANCEW), kind, offset, type,
                                             0};
        return callback(&object, context) != DIENUM_STOP;
    };
    if (isKeyboard()) {
        for (DWORD code = 1; code < kKeyboardStateSize; ++code)
            if (sdlScancodeOfKey(code) != 0 &&
                !report(GUID_Key, code, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(code)))
                return DI_OK;
        return DI_OK;
    }
    const PadShape& shape = description_.shape;
    DWORD instance = 0;
    for (int axis = 0; axis < 6; ++axis)
        if (shape.hasAxis(axis) && !report(*kAxisGuids[axis], axis * sizeof(LONG),
                                           DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(instance++)))
            return DI_OK;
    for (DWORD hat = 0; hat < shape.hats; ++hat)
        if (!report(GUID_POV, kPovOffset + hat * sizeof(DWORD),
                    DIDFT_POV | DIDFT_MAKEINSTANCE(hat)))
            return DI_OK;
    for (DWORD button = 0; button < shape.buttons; ++button)
        if (!report(GUID_Button, kButtonOffset + button,
                    DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(button)))
            return DI_OK;
    return DI_OK;
}

HRESULT IDirectInputDevice8::GetProperty(DWORD property, DIPROPHEADER* header) const {
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    if (property == DIPROP_RANGE) {
        if (isKeyboard()) return DIERR_UNSUPPORTED;
        if (header->dwSize != sizeof(DIPROPRANGE) || header->dwHow != DIPH_BYOFFSET)
            return DIERR_INVALIDPARAM;
        const DWORD offset = header->dwObj;
        if (offset % sizeof(LONG) != 0 || offset / sizeof(LONG) >= 6 ||
            !description_.shape.hasAxis(static_cast<int>(offset / sizeof(LONG))))
            return DIERR_OBJECTNOTFOUND;
        if (!pad_->answersRange()) return DIERR_UNSUPPORTED;
        auto* range = reinterpret_cast<DIPROPRANGE*>(header);
        range->lMin = -32768;
        range->lMax = 32767;
        return DI_OK;
    }
    if (property == DIPROP_KEYNAME) {
        if (!isKeyboard()) return DIERR_UNSUPPORTED;
        if (header->dwSize != sizeof(DIPROPSTRING) || header->dwHow != DIPH_BYOFFSET)
            return DIERR_INVALIDPARAM;
        const std::u16string name = keyName(header->dwObj);
        if (name.empty()) return DIERR_OBJECTNOTFOUND;
        auto* text = reinterpret_cast<DIPROPSTRING*>(header);
        const size_t length = std::min<size_t>(name.size(), MAX_PATH - 1);
        std::copy_n(name.begin(), length, text->wsz);
        text->wsz[length] = u'\0';
        return DI_OK;
    }
    return DIERR_UNSUPPORTED;
}

}  // namespace platform::input
