#include "framework/input/input_device.h"

#include <algorithm>
#include <cstdlib>

#include "framework/core/report.h"
#include "framework/input/dinput8.h"
#include "framework/input/hat_direction.h"

using namespace platform::input;

namespace {

// A half-axis reads 0 inside the dead zone and 1 from the full mark on, linear between.
constexpr float kDeadZone = 0.2f;
constexpr float kFull = 0.9f;
constexpr float kHalfAxisScale = 1.4285715f;  // 1 / (kFull - kDeadZone)

// Hat directions (up, down, left, right) in hundredths of a degree, inclusive; neighbouring
// ranges overlap so that a diagonal presses two directions. Up wraps around 0.
uint32_t buttonCountOf(const uint32_t (&codes)[PEL_INPUT_BUTTONS]) {
    for (uint32_t i = PEL_INPUT_BUTTONS; i > 0; --i)
        if (codes[i - 1] != 0) return i;
    return 0;
}

PEL_INPUT_DEVICE* allocateDevice() {
    return pelCheckAlloc(static_cast<PEL_INPUT_DEVICE*>(std::calloc(1, sizeof(PEL_INPUT_DEVICE))));
}

PEL_INPUT_BUTTON_MAP mapCode(uint32_t code, uint32_t analogFlag) {
    const uint32_t flags = (analogFlag & 1) ? PEL_INPUT_FLAG_ANALOG : 0;
    if (code == 0) return {PEL_INPUT_KIND_NONE, 0, PEL_INPUT_FLAG_UNASSIGNED};
    if (code >= PEL_INPUT_CODE_BUTTON && code <= PEL_INPUT_CODE_LAST)
        return {PEL_INPUT_KIND_BUTTON, code - PEL_INPUT_CODE_BUTTON, flags};
    if (code >= PEL_INPUT_CODE_HAT && code < PEL_INPUT_CODE_BUTTON)
        return {PEL_INPUT_KIND_HAT, code - PEL_INPUT_CODE_HAT, flags};
    if (code < PEL_INPUT_CODE_HAT)
        return {PEL_INPUT_KIND_HALF_AXIS, code - PEL_INPUT_CODE_HALF_AXIS, flags};
    return {};  // not a code: the entry stays empty
}

// Centre and half-range of each half-axis from the axis range; both stay 0 when the range
// cannot be read.
void calibrate(PEL_INPUT_DEVICE* device) {
    for (uint32_t half = 0; half < 12; ++half) {
        DIPROPRANGE range{};
        range.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER),
                      static_cast<DWORD>(half / 2 * sizeof(LONG)), DIPH_BYOFFSET};
        if (FAILED(device->pad->GetProperty(DIPROP_RANGE, &range.diph))) continue;
        const float centre =
            static_cast<float>(static_cast<int64_t>(range.lMin) + range.lMax) * 0.5f;
        device->axes[half] = {centre, static_cast<float>(range.lMax) - centre};
    }
}

float halfAxisValue(const PEL_AXIS_CALIBRATION& axis, LONG raw, bool positive) {
    // Without a range the half-axis never presses (the division would mean nothing).
    if (!(axis.halfRange > 0.0f)) return 0.0f;
    const float v = (static_cast<float>(raw) - axis.centre) / axis.halfRange;
    return (std::clamp(positive ? v : -v, kDeadZone, kFull) - kDeadZone) * kHalfAxisScale;
}

float padValue(const PEL_INPUT_DEVICE* device, const PEL_INPUT_BUTTON_MAP& button,
               const DIJOYSTATE& state) {
    switch (button.kind) {
    case PEL_INPUT_KIND_BUTTON:
        return button.index < 32 && (state.rgbButtons[button.index] & 0x80) ? 1.0f : 0.0f;
    case PEL_INPUT_KIND_HALF_AXIS: {
        if (button.index >= 12) return 0.0f;
        const LONG axes[6] = {state.lX, state.lY, state.lZ, state.lRx, state.lRy, state.lRz};
        return halfAxisValue(device->axes[button.index], axes[button.index / 2],
                             (button.index & 1) != 0);
    }
    case PEL_INPUT_KIND_HAT:
        if (button.index >= 16) return 0.0f;
        return pelInputHatPoints(state.rgdwPOV[button.index / 4], button.index % 4) ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

}  // namespace

PEL_INPUT_DEVICE* pelInputCreateKeyboard(const PEL_INPUT_SETTINGS* settings, void* window) {
    if (!window || !settings || !pelDinput8Object()) return nullptr;
    PEL_INPUT_DEVICE* device = allocateDevice();
    if (!device) return nullptr;
    device->type = settings->keyboardType;
    device->buttonCount = buttonCountOf(settings->keyCodes);
    device->keyboard = pelDinput8CreateKeyboardDevice(window);
    if (!device->keyboard) {
        pelReportText(PEL_REPORT_INFORMATION, u"キーボードの作成に失敗しました。");
        pelInputDestroy(device);
        return nullptr;
    }
    std::copy_n(settings->keyCodes, device->buttonCount, device->keyCodes);
    pelReportText(PEL_REPORT_INFORMATION, u"キーボードの作成に成功しました。");
    return device;
}

PEL_INPUT_DEVICE* pelInputCreatePad(void* window, const PEL_INPUT_SETTINGS* settings,
                                    uint32_t slot) {
    if (!window || !settings || slot >= PEL_INPUT_PAD_SLOTS || !pelDinput8Object() ||
        !(settings->padFlags[slot] & 1))
        return nullptr;
    PEL_INPUT_DEVICE* device = allocateDevice();
    if (!device) return nullptr;
    device->type = settings->padTypes[slot];
    device->buttonCount = buttonCountOf(settings->padButtons[slot]);
    device->pad = pelDinput8CreatePadDevice(settings->padInstances[slot], window);
    if (!device->pad) {
        pelReport(PEL_REPORT_INFORMATION, u"%d番目の入力デバイスの作成に失敗しました。",
                  static_cast<int>(slot + 1));
        pelInputDestroy(device);
        return nullptr;
    }
    for (uint32_t i = 0; i < device->buttonCount; ++i)
        device->buttons[i] = mapCode(settings->padButtons[slot][i], settings->padAnalog[slot][i]);
    device->pad->Unacquire();
    calibrate(device);
    pelReport(PEL_REPORT_INFORMATION, u"%d番目の入力デバイスの作成に成功しました。",
              static_cast<int>(slot + 1));
    return device;
}

void pelInputDestroy(PEL_INPUT_DEVICE* device) {
    if (!device) return;
    if (device->keyboard) device->keyboard->Release();
    if (device->pad) device->pad->Release();
    std::free(device);
}

void pelInputPoll(PEL_INPUT_DEVICE* device) {
    std::fill(std::begin(device->values), std::end(device->values), 0.0f);
    if (device->keyboard) {
        BYTE keys[kKeyboardStateSize];
        if (pelDinput8ReadState(device->keyboard, keys, sizeof keys)) {
            for (uint32_t i = 0; i < device->buttonCount; ++i) {
                const uint32_t code = device->keyCodes[i];
                if (code < kKeyboardStateSize && (keys[code] & 0x80)) device->values[i] = 1.0f;
            }
        }
    }
    if (device->pad) {
        DIJOYSTATE state;
        if (pelDinput8ReadState(device->pad, &state, sizeof state)) {
            for (uint32_t i = 0; i < device->buttonCount; ++i) {
                const PEL_INPUT_BUTTON_MAP& button = device->buttons[i];
                float value = padValue(device, button, state);
                if (!(button.flags & PEL_INPUT_FLAG_ANALOG)) value = value > 0.5f ? 1.0f : 0.0f;
                device->values[i] = std::max(device->values[i], value);
            }
        }
    }
}

uint32_t pelInputGetButtonFlags(const PEL_INPUT_DEVICE* device, uint32_t index) {
    if (!device->pad || index >= PEL_INPUT_BUTTONS) return 0;
    return device->buttons[index].flags;
}

float pelInputGetValue(const PEL_INPUT_DEVICE* device, uint32_t index) {
    return index < PEL_INPUT_BUTTONS ? device->values[index] : 0.0f;
}

PEL_CONTROLLER_SOURCE pelInputControllerSource(PEL_INPUT_DEVICE* device) {
    return {
        device,
        [](void* user) { pelInputPoll(static_cast<PEL_INPUT_DEVICE*>(user)); },
        [](void* user) { return static_cast<PEL_INPUT_DEVICE*>(user)->buttonCount; },
        [](void* user, uint32_t index) {
            return pelInputGetButtonFlags(static_cast<PEL_INPUT_DEVICE*>(user), index);
        },
        [](void* user, uint32_t index) {
            return pelInputGetValue(static_cast<PEL_INPUT_DEVICE*>(user), index);
        },
    };
}
