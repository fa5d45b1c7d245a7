// The SDL2 backend with SDL's virtual joysticks under the dummy video driver (no display, no
// keyboard focus: pad reads use the background level there). The focus tests need a display
// and run under Xvfb; elsewhere they are skipped unless TESSERA_REQUIRE_DISPLAY=1.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/input/direct_input8.h"
#include "platform/input/sdl_input_backend.h"

namespace {

using namespace platform::input;

// A virtual joystick's SDL description.
SDL_VirtualJoystickDesc virtualPad(SDL_JoystickType type, int axes, int hats, int buttons,
                                   const char* name) {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = static_cast<Uint16>(type);
    desc.naxes = static_cast<Uint16>(axes);
    desc.nhats = static_cast<Uint16>(hats);
    desc.nbuttons = static_cast<Uint16>(buttons);
    desc.name = name;
    return desc;
}

class SdlPads : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_STREQ(std::getenv("TESSERA_HEADLESS"), "0");
        ASSERT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, &directInput_), DI_OK);
    }
    void TearDown() override {
        for (SDL_Joystick* joystick : handles_) SDL_JoystickClose(joystick);
        for (int index = SDL_NumJoysticks() - 1; index >= 0; --index)
            if (SDL_JoystickIsVirtual(index)) SDL_JoystickDetachVirtual(index);
        if (directInput_) directInput_->Release();
    }

    // Attaches a virtual joystick; returns its SDL device index.
    int attach(const SDL_VirtualJoystickDesc& desc) {
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        return index;
    }
    // The test's own handle on a virtual joystick, through which it sets the values.
    SDL_Joystick* handle(int index) {
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        EXPECT_NE(joystick, nullptr);
        handles_.push_back(joystick);
        return joystick;
    }
    std::vector<DIDEVICEINSTANCEW> pads() {
        std::vector<DIDEVICEINSTANCEW> seen;
        directInput_->EnumDevices(
            DI8DEVCLASS_GAMECTRL,
            [](const DIDEVICEINSTANCEW* instance, void* out) {
                static_cast<std::vector<DIDEVICEINSTANCEW>*>(out)->push_back(*instance);
                return DIENUM_CONTINUE;
            },
            &seen, DIEDFL_ATTACHEDONLY);
        return seen;
    }
    // The pad device of the nth attached pad, acquired at the background level.
    IDirectInputDevice8* open(size_t pad) {
        const std::vector<DIDEVICEINSTANCEW> all = pads();
        EXPECT_LT(pad, all.size());
        if (pad >= all.size()) return nullptr;
        IDirectInputDevice8* device = nullptr;
        EXPECT_EQ(directInput_->CreateDevice(all[pad].guidInstance, &device), DI_OK);
        if (!device) return nullptr;
        EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_OK);
        devices_.push_back(device);
        return device;
    }
    static DIJOYSTATE read(IDirectInputDevice8* device) {
        DIJOYSTATE state{};
        EXPECT_EQ(device->Poll(), DI_OK);
        EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DI_OK);
        return state;
    }
    static DIDEVCAPS capabilities(IDirectInputDevice8* device) {
        DIDEVCAPS caps{};
        caps.dwSize = sizeof caps;
        EXPECT_EQ(device->GetCapabilities(&caps), DI_OK);
        return caps;
    }

    IDirectInput8* directInput_ = nullptr;
    std::vector<SDL_Joystick*> handles_;
    struct DeviceReleaser {
        std::vector<IDirectInputDevice8*> devices;
        ~DeviceReleaser() {
            for (IDirectInputDevice8* device : devices) device->Release();
        }
    };
    std::vector<IDirectInputDevice8*>& devices_ = releaser_.devices;
    DeviceReleaser releaser_;
};

TEST_F(SdlPads, JoystickAxesHatsAndButtonsReachTheState) {
    // Beyond six axes, four hats and 32 buttons nothing is shown.
    const int index = attach(virtualPad(SDL_JOYSTICK_TYPE_UNKNOWN, 7, 5, 33, "Plain stick"));
    IDirectInputDevice8* device = open(0);
    ASSERT_NE(device, nullptr);
    const DIDEVCAPS caps = capabilities(device);
    EXPECT_EQ(caps.dwDevType & 0xFF, DI8DEVTYPE_JOYSTICK);
    EXPECT_EQ(caps.dwAxes, 6u);
    EXPECT_EQ(caps.dwPOVs, 4u);
    EXPECT_EQ(caps.dwButtons, 32u);
    EXPECT_EQ(std::u16string(pads()[0].tszProductName), u"Plain stick");

    SDL_Joystick* joystick = handle(index);
    const Sint16 axes[7] = {-32768, -100, 0, 100, 20000, 32767, 5};
    for (int i = 0; i < 7; ++i) SDL_JoystickSetVirtualAxis(joystick, i, axes[i]);
    SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_RIGHTUP);
    SDL_JoystickSetVirtualHat(joystick, 3, SDL_HAT_LEFT);
    SDL_JoystickSetVirtualButton(joystick, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(joystick, 31, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(joystick, 32, SDL_PRESSED);
    const DIJOYSTATE state = read(device);
    const LONG read[6] = {state.lX, state.lY, state.lZ, state.lRx, state.lRy, state.lRz};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(read[i], axes[i]) << i;
    EXPECT_EQ(state.rglSlider[0], 0);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);
    EXPECT_EQ(state.rgdwPOV[1], kPovCentred);
    EXPECT_EQ(state.rgdwPOV[3], 27000u);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.rgbButtons[31], 0x80);
}

TEST_F(SdlPads, HatPositionsInHundredthsOfADegree) {
    const int index = attach(virtualPad(SDL_JOYSTICK_TYPE_UNKNOWN, 0, 1, 0, "Hat"));
    IDirectInputDevice8* device = open(0);
    ASSERT_NE(device, nullptr);
    SDL_Joystick* joystick = handle(index);
    const std::pair<Uint8, DWORD> cases[] = {
        {SDL_HAT_CENTERED, kPovCentred}, {SDL_HAT_UP, 0},
        {SDL_HAT_RIGHTUP, 4500},         {SDL_HAT_RIGHT, 9000},
        {SDL_HAT_RIGHTDOWN, 13500},      {SDL_HAT_DOWN, 18000},
        {SDL_HAT_LEFTDOWN, 22500},       {SDL_HAT_LEFT, 27000},
        {SDL_HAT_LEFTUP, 31500},
    };
    for (const auto& [bits, pov] : cases) {
        SDL_JoystickSetVirtualHat(joystick, 0, bits);
        EXPECT_EQ(read(device).rgdwPOV[0], pov) << int(bits);
    }
}

TEST_F(SdlPads, AxisRestingAtAnEndReadsItsRestAsTheCentre) {
    const int index = attach(virtualPad(SDL_JOYSTICK_TYPE_UNKNOWN, 3, 0, 0, "Triggers"));
    // The axes' first values: Y rests at the low end, Z at the high end, X in the middle.
    {
        SDL_Joystick* first = SDL_JoystickOpen(index);
        ASSERT_NE(first, nullptr);
        SDL_JoystickSetVirtualAxis(first, 1, -32768);
        SDL_JoystickSetVirtualAxis(first, 2, 32767);
        SDL_JoystickClose(first);
    }
    IDirectInputDevice8* device = open(0);
    ASSERT_NE(device, nullptr);
    SDL_Joystick* joystick = handle(index);
    struct Case {
        Sint16 x, y, z;
        LONG readX, readY, readZ;
    };
    const Case cases[] = {
        {0, -32768, 32767, 0, 0, 0},                    // at rest
        {-32768, 32767, -32768, -32768, 32767, 32767},  // full travel
        {100, 0, 0, 100, 16384, 16383},                 // half way
    };
    for (const Case& c : cases) {
        SDL_JoystickSetVirtualAxis(joystick, 0, c.x);
        SDL_JoystickSetVirtualAxis(joystick, 1, c.y);
        SDL_JoystickSetVirtualAxis(joystick, 2, c.z);
        const DIJOYSTATE state = read(device);
        EXPECT_EQ(state.lX, c.readX);
        EXPECT_EQ(state.lY, c.readY);
        EXPECT_EQ(state.lZ, c.readZ);
    }
}

TEST_F(SdlPads, GameControllerTakesTheFixedShape) {
    // SDL's virtual controller: axes left X/Y, right X/Y, left and right trigger; buttons A, B,
    // X, Y, back, guide, start, left stick, right stick, left and right shoulder, then the
    // directional pad up, down, left, right.
    const int index = attach(virtualPad(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 0, 15, "Pad"));
    IDirectInputDevice8* device = open(0);
    ASSERT_NE(device, nullptr);
    const DIDEVCAPS caps = capabilities(device);
    EXPECT_EQ(caps.dwDevType & 0xFF, DI8DEVTYPE_GAMEPAD);
    EXPECT_EQ(caps.dwAxes, 5u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    EXPECT_EQ(caps.dwButtons, 10u);

    SDL_Joystick* joystick = handle(index);
    const Sint16 axes[4] = {1000, -2000, 3000, -4000};
    for (int i = 0; i < 4; ++i) SDL_JoystickSetVirtualAxis(joystick, i, axes[i]);
    SDL_JoystickSetVirtualButton(joystick, 4, SDL_PRESSED);   // back
    SDL_JoystickSetVirtualButton(joystick, 9, SDL_PRESSED);   // left shoulder
    SDL_JoystickSetVirtualButton(joystick, 11, SDL_PRESSED);  // up
    SDL_JoystickSetVirtualButton(joystick, 14, SDL_PRESSED);  // right
    DIJOYSTATE state = read(device);
    EXPECT_EQ(state.lX, 1000);
    EXPECT_EQ(state.lY, -2000);
    EXPECT_EQ(state.lRx, 3000);
    EXPECT_EQ(state.lRy, -4000);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);
    const BYTE expected[10] = {0, 0, 0, 0, 0x80, 0, 0x80, 0, 0, 0};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(state.rgbButtons[i], expected[i]) << i;

    // Triggers (SDL's virtual trigger axes rest at -32768): left toward +, right toward -, both
    // pressed cancel out.
    const struct {
        Sint16 left, right;
        LONG z;
    } triggers[] = {
        {32767, -32768, 32767}, {-32768, 32767, -32767}, {32767, 32767, 0}, {-32768, -32768, 0}};
    for (const auto& t : triggers) {
        SDL_JoystickSetVirtualAxis(joystick, 4, t.left);
        SDL_JoystickSetVirtualAxis(joystick, 5, t.right);
        EXPECT_EQ(read(device).lZ, t.z);
    }
}

TEST_F(SdlPads, IdenticalPadsGetDistinctInstanceGuids) {
    const SDL_VirtualJoystickDesc desc = virtualPad(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 0, 4, "Twin");
    attach(desc);
    const int second = attach(desc);
    const std::vector<DIDEVICEINSTANCEW> all = pads();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].guidProduct, all[1].guidProduct);
    EXPECT_FALSE(all[0].guidInstance == all[1].guidInstance);
    EXPECT_EQ(std::memcmp(&all[0].guidInstance, &all[1].guidInstance, 12), 0);
    EXPECT_EQ(all[0].guidInstance.Data4[4], 0);
    EXPECT_EQ(all[1].guidInstance.Data4[4], 1);

    // Each instance GUID opens its own pad.
    IDirectInputDevice8* firstDevice = open(0);
    IDirectInputDevice8* secondDevice = open(1);
    ASSERT_TRUE(firstDevice && secondDevice);
    SDL_JoystickSetVirtualButton(handle(second), 2, SDL_PRESSED);
    EXPECT_EQ(read(firstDevice).rgbButtons[2], 0);
    EXPECT_EQ(read(secondDevice).rgbButtons[2], 0x80);
}

TEST_F(SdlPads, WithoutFocusForegroundDevicesDoNotRead) {
    attach(virtualPad(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 0, 2, "Stick"));
    IDirectInputDevice8* device = nullptr;
    ASSERT_EQ(directInput_->CreateDevice(pads()[0].guidInstance, &device), DI_OK);
    devices_.push_back(device);
    device->SetDataFormat(&c_dfDIJoystick);
    const HWND window = reinterpret_cast<HWND>(0x1000);
    device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
    IDirectInputDevice8* keyboard = nullptr;
    ASSERT_EQ(directInput_->CreateDevice(GUID_SysKeyboard, &keyboard), DI_OK);
    devices_.push_back(keyboard);
    keyboard->SetDataFormat(&c_dfDIKeyboard);
    keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
}

// Two SDL windows on a real display; the window handle given to the devices is the SDL window
// itself.
class SdlFocus : public ::testing::Test {
protected:
    void SetUp() override {
        const char* required = std::getenv("TESSERA_REQUIRE_DISPLAY");
        const bool mustRun = required && std::string(required) == "1";
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0 ||
            std::string(SDL_GetCurrentVideoDriver()) == "dummy") {
            if (mustRun) FAIL() << "no display for the focus tests";
            GTEST_SKIP() << "no display";
        }
        videoStarted_ = true;
        setSdlWindowLookup([](HWND window) { return static_cast<SDL_Window*>(window); });
        first_ = SDL_CreateWindow("first", 0, 0, 64, 64, SDL_WINDOW_SHOWN);
        second_ = SDL_CreateWindow("second", 100, 0, 64, 64, SDL_WINDOW_SHOWN);
        ASSERT_TRUE(first_ && second_) << SDL_GetError();
        ASSERT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, &directInput_), DI_OK);
    }
    void TearDown() override {
        if (directInput_) directInput_->Release();
        setSdlWindowLookup(nullptr);
        if (second_) SDL_DestroyWindow(second_);
        if (first_) SDL_DestroyWindow(first_);
        if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // Gives a window the keyboard focus and waits for the display server to confirm it.
    void focus(SDL_Window* window) {
        SDL_SetWindowInputFocus(window);
        for (int events = 0; events < 1000 && SDL_GetKeyboardFocus() != window; ++events) {
            SDL_Event event;
            if (!SDL_WaitEventTimeout(&event, 5000)) break;
        }
        ASSERT_EQ(SDL_GetKeyboardFocus(), window);
    }

    bool videoStarted_ = false;
    SDL_Window* first_ = nullptr;
    SDL_Window* second_ = nullptr;
    IDirectInput8* directInput_ = nullptr;
};

TEST_F(SdlFocus, KeyboardReadsOnlyWhileItsWindowHasTheFocus) {
    IDirectInputDevice8* keyboard = nullptr;
    ASSERT_EQ(directInput_->CreateDevice(GUID_SysKeyboard, &keyboard), DI_OK);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(first_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    BYTE keys[256];
    focus(first_);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    focus(second_);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    focus(first_);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    keyboard->Release();
}

}  // namespace
