#include "platform/input/sdl_input_backend.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/input/key_table.h"
#include "platform/os/utf8.h"

namespace platform::input {
namespace {

constexpr Uint32 kSubsystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;
constexpr int kMaxAxes = 6;
constexpr int kMaxHats = 4;
constexpr int kMaxButtons = 32;

std::atomic<SdlWindowLookup> windowLookup{nullptr};

// SDL hat bits (up 1, right 2, down 4, left 8) as hundredths of a degree clockwise from up.
DWORD povOfHat(Uint8 bits) {
    switch (bits) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kPovCentred;
    }
}

LONG clampAxis(int value) { return std::clamp(value, -32768, 32767); }

class SdlKeyboard final : public KeyboardSource {
public:
    void read(std::array<BYTE, kKeyboardStateSize>& keys) override {
        int count = 0;
        const Uint8* state = SDL_GetKeyboardState(&count);
        for (DWORD code = 1; code < kKeyboardStateSize; ++code) {
            const int scancode = sdlScancodeOfKey(code);
            if (scancode != 0 && scancode < count && state[scancode]) keys[code] = 0x80;
        }
    }
};

class SdlJoystickPad final : public PadSource {
public:
    explicit SdlJoystickPad(SDL_Joystick* joystick) : joystick_(joystick) {}
    ~SdlJoystickPad() override { SDL_JoystickClose(joystick_); }

    void poll() override { SDL_JoystickUpdate(); }
    void read(DIJOYSTATE& state) override {
        LONG* axes[kMaxAxes] = {&state.lX,  &state.lY,  &state.lZ,
                                &state.lRx, &state.lRy, &state.lRz};
        const int axisCount = std::min(SDL_JoystickNumAxes(joystick_), kMaxAxes);
        for (int i = 0; i < axisCount; ++i) *axes[i] = axis(i);
        const int hats = std::min(SDL_JoystickNumHats(joystick_), kMaxHats);
        for (int i = 0; i < hats; ++i)
            state.rgdwPOV[i] = povOfHat(SDL_JoystickGetHat(joystick_, i));
        const int buttons = std::min(SDL_JoystickNumButtons(joystick_), kMaxButtons);
        for (int i = 0; i < buttons; ++i)
            state.rgbButtons[i] = SDL_JoystickGetButton(joystick_, i) ? 0x80 : 0;
    }

private:
    // An axis that rested at an end of its range when it was first seen (SDL's own test for a
    // trigger) is re-based: rest reads 0, full travel 32767.
    LONG axis(int index) {
        const int value = SDL_JoystickGetAxis(joystick_, index);
        Sint16 rest = 0;
        if (!SDL_JoystickGetAxisInitialState(joystick_, index, &rest)) return value;
        if (rest <= -32767) return (value + 32768) / 2;
        if (rest >= 32767) return (32767 - value) / 2;
        return value;
    }

    SDL_Joystick* joystick_;
};

class SdlGamepad final : public PadSource {
public:
    explicit SdlGamepad(SDL_GameController* controller) : controller_(controller) {}
    ~SdlGamepad() override { SDL_GameControllerClose(controller_); }

    void poll() override { SDL_GameControllerUpdate(); }
    void read(DIJOYSTATE& state) override {
        state.lX = axis(SDL_CONTROLLER_AXIS_LEFTX);
        state.lY = axis(SDL_CONTROLLER_AXIS_LEFTY);
        state.lRx = axis(SDL_CONTROLLER_AXIS_RIGHTX);
        state.lRy = axis(SDL_CONTROLLER_AXIS_RIGHTY);
        state.lZ = clampAxis(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) -
                             axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
        Uint8 hat = 0;
        if (button(SDL_CONTROLLER_BUTTON_DPAD_UP)) hat |= SDL_HAT_UP;
        if (button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) hat |= SDL_HAT_RIGHT;
        if (button(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) hat |= SDL_HAT_DOWN;
        if (button(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) hat |= SDL_HAT_LEFT;
        state.rgdwPOV[0] = povOfHat(hat);
        for (size_t i = 0; i < std::size(kButtons); ++i)
            state.rgbButtons[i] = button(kButtons[i]) ? 0x80 : 0;
    }

    static constexpr SDL_GameControllerButton kButtons[] = {
        SDL_CONTROLLER_BUTTON_A,
        SDL_CONTROLLER_BUTTON_B,
        SDL_CONTROLLER_BUTTON_X,
        SDL_CONTROLLER_BUTTON_Y,
        SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
        SDL_CONTROLLER_BUTTON_BACK,
        SDL_CONTROLLER_BUTTON_START,
        SDL_CONTROLLER_BUTTON_LEFTSTICK,
        SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    };
    // X, Y, Z, Rx, Ry; one hat; the buttons above.
    static constexpr PadShape kShape{0b011111, 1, static_cast<BYTE>(std::size(kButtons))};

private:
    int axis(SDL_GameControllerAxis which) { return SDL_GameControllerGetAxis(controller_, which); }
    bool button(SDL_GameControllerButton which) {
        return SDL_GameControllerGetButton(controller_, which) != 0;
    }

    SDL_GameController* controller_;
};

// The shape of a joystick that SDL does not know as a game controller.
PadShape joystickShape(int index) {
    PadShape shape;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) return shape;
    const int axes = std::clamp(SDL_JoystickNumAxes(joystick), 0, kMaxAxes);
    shape.axisMask = static_cast<BYTE>((1u << axes) - 1);
    shape.hats = static_cast<BYTE>(std::clamp(SDL_JoystickNumHats(joystick), 0, kMaxHats));
    shape.buttons = static_cast<BYTE>(std::clamp(SDL_JoystickNumButtons(joystick), 0, kMaxButtons));
    SDL_JoystickClose(joystick);
    return shape;
}

class SdlInputBackend final : public InputBackend {
public:
    ~SdlInputBackend() override {
        SDL_QuitSubSystem(kSubsystems);
        if (SDL_WasInit(0) == 0) SDL_Quit();
    }

    std::vector<PadDescription> attachedPads() override {
        std::vector<PadDescription> pads;
        std::vector<SDL_JoystickGUID> seen;
        const int count = SDL_NumJoysticks();
        for (int index = 0; index < count; ++index) {
            const SDL_JoystickGUID sdlGuid = SDL_JoystickGetDeviceGUID(index);
            const auto ordinal = static_cast<uint32_t>(
                std::count_if(seen.begin(), seen.end(), [&](const SDL_JoystickGUID& other) {
                    return std::memcmp(other.data, sdlGuid.data, sizeof sdlGuid.data) == 0;
                }));
            seen.push_back(sdlGuid);

            PadDescription pad;
            static_assert(sizeof(GUID) == sizeof sdlGuid.data);
            std::memcpy(&pad.product, sdlGuid.data, sizeof(GUID));
            pad.instance = pad.product;
            for (int byte = 0; byte < 4; ++byte)
                pad.instance.Data4[4 + byte] = static_cast<BYTE>(ordinal >> (8 * byte));
            const char* name = SDL_JoystickNameForIndex(index);
            pad.productName = platform::os::utf8ToUtf16(name ? name : "");
            pad.instanceName = pad.productName;
            pad.gamepad = SDL_IsGameController(index);
            pad.shape = pad.gamepad ? SdlGamepad::kShape : joystickShape(index);
            pads.push_back(std::move(pad));
        }
        return pads;
    }

    std::unique_ptr<KeyboardSource> openKeyboard() override {
        return std::make_unique<SdlKeyboard>();
    }

    std::unique_ptr<PadSource> openPad(const GUID& instance, PadDescription& description) override {
        const std::vector<PadDescription> pads = attachedPads();
        for (size_t index = 0; index < pads.size(); ++index) {
            if (!(pads[index].instance == instance)) continue;
            description = pads[index];
            const int sdlIndex = static_cast<int>(index);
            if (description.gamepad) {
                SDL_GameController* controller = SDL_GameControllerOpen(sdlIndex);
                return controller ? std::make_unique<SdlGamepad>(controller) : nullptr;
            }
            SDL_Joystick* joystick = SDL_JoystickOpen(sdlIndex);
            return joystick ? std::make_unique<SdlJoystickPad>(joystick) : nullptr;
        }
        return nullptr;
    }

    bool hasKeyboardFocus(HWND window) override {
        if (!window) return false;
        SDL_Window* focused = SDL_GetKeyboardFocus();
        if (!focused) return false;
        const SdlWindowLookup lookup = windowLookup.load();
        return !lookup || lookup(window) == focused;
    }
};

}  // namespace

std::shared_ptr<InputBackend> openSdlInputBackend() {
    if (SDL_InitSubSystem(kSubsystems) != 0) return nullptr;
    return std::make_shared<SdlInputBackend>();
}

void setSdlWindowLookup(SdlWindowLookup lookup) { windowLookup.store(lookup); }

}  // namespace platform::input
