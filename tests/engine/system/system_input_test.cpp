// The input object over fake devices: direct copying into the rows, the controller sources,
// and the input script with its natives.
#include "engine/system/system_input.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/script/script_vm.h"
#include "engine/script/value_buffer.h"
#include "framework/core/core.h"
#include "framework/file/file.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/framework/input/fake_dinput8.h"
#include "tests/support/fixture_paths.h"

namespace tessera::test {
namespace {

using namespace platform::input;

constexpr uint32_t kCodeXPlus = 2;     // half-axis X+
constexpr uint32_t kCodeButton0 = 29;  // pad button 0

class SystemInputTest : public FakeDinput8 {
protected:
    SystemInputTest() {
        settings_.keyboardType = 5;
        settings_.keyCodes[0] = 30;  // A
        settings_.keyCodes[2] = 44;  // Z
    }
    ~SystemInputTest() override { input_.release(); }

    // A pad in the slot with X+ (analog) on button 0, pad button 0 on button 1, nothing on
    // button 2 and pad button 1 on button 3.
    FakePad& padInSlot(uint32_t slot, uint32_t type) {
        FakePad& pad = input_fake()->addPad(PadShape{0b11, 0, 4});
        settings_.padFlags[slot] = 1;
        settings_.padInstances[slot] = pad.description.instance;
        settings_.padTypes[slot] = type;
        settings_.padButtons[slot][0] = kCodeXPlus;
        settings_.padAnalog[slot][0] = 1;
        settings_.padButtons[slot][1] = kCodeButton0;
        settings_.padButtons[slot][3] = kCodeButton0 + 1;
        return pad;
    }
    std::shared_ptr<FakeInput>& input_fake() { return FakeDinput8::input_; }
    // The raw axis value at a fraction of the half-range from the centre.
    static LONG axisAt(float fraction) {
        return static_cast<LONG>(std::lround(-0.5 + fraction * 32767.5));
    }
    void start(bool allPads = true) { input_.init(&vm_, &settings_, kWindow, allPads); }
    static std::u16string script(const char* name) {
        return widen(requiredEnv("ENGINE_SYSTEM_FIXTURES") + "/" + name);
    }
    float value(uint32_t row, uint32_t button) { return input_.values()[row][button]; }
    ScriptObject answer(const char16_t* name) {
        return input_.task()->getRootTable().getSlot(u"answers").getSlot(name);
    }

    // A bool answer as 0 or 1; -1 for any other type.
    int flag(const char16_t* name) {
        const ScriptObject value = answer(name);
        return value.getType() == OT_BOOL ? static_cast<int>(value.object()._unVal.nInteger) : -1;
    }

    static bool startFramework() {
        pelFileRegisterModule();
        pelInitialize();
        return true;
    }

    // The framework starts first: its start-up installs the default report sink.
    bool started_ = startFramework();
    ReportCapture capture_{ReportCapture::Fatal::Return};
    PEL_INPUT_SETTINGS settings_{};
    ScriptVM vm_;
    SystemInput input_;
};

TEST_F(SystemInputTest, WithoutScriptPadsFillTheirRowsAndTheKeyboardAlsoDrivesRowZero) {
    FakePad& pad0 = padInSlot(0, 2);
    FakePad& pad1 = padInSlot(1, 3);
    start();
    input_fake()->keys[30] = 0x80;
    pad0.state.lX = axisAt(0.5f);  // half-pressed button 0
    pad0.state.rgbButtons[0] = 0x80;
    pad1.state.rgbButtons[0] = 0x80;
    input_.update();
    EXPECT_EQ(value(0, 0), 1.0f);  // the keyboard's 1.0 beats the pad's half
    EXPECT_EQ(value(0, 1), 1.0f);
    EXPECT_EQ(value(0, 2), 0.0f);
    EXPECT_EQ(value(1, 1), 1.0f);
    EXPECT_EQ(value(1, 0), 0.0f);

    input_fake()->keys[30] = 0;
    input_.update();
    EXPECT_GT(value(0, 0), 0.0f);  // the pad's own half value
    EXPECT_LT(value(0, 0), 0.6f);
    input_fake()->keys[44] = 0x80;
    pad0.state = {};
    pad1.state = {};
    input_.update();
    EXPECT_EQ(value(0, 2), 1.0f);
    EXPECT_EQ(value(0, 0), 0.0f);  // cleared every frame
    EXPECT_EQ(value(1, 1), 0.0f);
}

TEST_F(SystemInputTest, ControllerSourcesExistForRowZeroAndForEachOpenPad) {
    padInSlot(0, 2);
    padInSlot(2, 2);
    start(/*allPads=*/false);  // a network game opens pad 0 only
    PEL_CONTROLLER_SOURCE source{};
    EXPECT_TRUE(input_.makeControllerInterface(0, &source));
    EXPECT_FALSE(input_.makeControllerInterface(2, &source));
    input_.release();
    start();
    for (uint32_t slot : {1u, 3u, 4u}) EXPECT_FALSE(input_.makeControllerInterface(slot, &source));
    ASSERT_TRUE(input_.makeControllerInterface(2, &source));
    input_.values()[2][7] = 0.75f;
    source.beginFrame(source.user);
    EXPECT_EQ(source.buttonCount(source.user), 16u);
    EXPECT_EQ(source.value(source.user, 7), 0.75f);
    EXPECT_EQ(source.buttonFlags, nullptr);
}

TEST_F(SystemInputTest, ScriptNativesAnswerForTheDevicesAndRejectBadIndices) {
    FakePad& pad = padInSlot(0, 4);
    start();
    input_fake()->keys[30] = 0x80;
    pad.state.rgbButtons[0] = 0x80;
    registerInputNatives(&input_, script("probe").c_str(), nullptr);
    ASSERT_NE(input_.task(), nullptr);
    ReportCapture::entries().clear();
    input_.update();
    EXPECT_EQ(answer(u"keyboard").toInt(), 0);
    EXPECT_EQ(answer(u"pad0").toInt(), 1);
    EXPECT_EQ(answer(u"pad1").toInt(), -1);
    EXPECT_EQ(answer(u"pad4").toInt(), -1);
    EXPECT_EQ(answer(u"padMinus").toInt(), -1);
    EXPECT_EQ(answer(u"keyCount").toInt(), 3);
    EXPECT_EQ(answer(u"padCount").toInt(), 4);
    EXPECT_EQ(answer(u"keyType").toInt(), 5);
    EXPECT_EQ(answer(u"padType").toInt(), 4);
    EXPECT_EQ(answer(u"missingType").toInt(), 0);
    EXPECT_EQ(answer(u"key0").toFloat(), 1.0f);
    EXPECT_EQ(answer(u"pad1Button").toFloat(), 1.0f);
    EXPECT_EQ(flag(u"keyUnassigned"), 0);  // a keyboard has no button flags
    EXPECT_EQ(flag(u"padUnassigned"), 1);
    EXPECT_EQ(flag(u"padAssigned"), 0);
    EXPECT_EQ(flag(u"badInvalid"), 0);
    EXPECT_TRUE(answer(u"args").isNull());
    EXPECT_EQ(answer(u"badDevice").toFloat(), 0.0f);
    EXPECT_EQ(answer(u"badButton").toFloat(), 0.0f);
    EXPECT_EQ(answer(u"badCount").toInt(), 0);
    // The script owns the rows: no direct copying, only its own (valid) write.
    EXPECT_EQ(value(0, 0), 0.0f);
    EXPECT_EQ(value(3, 15), 0.25f);
    std::vector<std::u16string> messages;
    for (const auto& entry : ReportCapture::entries()) messages.push_back(entry.text);
    EXPECT_EQ(messages, (std::vector<std::u16string>{
                            u"Message: [inputGetDeviceButtonState] device 5 is out of range",
                            u"Message: [inputGetDeviceButtonState] button 16 is out of range",
                            u"Message: [inputIsDeviceButtonInvalid] device -1 is out of range",
                            u"Message: [inputGetDeviceButtonCount] device 7 is out of range",
                            u"Message: [inputSetButtonState] player 4 is out of range",
                            u"Message: [inputSetButtonState] button -1 is out of range"}));
}

TEST_F(SystemInputTest, CompiledScriptRemapsWithItsArgumentsUntilTheEmptyPath) {
    start();
    ScriptVM other;
    const ScriptObject table = ScriptObject::newTable(other.vm());
    table.setInt(u"player", 1);
    table.setInt(u"from", 2);
    table.setInt(u"to", 5);
    registerInputNatives(&input_, script("remap").c_str(),
                         ScriptValueBuffer::create(other.vm(), table));
    input_fake()->keys[44] = 0x80;  // keyboard button 2
    for (int frame = 0; frame < 3; ++frame) {
        input_.update();
        EXPECT_EQ(value(1, 5), 1.0f);
        EXPECT_EQ(value(0, 2), 0.0f);
    }
    EXPECT_EQ(input_.arguments().getInt(u"to"), 5);

    // An empty path frees a given buffer and brings back direct copying.
    registerInputNatives(&input_, u"", ScriptValueBuffer::create(other.vm(), table));
    EXPECT_EQ(input_.task(), nullptr);
    EXPECT_TRUE(input_.arguments().isNull());
    input_.update();
    EXPECT_EQ(value(1, 5), 0.0f);
    EXPECT_EQ(value(0, 2), 1.0f);
}

}  // namespace
}  // namespace tessera::test
