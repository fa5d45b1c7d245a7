// The controller page with fake pads: automatic assignment and filling the required buttons,
// loading and saving the input keys, the slot dialog and its choice and capture dialogs driven
// by timer ticks, and the report's controller block.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/config/dinput8_page.h"
#include "framework/input/dinput8.h"
#include "platform/input/fake_input_backend.h"
#include "tests/framework/config/config_fixture.h"

namespace {

using namespace platform::input;
using platform::window::DialogControlKind;
using platform::window::HeadlessDialogToolkit;

constexpr uint32_t kOptional = PEL_INPUT_BUTTON_OPTIONAL;
constexpr uint32_t kDirection = PEL_INPUT_BUTTON_DIRECTION;
constexpr uint32_t kAnalog = PEL_INPUT_BUTTON_ANALOG;

const PEL_INPUT_BUTTON_DEF kStandardButtons[] = {{u"上", kDirection, 200},
                                                 {u"下", kDirection, 208},
                                                 {u"左", kDirection, 203},
                                                 {u"右", kDirection, 205},
                                                 {u"A", 0, 44},
                                                 {u"B", 0, 45},
                                                 {u"C", kOptional | kAnalog, 46},
                                                 {u"D", kOptional, 47}};
const PEL_INPUT_BUTTON_DEF kSmallButtons[] = {
    {u"X", 0, 30}, {u"Y", 0, 31}, {u"Z", 0, 32}, {u"W", kOptional, 33}};
const PEL_INPUT_TYPE kLayouts[] = {{u"標準", kStandardButtons, 8}, {u"小", kSmallButtons, 4}};
const PEL_INPUT_REQUIREMENTS kRequirements{kLayouts, 2, 2};

// A pad with a stick (X, Y), one hat and four buttons.
const PadShape kStickPad{0x03, 1, 4};

class ControllerPage : public tessera::test::ConfigDialogTest {
protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        fake = std::make_shared<FakeInput>();
        useDirectInput(true);
    }
    void TearDown() override {
        pelDinput8Finalize();
        setDirectInput8CreateOverride(nullptr);
        ConfigDialogTest::TearDown();
    }

    void useDirectInput(bool present) {
        pelDinput8Finalize();
        setDirectInput8CreateOverride([this, present](DWORD) -> IDirectInput8* {
            return present ? createFakeDirectInput(fake) : nullptr;
        });
        pelDinput8Initialize();
    }

    PEL_STATUS run(std::vector<HeadlessDialogToolkit::Step> steps = {}) {
        pelDinput8ConfigAddPage(&settings, &dialog, &kRequirements);
        for (auto& step : steps) toolkit.then(step);
        return pelMswConfigRunWith(&dialog, !steps.empty(), toolkit);
    }

    // The controller block of the logged report.
    std::u16string controllerReport() const {
        const std::vector<std::u16string> logged = reports(PEL_REPORT_INFORMATION);
        if (logged.empty()) return u"(none)";
        const size_t at = logged.back().find(u"-----\r\nController Setting");
        return at == std::u16string::npos ? u"(none)" : logged.back().substr(at);
    }
    size_t warnings(std::u16string_view text) const {
        size_t count = 0;
        for (const std::u16string& warning : reports(PEL_REPORT_WARNING))
            count += warning.find(text) != std::u16string::npos;
        return count;
    }

    // Steps of the user.
    static void showControllerTab(HeadlessDialogToolkit& t) {
        ASSERT_TRUE(t.selectTab(t.nth(t.modalWindow(), DialogControlKind::Tab, 0), 1));
    }
    // The page's "設定" buttons: the keyboard's (0) and the slots' (1, 2).
    static void openSlot(HeadlessDialogToolkit& t, int row) {
        ASSERT_TRUE(t.click(t.nth(t.modalWindow(), DialogControlKind::Button, 2 + row)));
    }
    // In a pad's slot dialog: the controller button, and each logical button's row button.
    static PEL_MSW_CONTROL controllerButton(HeadlessDialogToolkit& t) {
        return t.nth(t.modalWindow(), DialogControlKind::Button, 0);
    }
    static PEL_MSW_CONTROL rowButton(HeadlessDialogToolkit& t, int button, bool pad = true) {
        return t.nth(t.modalWindow(), DialogControlKind::Button, (pad ? 1 : 0) + button);
    }
    static PEL_MSW_CONTROL rowEdit(HeadlessDialogToolkit& t, int button, bool pad = true) {
        return t.nth(t.modalWindow(), DialogControlKind::Edit, (pad ? 1 : 0) + button);
    }
    static void clickText(HeadlessDialogToolkit& t, std::u16string_view text) {
        ASSERT_TRUE(t.click(t.find(t.modalWindow(), text))) << "no " << text.size();
    }
    // Gives the innermost dialog the keyboard focus, so that its foreground devices read.
    HeadlessDialogToolkit::Step focus() {
        return [this](HeadlessDialogToolkit& t) {
            fake->focusWindow = t.nativeHandle(t.modalWindow());
        };
    }
    HeadlessDialogToolkit::Step click(std::u16string text) {
        return [text](HeadlessDialogToolkit& t) { clickText(t, text); };
    }
    HeadlessDialogToolkit::Step tick() {
        return [](HeadlessDialogToolkit& t) { ASSERT_TRUE(t.tick(12345)); };
    }
    // Presses and releases a pad's button across two ticks.
    std::vector<HeadlessDialogToolkit::Step> pressButton(FakePad& pad, int button) {
        return {[&pad, button](HeadlessDialogToolkit& t) {
                    pad.state.rgbButtons[button] = 0x80;
                    ASSERT_TRUE(t.tick(12345));
                },
                [&pad, button](HeadlessDialogToolkit& t) {
                    pad.state.rgbButtons[button] = 0;
                    ASSERT_TRUE(t.tick(12345));
                }};
    }

    // A page record outside the dialog, for the record operations.
    PEL_DINPUT8_PAGE page() {
        PEL_DINPUT8_PAGE record{};
        record.settings = &settings;
        record.requirements = kRequirements;
        return record;
    }

    std::shared_ptr<FakeInput> fake;
    PEL_INPUT_SETTINGS settings{};
};

void append(std::vector<HeadlessDialogToolkit::Step>& steps,
            std::vector<HeadlessDialogToolkit::Step> more) {
    steps.insert(steps.end(), more.begin(), more.end());
}

TEST_F(ControllerPage, AutomaticAssignment) {
    struct Case {
        const char* name;
        PadShape shape;
        uint32_t layout;
        std::vector<uint32_t> codes;
    };
    const Case cases[] = {
        // The arrow-key directions take the stick's halves, the required buttons the lowest
        // buttons, the optional ones what is left.
        {"stick", kStickPad, 0, {3, 4, 1, 2, 29, 30, 31, 32}},
        {"three axes pairs and no buttons", {0x07, 0, 0}, 0, {3, 4, 1, 2, 5, 6, 0, 0}},
        {"hat only", {0, 1, 4}, 0, {13, 14, 15, 16, 29, 30, 31, 32}},
        {"buttons only", {0, 0, 6}, 0, {29, 30, 31, 32, 33, 34, 0, 0}},
        // Too few objects: the optional buttons give theirs to the required ones.
        {"two buttons for four required", {0, 0, 2}, 1, {29, 30, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PEL_DINPUT8_PAGE record = page();
        PEL_DINPUT8_DEVICE_ENTRY device{};
        for (uint32_t axis = 0; axis < 6; ++axis)
            if (c.shape.hasAxis(axis))
                device.present[2 * axis + 1] = device.present[2 * axis + 2] = true;
        for (uint32_t d = 0; d < 4u * c.shape.hats; ++d) device.present[13 + d] = true;
        for (uint32_t b = 0; b < c.shape.buttons; ++b) device.present[29 + b] = true;
        PEL_DINPUT8_SLOT_DIALOG slot{};
        slot.page = &record;
        slot.slot = 1;
        slot.layout = c.layout;
        pelDinput8ConfigAutoAssign(&slot, device);
        EXPECT_EQ(std::vector<uint32_t>(slot.settings.padButtons[1],
                                        slot.settings.padButtons[1] + c.codes.size()),
                  c.codes);
    }
}

TEST_F(ControllerPage, FillRequiredMovesTheLastOptionalCode) {
    struct Case {
        int32_t spared;
        std::vector<uint32_t> codes;  // of the eight buttons, before and after
        std::vector<uint32_t> filled;
    };
    const Case cases[] = {
        {-1, {3, 4, 1, 2, 0, 29, 31, 32}, {3, 4, 1, 2, 32, 29, 31, 0}},
        {7, {3, 4, 1, 2, 0, 29, 31, 32}, {3, 4, 1, 2, 31, 29, 0, 32}},
        // The last required button without a code is filled first.
        {-1, {3, 0, 1, 2, 0, 29, 31, 32}, {3, 31, 1, 2, 32, 29, 0, 0}},
        {6, {3, 4, 1, 2, 0, 29, 31, 0}, {3, 4, 1, 2, 0, 29, 31, 0}},
    };
    for (const Case& c : cases) {
        PEL_DINPUT8_PAGE record = page();
        PEL_DINPUT8_SLOT_DIALOG slot{};
        slot.page = &record;
        slot.slot = 0;
        std::copy(c.codes.begin(), c.codes.end(), slot.settings.padButtons[0]);
        slot.settings.padAnalog[0][7] = 1;
        pelDinput8ConfigFillRequired(&slot, c.spared);
        EXPECT_EQ(
            std::vector<uint32_t>(slot.settings.padButtons[0], slot.settings.padButtons[0] + 8),
            c.filled);
    }
}

TEST_F(ControllerPage, CodeTextsAndGuidText) {
    struct Case {
        uint32_t code;
        bool analog, capture;
        std::u16string text;
    };
    const Case cases[] = {{0, false, false, u"なし"},
                          {3, false, false, u"方向3"},
                          {3, true, true, u"方向ボタン3(アナログ)"},
                          {13, false, false, u"視点1"},
                          {28, false, true, u"視点ボタン16"},
                          {29, false, false, u"ボタン1"},
                          {60, false, true, u"ボタン32"},
                          {61, false, false, u"なし"}};
    for (const Case& c : cases) EXPECT_EQ(pelDinput8CodeText(c.code, c.analog, c.capture), c.text);

    const GUID guid{0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(pelDinput8GuidText(guid), u"12345678_def09abc_4030201_8070605");
    GUID parsed{};
    ASSERT_TRUE(pelDinput8ParseGuid(u"12345678_def09abc_4030201_8070605", &parsed));
    EXPECT_TRUE(parsed == guid);
    for (const char16_t* bad : {u"", u"1_2_3", u"1_2_3_4_5", u"1_2_3_x", u"123456789_0_0_0"})
        EXPECT_FALSE(pelDinput8ParseGuid(bad, &parsed));
}

TEST_F(ControllerPage, LoadAndSaveRoundTrip) {
    fake->addPad(kStickPad, u"Pad one");
    fake->addPad({0, 1, 12}, u"Pad two");
    // Keyboard layout 1 with one key over 255 (its default stays); slot 0 plays pad 2 with
    // layout 1, slot 1 pad 1 with layout 0; an assignment with a code out of range.
    writeSettings(
        "[Config]\r\ndefault=1\r\ninputKeyType=1\r\ninputKey0=57\r\ninputKey1=300\r\n"
        "inputPad0Instance=2_0_0_0\r\ninputPad0Type=1\r\n"
        "inputPad1Instance=1_0_0_0\r\ninputPad1Type=0\r\n"
        "[configInputPadButtonSetting]\r\n"
        "guid0=2_0_0_0\r\ntype0=1\r\nbutton0_0=13\r\nbutton0_1=40\r\nbutton0_2=61\r\n"
        "guid1=1_0_0_0\r\ntype1=0\r\nbutton1_0=3\r\nbutton1_4=29\r\nbutton1_6=5\r\n"
        "buttonFlag1_6=1\r\nbuttonFlag1_7=1\r\n"
        "guid2=1_0_0_0\r\ntype2=1\r\nbutton2_0=31\r\n");
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(warnings(u"前回使用したコントローラ"), 0u);
    EXPECT_EQ(settings.keyboardType, 1u);
    EXPECT_EQ(settings.keyCodes[0], 57u);
    EXPECT_EQ(settings.keyCodes[1], 31u);
    EXPECT_EQ(settings.keyCodes[2], 32u);
    EXPECT_EQ(settings.padFlags[0], 1u);
    EXPECT_EQ(settings.padInstances[0].Data1, 2u);
    EXPECT_EQ(settings.padTypes[0], 1u);
    EXPECT_EQ(std::vector<uint32_t>(settings.padButtons[0], settings.padButtons[0] + 4),
              (std::vector<uint32_t>{13, 40, 0, 0}));
    EXPECT_EQ(settings.padFlags[1], 1u);
    EXPECT_EQ(settings.padButtons[1][6], 5u);
    EXPECT_EQ(settings.padAnalog[1][6], 1u);
    // A flag is read only for a button with a code.
    EXPECT_EQ(settings.padAnalog[1][7], 0u);
    const PEL_INPUT_SETTINGS first = settings;

    EXPECT_EQ(setting(u"configInputPadButtonSetting", u"guid3"), u"");
    EXPECT_EQ(setting(u"configInputPadButtonSetting", u"button2_0"), u"31");
    EXPECT_EQ(setting(u"configInputPadButtonSetting", u"button0_2"), u"0");
    EXPECT_EQ(setting(u"Config", u"inputPad1Instance"), u"1_0_0_0");
    EXPECT_EQ(setting(u"Config", u"inputKey1"), u"31");
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(std::memcmp(&first, &settings, sizeof settings), 0);
}

TEST_F(ControllerPage, MissingControllersWarnOnceAndLeaveTheSlotsEmpty) {
    fake->addPad(kStickPad, u"Pad one");
    writeSettings(
        "[Config]\r\ndefault=1\r\n"
        "inputPad0Instance=7_0_0_0\r\ninputPad0Type=0\r\n"
        "inputPad1Instance=8_0_0_0\r\ninputPad1Type=0\r\n"
        "inputPad2Instance=9_0_0_0\r\ninputPad2Type=0\r\n"
        "[configInputPadButtonSetting]\r\nguid0=7_0_0_0\r\ntype0=0\r\nbutton0_0=1\r\n");
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(warnings(u"Warning: [loadSetting] 前回使用したコントローラが見つかりませんでした。"),
              1u);
    EXPECT_EQ(settings.padFlags[0] | settings.padFlags[1] | settings.padFlags[2], 0u);
    EXPECT_EQ(settings.keyCodes[0], 200u);  // the defaults of layout 0
}

TEST_F(ControllerPage, ChoosingAControllerAssignsItAutomatically) {
    FakePad& pad = fake->addPad(kStickPad, u"Stick pad");
    std::vector<HeadlessDialogToolkit::Step> steps = {
        showControllerTab, [](HeadlessDialogToolkit& t) { openSlot(t, 1); },
        [](HeadlessDialogToolkit& t) {
            EXPECT_EQ(t.windowTitle(t.modalWindow()), u"コントローラ1の設定");
            EXPECT_EQ(t.control(rowButton(t, 0))->text, u"上*");
            EXPECT_EQ(t.control(rowButton(t, 6))->text, u"C");
            EXPECT_FALSE(t.control(rowButton(t, 0))->enabled);  // no controller yet
            ASSERT_TRUE(t.click(controllerButton(t)));
        },
        focus(),
        [](HeadlessDialogToolkit& t) {
            EXPECT_EQ(t.windowTitle(t.modalWindow()), u"コントローラの設定");
            EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 0))->text, u"なし");
        }};
    append(steps, pressButton(pad, 3));
    steps.push_back([](HeadlessDialogToolkit& t) {
        EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 0))->text,
                  u"Stick pad");
        clickText(t, u"OK");
    });
    steps.push_back([](HeadlessDialogToolkit& t) {
        EXPECT_EQ(t.control(rowEdit(t, 0))->text, u"方向3");
        EXPECT_EQ(t.control(rowEdit(t, 4))->text, u"ボタン1");
        EXPECT_TRUE(t.control(rowButton(t, 6))->enabled);
        clickText(t, u"OK");
    });
    steps.push_back([&](HeadlessDialogToolkit& t) {
        EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 1))->text,
                  u"Stick pad");
        EXPECT_EQ(settings.padFlags[0], 1u);
        clickText(t, u"OK");
    });
    ASSERT_EQ(run(steps), PEL_OK);
    EXPECT_EQ(std::vector<uint32_t>(settings.padButtons[0], settings.padButtons[0] + 8),
              (std::vector<uint32_t>{3, 4, 1, 2, 29, 30, 31, 32}));
    EXPECT_EQ(setting(u"Config", u"inputPad0Instance"), u"1_0_0_0");
    EXPECT_EQ(setting(u"configInputPadButtonSetting", u"guid0"), u"1_0_0_0");
    EXPECT_EQ(setting(u"configInputPadButtonSetting", u"button0_4"), u"29");
    // The devices went back to the dialog window after the choice.
    EXPECT_EQ(pad.polls > 0, true);
}

TEST_F(ControllerPage, CapturingAnotherButtonsCodeSwapsAndAnalogIsAsked) {
    FakePad& pad = fake->addPad(kStickPad, u"Stick pad");
    writeSettings(
        "[Config]\r\ndefault=1\r\ninputPad0Instance=1_0_0_0\r\ninputPad0Type=0\r\n"
        "[configInputPadButtonSetting]\r\nguid0=1_0_0_0\r\ntype0=0\r\nbutton0_0=3\r\n"
        "button0_1=4\r\nbutton0_2=1\r\nbutton0_3=2\r\nbutton0_4=29\r\nbutton0_5=30\r\n"
        "button0_6=31\r\nbutton0_7=32\r\n");
    toolkit.answerYesNo(true);
    std::vector<HeadlessDialogToolkit::Step> steps = {
        showControllerTab, [](HeadlessDialogToolkit& t) { openSlot(t, 1); },
        // A takes B's button.
        [](HeadlessDialogToolkit& t) { ASSERT_TRUE(t.click(rowButton(t, 4))); }, focus(),
        [](HeadlessDialogToolkit& t) {
            EXPECT_EQ(t.windowTitle(t.modalWindow()), u"ボタンの設定");
            EXPECT_EQ(t.find(t.modalWindow(), u"このボタンを使わない"), 0);  // required
            EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 0))->text,
                      u"ボタン1");
        }};
    append(steps, pressButton(pad, 1));
    steps.push_back([](HeadlessDialogToolkit& t) {
        EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 0))->text, u"ボタン2");
        clickText(t, u"OK");
    });
    // C (analog allowed) takes the stick's X+ half: asked, and answered Yes.
    steps.push_back([](HeadlessDialogToolkit& t) {
        EXPECT_EQ(t.control(rowEdit(t, 4))->text, u"ボタン2");
        EXPECT_EQ(t.control(rowEdit(t, 5))->text, u"ボタン1");
        ASSERT_TRUE(t.click(rowButton(t, 6)));
    });
    steps.push_back(focus());
    steps.push_back([&pad](HeadlessDialogToolkit& t) {
        EXPECT_NE(t.find(t.modalWindow(), u"このボタンを使わない"), 0);
        pad.state.lX = 30000;
        ASSERT_TRUE(t.tick(12345));
        EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 0))->text,
                  u"方向ボタン2");
        clickText(t, u"OK");
    });
    steps.push_back([](HeadlessDialogToolkit& t) {
        // C had 31, right (X+) gets it.
        EXPECT_EQ(t.control(rowEdit(t, 6))->text, u"方向2(アナログ)");
        EXPECT_EQ(t.control(rowEdit(t, 3))->text, u"ボタン3");
        clickText(t, u"OK");
    });
    steps.push_back(click(u"OK"));
    ASSERT_EQ(run(steps), PEL_OK);
    ASSERT_EQ(toolkit.questions().size(), 1u);
    EXPECT_EQ(toolkit.questions()[0].caption, u"ボタンの種類選択");
    EXPECT_EQ(toolkit.questions()[0].text.rfind(u"選んだボタンはアナログ対応ですか？\r\n", 0), 0u);
    EXPECT_EQ(std::vector<uint32_t>(settings.padButtons[0], settings.padButtons[0] + 8),
              (std::vector<uint32_t>{3, 4, 1, 31, 30, 29, 2, 32}));
    EXPECT_EQ(settings.padAnalog[0][6], 1u);
    EXPECT_EQ(setting(u"configInputPadButtonSetting", u"buttonFlag0_6"), u"1");
}

TEST_F(ControllerPage, ChoosingForSlotTwoTheControllerOfSlotOneEmptiesSlotOne) {
    FakePad& pad = fake->addPad(kStickPad, u"Stick pad");
    writeSettings(
        "[Config]\r\ndefault=1\r\ninputPad0Instance=1_0_0_0\r\ninputPad0Type=0\r\n"
        "[configInputPadButtonSetting]\r\nguid0=1_0_0_0\r\ntype0=0\r\nbutton0_0=13\r\n");
    std::vector<HeadlessDialogToolkit::Step> steps = {
        showControllerTab, [](HeadlessDialogToolkit& t) { openSlot(t, 2); },
        [](HeadlessDialogToolkit& t) { ASSERT_TRUE(t.click(controllerButton(t))); }, focus()};
    append(steps, pressButton(pad, 0));
    steps.push_back(click(u"OK"));
    steps.push_back([](HeadlessDialogToolkit& t) {
        // The remembered assignment of the pad and layout came back.
        EXPECT_EQ(t.control(rowEdit(t, 0))->text, u"視点1");
        clickText(t, u"OK");
    });
    steps.push_back([](HeadlessDialogToolkit& t) {
        EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 1))->text, u"なし");
        EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 2))->text,
                  u"Stick pad");
        clickText(t, u"OK");
    });
    ASSERT_EQ(run(steps), PEL_OK);
    EXPECT_EQ(settings.padFlags[0], 0u);
    EXPECT_EQ(settings.padFlags[1], 1u);
    EXPECT_EQ(setting(u"Config", u"inputPad0Instance"), u"");
    EXPECT_EQ(setting(u"Config", u"inputPad1Instance"), u"1_0_0_0");
}

TEST_F(ControllerPage, ControllerWithTooFewObjectsCannotBeChosen) {
    FakePad& pad = fake->addPad({0, 0, 3}, u"Three buttons");
    std::vector<HeadlessDialogToolkit::Step> steps = {
        showControllerTab, [](HeadlessDialogToolkit& t) { openSlot(t, 1); },
        [](HeadlessDialogToolkit& t) { ASSERT_TRUE(t.click(controllerButton(t))); }, focus()};
    append(steps, pressButton(pad, 2));
    steps.push_back([](HeadlessDialogToolkit& t) {
        EXPECT_NE(t.find(t.modalWindow(), u"現在設定されているコントローラ(ボタンが足りません)"),
                  0);
        EXPECT_FALSE(t.click(t.find(t.modalWindow(), u"OK")));
        clickText(t, u"コントローラを使わない");
        EXPECT_TRUE(t.click(t.find(t.modalWindow(), u"OK")));
    });
    steps.push_back(click(u"キャンセル"));
    steps.push_back(click(u"OK"));
    ASSERT_EQ(run(steps), PEL_OK);
    EXPECT_EQ(settings.padFlags[0], 0u);
}

TEST_F(ControllerPage, OptionalRowsNeedMoreObjectsThanRequiredButtons) {
    struct Case {
        uint8_t buttons;
        bool optionalEnabled;
    };
    for (const Case c : {Case{3, false}, Case{4, true}}) {
        SCOPED_TRACE(static_cast<int>(c.buttons));
        fake->pads.clear();
        fake->addPad({0, 0, c.buttons}, u"Pad");
        writeSettings(
            "[Config]\r\ndefault=1\r\ninputPad0Instance=1_0_0_0\r\ninputPad0Type=1\r\n"
            "[configInputPadButtonSetting]\r\nguid0=1_0_0_0\r\ntype0=1\r\nbutton0_0=29\r\n");
        std::vector<HeadlessDialogToolkit::Step> steps = {
            showControllerTab, [](HeadlessDialogToolkit& t) { openSlot(t, 1); },
            [&](HeadlessDialogToolkit& t) {
                // Layout "小": three required buttons and one optional; the rest hidden.
                EXPECT_TRUE(t.control(rowButton(t, 2))->enabled);
                EXPECT_EQ(t.control(rowButton(t, 3))->enabled, c.optionalEnabled);
                EXPECT_FALSE(t.control(rowButton(t, 4))->visible);
                clickText(t, u"キャンセル");
            },
            click(u"キャンセル")};
        EXPECT_EQ(run(steps), PEL_E_IO);
    }
}

TEST_F(ControllerPage, KeyboardSlotCapturesKeysAndOkZeroesKeysPastTheLayout) {
    // Layout "小" has four buttons; keys saved for more are dropped on OK.
    writeSettings(
        "[Config]\r\ndefault=1\r\ninputKeyType=1\r\ninputKey0=30\r\ninputKey1=31\r\n"
        "inputKey2=32\r\ninputKey3=33\r\ninputKey4=34\r\ninputKey9=35\r\n");
    std::vector<HeadlessDialogToolkit::Step> steps = {
        showControllerTab,
        [](HeadlessDialogToolkit& t) { openSlot(t, 0); },
        [](HeadlessDialogToolkit& t) {
            EXPECT_EQ(t.windowTitle(t.modalWindow()), u"キーボードの設定");
            EXPECT_EQ(t.control(rowEdit(t, 0, false))->text, u"A");
            ASSERT_TRUE(t.click(rowButton(t, 0, false)));
        },
        focus(),
        [this](HeadlessDialogToolkit& t) {
            fake->keys[32] = 0x80;  // D, held by button Z
            ASSERT_TRUE(t.tick(12345));
            EXPECT_EQ(t.control(t.nth(t.modalWindow(), DialogControlKind::Edit, 0))->text, u"D");
            clickText(t, u"OK");
        },
        [](HeadlessDialogToolkit& t) {
            EXPECT_EQ(t.control(rowEdit(t, 0, false))->text, u"D");
            EXPECT_EQ(t.control(rowEdit(t, 2, false))->text, u"A");
            clickText(t, u"OK");
        },
        click(u"OK")};
    ASSERT_EQ(run(steps), PEL_OK);
    EXPECT_EQ(std::vector<uint32_t>(settings.keyCodes, settings.keyCodes + 10),
              (std::vector<uint32_t>{32, 31, 30, 33, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ControllerPage, ReportTexts) {
    fake->addPad({0, 0, 4}, u"Four buttons");
    writeSettings(
        "[Config]\r\ndefault=1\r\ninputKeyType=1\r\ninputPad1Instance=1_0_0_0\r\n"
        "inputPad1Type=1\r\n"
        "[configInputPadButtonSetting]\r\nguid0=1_0_0_0\r\ntype0=1\r\nbutton0_0=29\r\n"
        "button0_1=3\r\nbuttonFlag0_1=1\r\nbutton0_2=14\r\n");
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(controllerReport(),
              u"-----\r\nController Setting\r\n  Keyboard: \r\n    Type: 小\r\n"
              u"    X: A\r\n    Y: S\r\n    Z: D\r\n    W: F\r\n"
              u"  Controller1: \r\n    Invalid.\r\n"
              u"  Controller2: \r\n    Type: 小\r\n    Device: Four buttons\r\n"
              u"    X: ボタン1\r\n    Y: 方向3(アナログ)\r\n    Z: 視点2\r\n    W: なし\r\n\r\n");

    useDirectInput(false);
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(controllerReport(),
              u"-----\r\nController Setting\r\n  DirectInput8が見つかりません。\r\n\r\n");
    EXPECT_EQ(warnings(u"Warning: [pluginOnInit] 使用可能なDirectInput8が見つかりません。"), 1u);
}

}  // namespace
