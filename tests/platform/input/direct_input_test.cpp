// The DirectInput object and devices over scripted fake devices, and the headless object.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/input/direct_input8.h"
#include "platform/input/fake_input_backend.h"

namespace {

using namespace platform::input;

HWND const kWindow = reinterpret_cast<HWND>(0x1000);
HWND const kOtherWindow = reinterpret_cast<HWND>(0x2000);

// A DirectInput object over fake devices, with the main window focused.
class FakeDirectInput : public ::testing::Test {
protected:
    void SetUp() override {
        input_->focusWindow = kWindow;
        directInput_ = createFakeDirectInput(input_);
    }
    void TearDown() override { directInput_->Release(); }

    IDirectInputDevice8* create(const GUID& guid) {
        IDirectInputDevice8* device = nullptr;
        EXPECT_EQ(directInput_->CreateDevice(guid, &device), DI_OK);
        return device;
    }
    IDirectInputDevice8* keyboard() {
        IDirectInputDevice8* device = create(GUID_SysKeyboard);
        EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(kWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
                  DI_OK);
        return device;
    }
    IDirectInputDevice8* pad(const FakePad& fake) {
        IDirectInputDevice8* device = create(fake.description.instance);
        EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(kWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        return device;
    }

    std::shared_ptr<FakeInput> input_ = std::make_shared<FakeInput>();
    IDirectInput8* directInput_ = nullptr;
};

TEST(DirectInputCreation, VersionOverrideAndHeadlessObject) {
    ASSERT_STREQ(std::getenv("TESSERA_HEADLESS"), "1");
    IDirectInput8* directInput = nullptr;
    EXPECT_EQ(DirectInput8Create(0x0700, &directInput), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(0x0900, &directInput), DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(directInput, nullptr);

    // Headless: an object without devices.
    ASSERT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, &directInput), DI_OK);
    int pads = 0;
    EXPECT_EQ(directInput->EnumDevices(
                  DI8DEVCLASS_GAMECTRL,
                  [](const DIDEVICEINSTANCEW*, void* count) {
                      ++*static_cast<int*>(count);
                      return DIENUM_CONTINUE;
                  },
                  &pads, DIEDFL_ATTACHEDONLY),
              DI_OK);
    EXPECT_EQ(pads, 0);
    IDirectInputDevice8* device = nullptr;
    EXPECT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &device), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
    directInput->Release();

    // A test decides what creation returns; null stands for a missing DirectInput.
    setDirectInput8CreateOverride([](DWORD) { return nullptr; });
    EXPECT_TRUE(FAILED(DirectInput8Create(DIRECTINPUT_VERSION, &directInput)));
    EXPECT_EQ(directInput, nullptr);
    auto fake = std::make_shared<FakeInput>();
    setDirectInput8CreateOverride([fake](DWORD) { return createFakeDirectInput(fake); });
    ASSERT_EQ(DirectInput8Create(DIRECTINPUT_VERSION, &directInput), DI_OK);
    ASSERT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &device), DI_OK);
    device->Release();
    directInput->Release();
    setDirectInput8CreateOverride({});
}

TEST_F(FakeDirectInput, EnumeratesPadsWithTheirNamesAndStopsWhenAsked) {
    input_->addPad({0b11, 0, 4}, u"パッドA");
    input_->addPad({0b11, 1, 8}, u"Pad B");
    std::vector<DIDEVICEINSTANCEW> seen;
    auto collect = [](const DIDEVICEINSTANCEW* instance, void* out) {
        static_cast<std::vector<DIDEVICEINSTANCEW>*>(out)->push_back(*instance);
        return DIENUM_CONTINUE;
    };
    ASSERT_EQ(directInput_->EnumDevices(DI8DEVCLASS_GAMECTRL, collect, &seen, DIEDFL_ATTACHEDONLY),
              DI_OK);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].guidInstance, input_->pads[0].description.instance);
    EXPECT_EQ(std::u16string(seen[0].tszInstanceName), u"パッドA");
    EXPECT_EQ(std::u16string(seen[1].tszProductName), u"Pad B");
    EXPECT_EQ(seen[1].dwDevType, DI8DEVTYPE_JOYSTICK);

    int calls = 0;
    directInput_->EnumDevices(
        DI8DEVCLASS_GAMECTRL,
        [](const DIDEVICEINSTANCEW*, void* count) {
            ++*static_cast<int*>(count);
            return DIENUM_STOP;
        },
        &calls, DIEDFL_ATTACHEDONLY);
    EXPECT_EQ(calls, 1);
}

TEST_F(FakeDirectInput, CreationFailsForMissingOrRefusingDevices) {
    FakePad& refusing = input_->addPad({1, 0, 1});
    refusing.opens = false;
    input_->keyboardOpens = false;
    IDirectInputDevice8* device = nullptr;
    EXPECT_EQ(directInput_->CreateDevice(GUID_SysKeyboard, &device), DIERR_DEVICENOTREG);
    EXPECT_EQ(directInput_->CreateDevice(refusing.description.instance, &device),
              DIERR_DEVICENOTREG);
    EXPECT_EQ(directInput_->CreateDevice(GUID{99, 0, 0, {}}, &device), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
}

TEST_F(FakeDirectInput, DataFormatAndCooperativeLevelAreChecked) {
    IDirectInputDevice8* device = create(GUID_SysKeyboard);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
    EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    struct Case {
        HWND window;
        DWORD flags;
        HRESULT result;
    };
    const Case cases[] = {
        {kWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK},
        {kWindow, DISCL_EXCLUSIVE | DISCL_BACKGROUND, DI_OK},
        {nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK},
        {nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {kWindow, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {kWindow, DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_EXCLUSIVE, DIERR_INVALIDPARAM},
        {kWindow, DISCL_EXCLUSIVE, DIERR_INVALIDPARAM},
    };
    for (const Case& c : cases)
        EXPECT_EQ(device->SetCooperativeLevel(c.window, c.flags), c.result) << c.flags;
    ASSERT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(device->SetCooperativeLevel(kWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              DIERR_ACQUIRED);
    EXPECT_EQ(device->Unacquire(), DI_OK);
    EXPECT_EQ(device->Unacquire(), DI_NOEFFECT);
    device->Release();
}

TEST_F(FakeDirectInput, ForegroundReadsFailWithoutFocus) {
    input_->keys[30] = 0x80;
    input_->keys[0] = 0x80;     // no key has code 0
    input_->keys[0x54] = 0x80;  // nor 0x54
    IDirectInputDevice8* device = keyboard();
    BYTE keys[256] = {};
    EXPECT_EQ(device->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
    ASSERT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Poll(), DI_NOEFFECT);
    EXPECT_EQ(device->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    ASSERT_EQ(device->GetDeviceState(sizeof keys, keys), DI_OK);
    EXPECT_EQ(keys[30], 0x80);
    EXPECT_EQ(keys[44], 0);
    EXPECT_EQ(keys[0], 0);
    EXPECT_EQ(keys[0x54], 0);

    // Another window takes the focus: the device loses its acquisition and cannot get it back
    // until the focus returns.
    input_->focusWindow = kOtherWindow;
    EXPECT_EQ(device->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
    EXPECT_EQ(device->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
    input_->focusWindow = kWindow;
    EXPECT_EQ(device->Acquire(), DI_OK);
    device->Release();

    // A background device reads whatever window has the focus.
    input_->focusWindow = nullptr;
    IDirectInputDevice8* background = create(GUID_SysKeyboard);
    background->SetDataFormat(&c_dfDIKeyboard);
    background->SetCooperativeLevel(kWindow, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    ASSERT_EQ(background->Acquire(), DI_OK);
    EXPECT_EQ(background->GetDeviceState(sizeof keys, keys), DI_OK);
    background->Release();
}

TEST_F(FakeDirectInput, PadStateShowsOnlyTheObjectsThePadHas) {
    // X, Y and Rx; two hats; three buttons.
    FakePad& fake = input_->addPad({0b1011, 2, 3});
    fake.state.lX = -32768;
    fake.state.lY = 1234;
    fake.state.lZ = 555;  // the pad has no Z axis
    fake.state.lRx = 32767;
    fake.state.rgdwPOV[1] = 9000;
    fake.state.rgdwPOV[2] = 0;  // beyond the pad's hats
    fake.state.rgbButtons[2] = 0x80;
    fake.state.rgbButtons[3] = 0x80;  // beyond the pad's buttons
    IDirectInputDevice8* device = pad(fake);
    EXPECT_EQ(device->cooperativeLevel(), DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    ASSERT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Poll(), DI_OK);
    EXPECT_EQ(fake.polls, 1);
    DIJOYSTATE state;
    ASSERT_EQ(device->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, -32768);
    EXPECT_EQ(state.lY, 1234);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.lRx, 32767);
    EXPECT_EQ(state.rgdwPOV[0], kPovCentred);
    EXPECT_EQ(state.rgdwPOV[1], 9000u);
    EXPECT_EQ(state.rgdwPOV[2], kPovCentred);
    EXPECT_EQ(state.rgbButtons[2], 0x80);
    EXPECT_EQ(state.rgbButtons[3], 0);
    device->Release();
}

TEST_F(FakeDirectInput, CapabilitiesAndObjectsDescribeThePad) {
    FakePad& fake = input_->addPad({0b100101, 1, 2});  // X, Z, Rz
    IDirectInputDevice8* device = pad(fake);
    DIDEVCAPS caps{};
    EXPECT_EQ(device->GetCapabilities(&caps), DIERR_INVALIDPARAM);
    caps.dwSize = sizeof caps;
    ASSERT_EQ(device->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 3u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    EXPECT_EQ(caps.dwButtons, 2u);
    EXPECT_EQ(caps.dwFlags & DIDC_ATTACHED, DIDC_ATTACHED);

    struct Seen {
        GUID kind;
        DWORD offset;
        DWORD type;
    };
    auto collect = [](const DIDEVICEOBJECTINSTANCEW* object, void* out) {
        static_cast<std::vector<Seen>*>(out)->push_back(
            {object->guidType, object->dwOfs, object->dwType});
        return DIENUM_CONTINUE;
    };
    std::vector<Seen> all;
    ASSERT_EQ(device->EnumObjects(collect, &all, DIDFT_ALL), DI_OK);
    const std::vector<std::pair<const GUID*, DWORD>> expected = {
        {&GUID_XAxis, 0}, {&GUID_ZAxis, 8},   {&GUID_RzAxis, 20},
        {&GUID_POV, 32},  {&GUID_Button, 48}, {&GUID_Button, 49},
    };
    ASSERT_EQ(all.size(), expected.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].kind, *expected[i].first) << i;
        EXPECT_EQ(all[i].offset, expected[i].second) << i;
    }
    EXPECT_EQ(all[1].type, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(1));
    EXPECT_EQ(all[5].type, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(1));

    const std::pair<DWORD, size_t> filters[] = {
        {DIDFT_AXIS, 3}, {DIDFT_POV, 1}, {DIDFT_BUTTON, 2}, {DIDFT_AXIS | DIDFT_BUTTON, 5}};
    for (const auto& [filter, count] : filters) {
        std::vector<Seen> some;
        device->EnumObjects(collect, &some, filter);
        EXPECT_EQ(some.size(), count) << filter;
    }
    device->Release();
}

TEST_F(FakeDirectInput, RangePropertyOfPresentAxesOnly) {
    FakePad& fake = input_->addPad({0b0011, 0, 0});  // X and Y
    FakePad& failing = input_->addPad({0b0011, 0, 0});
    failing.rangeFails = true;
    IDirectInputDevice8* device = pad(fake);
    IDirectInputDevice8* failingDevice = pad(failing);
    auto range = [](IDirectInputDevice8* d, DWORD offset, DIPROPRANGE& out) {
        out = DIPROPRANGE{};
        out.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET};
        return d->GetProperty(DIPROP_RANGE, &out.diph);
    };
    DIPROPRANGE answer;
    ASSERT_EQ(range(device, 4, answer), DI_OK);
    EXPECT_EQ(answer.lMin, -32768);
    EXPECT_EQ(answer.lMax, 32767);
    EXPECT_EQ(range(device, 8, answer), DIERR_OBJECTNOTFOUND);   // no Z axis
    EXPECT_EQ(range(device, 2, answer), DIERR_OBJECTNOTFOUND);   // not an axis offset
    EXPECT_EQ(range(device, 48, answer), DIERR_OBJECTNOTFOUND);  // a button
    EXPECT_TRUE(FAILED(range(failingDevice, 0, answer)));
    DIPROPHEADER wrongSize{sizeof(DIPROPHEADER), sizeof(DIPROPHEADER), 0, DIPH_BYOFFSET};
    EXPECT_EQ(device->GetProperty(DIPROP_RANGE, &wrongSize), DIERR_INVALIDPARAM);
    device->Release();
    failingDevice->Release();
}

TEST_F(FakeDirectInput, KeyNamesComeFromTheKeyTable) {
    IDirectInputDevice8* device = keyboard();
    struct Case {
        DWORD key;
        HRESULT result;
        const char16_t* name;
    };
    const Case cases[] = {
        {30, DI_OK, u"A"},
        {0xC8, DI_OK, u"Up"},
        {0x1C, DI_OK, u"Return"},
        {0x01, DI_OK, u"Escape"},
        {0x54, DIERR_OBJECTNOTFOUND, nullptr},
        {0, DIERR_OBJECTNOTFOUND, nullptr},
        {300, DIERR_OBJECTNOTFOUND, nullptr},
    };
    for (const Case& c : cases) {
        DIPROPSTRING text{};
        text.diph = {sizeof(DIPROPSTRING), sizeof(DIPROPHEADER), c.key, DIPH_BYOFFSET};
        EXPECT_EQ(device->GetProperty(DIPROP_KEYNAME, &text.diph), c.result) << c.key;
        if (c.name) {
            EXPECT_EQ(std::u16string(text.wsz), c.name);
        }
    }
    DIPROPRANGE range{};
    range.diph = {sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), 0, DIPH_BYOFFSET};
    EXPECT_EQ(device->GetProperty(DIPROP_RANGE, &range.diph), DIERR_UNSUPPORTED);
    device->Release();
}

}  // namespace
