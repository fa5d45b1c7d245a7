// Input devices over fake keyboards and pads.
#include <cmath>
#include <vector>

#include "framework/input/input_device.h"
#include "tests/framework/input/fake_dinput8.h"
#include "tests/framework/support/report_capture.h"

namespace {

using namespace platform::input;
using tessera::test::ReportCapture;

class InputDevice : public tessera::test::FakeDinput8 {
protected:
    // Slot 0 plays a pad with X, Y, one hat and eight buttons, with the given codes.
    FakePad& padInSlot0(const std::vector<uint32_t>& codes,
                        const std::vector<uint32_t>& analog = {}, PadShape shape = {0b11, 1, 8}) {
        FakePad& pad = input_->addPad(shape);
        settings_.padFlags[0] = 1;
        settings_.padInstances[0] = pad.description.instance;
        settings_.padTypes[0] = 2;
        for (size_t i = 0; i < codes.size(); ++i) settings_.padButtons[0][i] = codes[i];
        for (size_t i = 0; i < analog.size(); ++i) settings_.padAnalog[0][i] = analog[i];
        return pad;
    }
    // The raw axis value at a fraction of the half-range from the centre (-32768 to 32767).
    static LONG axisAt(float fraction) {
        return static_cast<LONG>(std::lround(-0.5 + fraction * 32767.5));
    }

    PEL_INPUT_SETTINGS settings_{};
};

TEST_F(InputDevice, ButtonCountFollowsTheHighestAssignedKey) {
    struct Case {
        std::vector<uint32_t> codes;
        uint32_t count;
    };
    const Case cases[] = {
        {{30, 0, 44}, 3}, {{}, 0}, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 16}};
    for (const Case& c : cases) {
        PEL_INPUT_SETTINGS settings{};
        for (size_t i = 0; i < c.codes.size(); ++i) settings.keyCodes[i] = c.codes[i];
        PEL_INPUT_DEVICE* device = pelInputCreateKeyboard(&settings, kWindow);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->buttonCount, c.count);
        pelInputDestroy(device);
    }
}

TEST_F(InputDevice, KeyboardReadsItsKeysWhileItsWindowHasTheFocus) {
    settings_.keyboardType = 3;
    settings_.keyCodes[0] = 30;  // A
    settings_.keyCodes[2] = 44;  // Z
    ReportCapture reports;
    PEL_INPUT_DEVICE* device = pelInputCreateKeyboard(&settings_, kWindow);
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].level, PEL_REPORT_INFORMATION);
    EXPECT_EQ(ReportCapture::entries()[0].text, u"キーボードの作成に成功しました。");
    EXPECT_EQ(device->type, 3u);
    EXPECT_EQ(device->keyboard->cooperativeLevel(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    EXPECT_EQ(pelInputGetButtonFlags(device, 0), 0u);

    input_->keys[30] = 0x80;
    input_->keys[44] = 0x80;
    input_->keys[0] = 0x80;  // no key has code 0: logical button 1 still reads 0
    pelInputPoll(device);
    EXPECT_EQ(pelInputGetValue(device, 0), 1.0f);
    EXPECT_EQ(pelInputGetValue(device, 1), 0.0f);
    EXPECT_EQ(pelInputGetValue(device, 2), 1.0f);

    input_->focusWindow = nullptr;
    pelInputPoll(device);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(pelInputGetValue(device, i), 0.0f);
    pelInputDestroy(device);
}

TEST_F(InputDevice, CreationNeedsWindowSettingsDirectInputAndAnAssignedSlot) {
    padInSlot0({29});
    ReportCapture reports;
    EXPECT_EQ(pelInputCreateKeyboard(nullptr, kWindow), nullptr);
    EXPECT_EQ(pelInputCreateKeyboard(&settings_, nullptr), nullptr);
    EXPECT_EQ(pelInputCreatePad(nullptr, &settings_, 0), nullptr);
    EXPECT_EQ(pelInputCreatePad(kWindow, nullptr, 0), nullptr);
    EXPECT_EQ(pelInputCreatePad(kWindow, &settings_, 1), nullptr);  // slot without a pad
    EXPECT_EQ(pelInputCreatePad(kWindow, &settings_, 4), nullptr);
    EXPECT_TRUE(ReportCapture::entries().empty());

    // Without DirectInput.
    pelDinput8Finalize();
    setDirectInput8CreateOverride([](DWORD) { return nullptr; });
    pelDinput8Initialize();
    EXPECT_EQ(pelDinput8Object(), nullptr);
    EXPECT_EQ(pelInputCreateKeyboard(&settings_, kWindow), nullptr);
    EXPECT_EQ(pelInputCreatePad(kWindow, &settings_, 0), nullptr);
    EXPECT_TRUE(ReportCapture::entries().empty());
}

TEST_F(InputDevice, DevicesThatCannotBeCreatedAreReported) {
    FakePad& pad = padInSlot0({29});
    pad.opens = false;
    input_->keyboardOpens = false;
    settings_.padFlags[2] = 1;
    settings_.padInstances[2] = GUID{77, 0, 0, {}};  // not attached
    ReportCapture reports;
    EXPECT_EQ(pelInputCreateKeyboard(&settings_, kWindow), nullptr);
    EXPECT_EQ(pelInputCreatePad(kWindow, &settings_, 0), nullptr);
    EXPECT_EQ(pelInputCreatePad(kWindow, &settings_, 2), nullptr);
    const std::vector<std::u16string> expected = {
        u"キーボードの作成に失敗しました。",
        u"1番目の入力デバイスの作成に失敗しました。",
        u"3番目の入力デバイスの作成に失敗しました。",
    };
    ASSERT_EQ(ReportCapture::entries().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ReportCapture::entries()[i].text, expected[i]);
        EXPECT_EQ(ReportCapture::entries()[i].level, PEL_REPORT_INFORMATION);
    }
}

TEST_F(InputDevice, PadButtonMapFollowsTheCodes) {
    padInSlot0({0, 29, 60, 1, 12, 13, 28, 61, 4}, {1, 1, 0, 1, 0, 1, 0, 1, 0});
    ReportCapture reports;
    PEL_INPUT_DEVICE* device = pelInputCreatePad(kWindow, &settings_, 0);
    ASSERT_NE(device, nullptr);
    ASSERT_FALSE(ReportCapture::entries().empty());
    EXPECT_EQ(ReportCapture::entries().back().text, u"1番目の入力デバイスの作成に成功しました。");
    EXPECT_EQ(device->type, 2u);
    EXPECT_EQ(device->buttonCount, 9u);
    EXPECT_EQ(device->pad->cooperativeLevel(), DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    const PEL_INPUT_BUTTON_MAP expected[] = {
        {PEL_INPUT_KIND_NONE, 0, PEL_INPUT_FLAG_UNASSIGNED},
        {PEL_INPUT_KIND_BUTTON, 0, PEL_INPUT_FLAG_ANALOG},
        {PEL_INPUT_KIND_BUTTON, 31, 0},
        {PEL_INPUT_KIND_HALF_AXIS, 0, PEL_INPUT_FLAG_ANALOG},
        {PEL_INPUT_KIND_HALF_AXIS, 11, 0},
        {PEL_INPUT_KIND_HAT, 0, PEL_INPUT_FLAG_ANALOG},
        {PEL_INPUT_KIND_HAT, 15, 0},
        {0, 0, 0},  // 61 is no code
        {PEL_INPUT_KIND_HALF_AXIS, 3, 0},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(device->buttons[i].kind, expected[i].kind) << i;
        EXPECT_EQ(device->buttons[i].index, expected[i].index) << i;
        EXPECT_EQ(device->buttons[i].flags, expected[i].flags) << i;
        EXPECT_EQ(pelInputGetButtonFlags(device, static_cast<uint32_t>(i)), expected[i].flags);
    }
    // X and Y have a range; the pad has no Z to Rz.
    EXPECT_EQ(device->axes[0].centre, -0.5f);
    EXPECT_EQ(device->axes[3].halfRange, 32767.5f);
    EXPECT_EQ(device->axes[4].halfRange, 0.0f);
    pelInputDestroy(device);
}

TEST_F(InputDevice, HalfAxesHaveADeadZoneAndAFullMark) {
    // Buttons: X+ analog, X+ digital, X- analog, X- digital.
    FakePad& pad = padInSlot0({2, 2, 1, 1}, {1, 0, 1, 0});
    PEL_INPUT_DEVICE* device = pelInputCreatePad(kWindow, &settings_, 0);
    ASSERT_NE(device, nullptr);
    struct Case {
        float fraction;
        float analog;
        float digital;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f},       {0.15f, 0.0f, 0.0f}, {0.6f, 0.5714286f, 1.0f},
        {0.5f, 0.4285714f, 0.0f}, {0.9f, 1.0f, 1.0f},  {1.0f, 1.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fraction);
        for (const float sign : {1.0f, -1.0f}) {
            pad.state.lX = axisAt(sign * c.fraction);
            pelInputPoll(device);
            const int first = sign > 0 ? 0 : 2;
            const int other = sign > 0 ? 2 : 0;
            EXPECT_NEAR(pelInputGetValue(device, first), c.analog, 1e-4);
            EXPECT_EQ(pelInputGetValue(device, first + 1), c.digital);
            EXPECT_EQ(pelInputGetValue(device, other), 0.0f);
            EXPECT_EQ(pelInputGetValue(device, other + 1), 0.0f);
        }
    }
    pelInputDestroy(device);
}

TEST_F(InputDevice, HatDirectionsOverlapSoDiagonalsPressTwo) {
    // Hat 0 up, down, left, right.
    FakePad& pad = padInSlot0({13, 14, 15, 16});
    PEL_INPUT_DEVICE* device = pelInputCreatePad(kWindow, &settings_, 0);
    ASSERT_NE(device, nullptr);
    struct Case {
        DWORD pov;
        float up, down, left, right;
    };
    const Case cases[] = {
        {4500, 1, 0, 0, 1},  {0xFFFF, 0, 0, 0, 0}, {kPovCentred, 0, 0, 0, 0}, {29300, 1, 0, 1, 0},
        {6800, 1, 0, 0, 1},  {6801, 0, 0, 0, 1},   {29299, 0, 0, 1, 0},       {18000, 0, 1, 0, 0},
        {22500, 0, 1, 1, 0}, {0, 1, 0, 0, 0},      {2300, 1, 0, 0, 1},        {15801, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        pad.state.rgdwPOV[0] = c.pov;
        pelInputPoll(device);
        EXPECT_EQ(pelInputGetValue(device, 0), c.up) << c.pov;
        EXPECT_EQ(pelInputGetValue(device, 1), c.down) << c.pov;
        EXPECT_EQ(pelInputGetValue(device, 2), c.left) << c.pov;
        EXPECT_EQ(pelInputGetValue(device, 3), c.right) << c.pov;
    }
    pelInputDestroy(device);
}

TEST_F(InputDevice, PadButtonsReadAndALostPadReadsZero) {
    FakePad& pad = padInSlot0({29, 36});
    PEL_INPUT_DEVICE* device = pelInputCreatePad(kWindow, &settings_, 0);
    ASSERT_NE(device, nullptr);
    pad.state.rgbButtons[0] = 0x80;
    pad.state.rgbButtons[7] = 0x80;
    pelInputPoll(device);
    EXPECT_EQ(pelInputGetValue(device, 0), 1.0f);
    EXPECT_EQ(pelInputGetValue(device, 1), 1.0f);
    EXPECT_EQ(pad.polls, 1);
    input_->focusWindow = nullptr;
    pelInputPoll(device);
    EXPECT_EQ(pelInputGetValue(device, 0), 0.0f);
    EXPECT_EQ(pelInputGetValue(device, 1), 0.0f);
    pelInputDestroy(device);
}

TEST_F(InputDevice, HalfAxisWithoutARangeNeverPresses) {
    // X+, X-, Y+ analog and digital, on a pad whose range query fails.
    FakePad& pad = padInSlot0({2, 1, 4, 2, 1, 4}, {1, 1, 1, 0, 0, 0});
    pad.rangeFails = true;
    PEL_INPUT_DEVICE* device = pelInputCreatePad(kWindow, &settings_, 0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->axes[1].halfRange, 0.0f);
    for (const LONG value : {-32768, -1, 0, 1, 32767}) {
        pad.state.lX = value;
        pad.state.lY = value;
        pelInputPoll(device);
        for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(pelInputGetValue(device, i), 0.0f) << value;
    }
    pelInputDestroy(device);
}

}  // namespace
