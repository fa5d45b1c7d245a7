// The settings dialog drawn on a real display (ctest runs these under Xvfb): injected mouse and
// key events accept, cancel and change a combo box, and every tab and sub-dialog is captured
// as a PNG (into TESSERA_DIALOG_SHOTS when set).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "framework/config/d3d9_page.h"
#include "framework/config/dinput8_page.h"
#include "framework/input/dinput8.h"
#include "platform/input/fake_input_backend.h"
#include "platform/window/sdl_dialog_toolkit.h"
#include "tests/framework/config/config_fixture.h"
#include "tools/writers/png_writer.h"

namespace {

using namespace platform::window;

const PEL_D3D9_MODE kModes[] = {{0, 1280, 960, 0}, {0, 1024, 768, 0}, {0, 800, 600, 0},
                                {2, 1280, 960, 0}, {2, 1024, 768, 0}, {2, 800, 600, 0}};
const PEL_D3D9_REQUIREMENTS kVideo{kModes, 6, 1024, true};
const PEL_INPUT_BUTTON_DEF kButtons[] = {
    {u"上", PEL_INPUT_BUTTON_DIRECTION, 200},
    {u"下", PEL_INPUT_BUTTON_DIRECTION, 208},
    {u"決定", 0, 44},
    {u"キャンセル", 0, 45},
    {u"ダッシュ", PEL_INPUT_BUTTON_OPTIONAL | PEL_INPUT_BUTTON_ANALOG, 46}};
const PEL_INPUT_TYPE kLayouts[] = {{u"標準", kButtons, 5}, {u"左手", kButtons, 4}};
const PEL_INPUT_REQUIREMENTS kInput{kLayouts, 2, 2};

class RealDialog : public tessera::test::ConfigDialogTest {
protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        sdl = SdlDialogToolkit::open();
        if (!sdl) {
            const char* required = std::getenv("TESSERA_REQUIRE_DISPLAY");
            if (required && std::string(required) == "1") ADD_FAILURE() << "no display";
            GTEST_SKIP() << "no display";
        }
        platform::d3d9::setDirect3DCreate9Override([](platform::d3d9::UINT) {
            platform::d3d9::Direct3DConfig config;
            config.adapters = {platform::d3d9::softwareAdapterProfile(),
                               platform::d3d9::softwareAdapterProfile(1)};
            return new platform::d3d9::IDirect3D9(config);
        });
        pelD3d9Finalize();
        pelD3d9Initialize();
        fake = std::make_shared<platform::input::FakeInput>();
        fake->addPad({0x03, 1, 8}, u"テスト用パッド");
        platform::input::setDirectInput8CreateOverride([this](platform::input::DWORD) {
            return platform::input::createFakeDirectInput(fake);
        });
        pelDinput8Finalize();
        pelDinput8Initialize();
        dialog.reportHeader = u"Tessera test\r\n";
        pelD3d9ConfigAddPage(&video, &dialog, &kVideo);
        pelDinput8ConfigAddPage(&input, &dialog, &kInput);
    }
    void TearDown() override {
        pelDinput8Finalize();
        platform::input::setDirectInput8CreateOverride(nullptr);
        pelD3d9Finalize();
        platform::d3d9::setDirect3DCreate9Override(nullptr);
        sdl.reset();
        ConfigDialogTest::TearDown();
    }

    // Captures the innermost window as "<name>.png"; checks it holds a drawn frame.
    void shot(SdlDialogToolkit& t, const std::string& name) {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = t.capture(t.modalWindow(), width, height);
        ASSERT_EQ(width, t.windowWidth(t.modalWindow()));
        ASSERT_EQ(height, t.windowHeight(t.modalWindow()));
        // Text and frames make dark pixels on the light face.
        size_t dark = 0;
        for (uint32_t pixel : pixels) dark += (pixel & 0xFF) < 0x60;
        EXPECT_GT(dark, 200u) << name;
        const char* folder = std::getenv("TESSERA_DIALOG_SHOTS");
        const std::string path =
            (folder ? std::string(folder) : temp().path()) + "/" + name + ".png";
        EXPECT_TRUE(tools::writers::writePng(path, static_cast<uint32_t>(width),
                                       static_cast<uint32_t>(height), pixels));
    }

    static void clickAt(SdlDialogToolkit& t, int x, int y) {
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.windowID = t.sdlWindowId(t.modalWindow());
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = SDL_PRESSED;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
        event.type = SDL_MOUSEBUTTONUP;
        event.button.state = SDL_RELEASED;
        SDL_PushEvent(&event);
    }
    static void click(SdlDialogToolkit& t, DialogControl control) {
        const DialogRect& r = t.control(control)->rect;
        clickAt(t, r.x + r.width / 2, r.y + std::min(r.height, t.unit()) / 2 + 2);
    }
    static void key(SdlDialogToolkit& t, SDL_Keycode sym) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = t.sdlWindowId(t.modalWindow());
        event.key.keysym.sym = sym;
        SDL_PushEvent(&event);
    }
    static DialogControl nth(SdlDialogToolkit& t, DialogControlKind kind, int n) {
        int seen = 0;
        for (DialogControl id : t.controlsOf(t.modalWindow()))
            if (t.control(id)->kind == kind && seen++ == n) return id;
        return 0;
    }
    static DialogControl withText(SdlDialogToolkit& t, std::u16string_view text) {
        for (DialogControl id : t.controlsOf(t.modalWindow()))
            if (t.control(id)->text == text) return id;
        return 0;
    }
    // The middle of tab `index` of the tab control.
    static void clickTab(SdlDialogToolkit& t, int index) {
        const DialogControlState* tab = t.control(nth(t, DialogControlKind::Tab, 0));
        int x = tab->rect.x + 2;
        for (int i = 0; i < index; ++i) x += t.font().width(tab->tabs[i]) + t.unit();
        clickAt(t, x + 6, tab->rect.y + t.unit() / 2 + 2);
    }

    std::unique_ptr<SdlDialogToolkit> sdl;
    std::shared_ptr<platform::input::FakeInput> fake;
    PEL_D3D9_SETTINGS video{};
    PEL_INPUT_SETTINGS input{};
};

TEST_F(RealDialog, TabsComboAndSubDialogsThenAccept) {
    SdlDialogToolkit& t = *sdl;
    DialogControl modeCombo = 0;
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_TRUE(t.control(nth(s, DialogControlKind::Report, 0))->visible);
        shot(s, "tab_information");
        clickTab(s, 1);
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(s.tabSelection(nth(s, DialogControlKind::Tab, 0)), 1);
        shot(s, "tab_video");
        modeCombo = nth(s, DialogControlKind::Combo, 1);
        click(s, modeCombo);  // opens the list
    });
    t.then([&](SdlDialogToolkit& s) {
        shot(s, "tab_video_mode_list");
        const DialogRect& r = s.control(modeCombo)->rect;
        const int box = s.unit() * 14 / 8;
        clickAt(s, r.x + 20, r.y + box + 1 + 1 * (s.unit() + 2) + s.unit() / 2);  // item 1
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(s.comboSelectedData(modeCombo), 1);
        EXPECT_EQ(video.mode.width, 1024u);
        key(s, SDLK_DOWN);  // the combo box kept the focus
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(video.mode.width, 800u);
        clickTab(s, 2);
    });
    t.then([&](SdlDialogToolkit& s) {
        shot(s, "tab_controller");
        click(s, nth(s, DialogControlKind::Button, 3));  // slot 1's "設定"
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(s.windowTitle(s.modalWindow()), u"コントローラ1の設定");
        shot(s, "slot_dialog");
        click(s, nth(s, DialogControlKind::Button, 0));  // the controller choice
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(s.windowTitle(s.modalWindow()), u"コントローラの設定");
        shot(s, "choice_dialog");
        key(s, SDLK_ESCAPE);
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(s.windowTitle(s.modalWindow()), u"コントローラ1の設定");
        // Choose the layout "左手" through the type combo box's list.
        const DialogControl types = nth(s, DialogControlKind::Combo, 0);
        click(s, types);
    });
    t.then([&](SdlDialogToolkit& s) {
        const DialogControl types = nth(s, DialogControlKind::Combo, 0);
        const DialogRect& r = s.control(types)->rect;
        const int box = s.unit() * 14 / 8;
        clickAt(s, r.x + 20, r.y + box + 1 + 1 * (s.unit() + 2) + s.unit() / 2);
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_FALSE(s.control(nth(s, DialogControlKind::Button, 5))->visible);
        shot(s, "slot_dialog_layout");
        click(s, withText(s, u"OK"));
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(input.padTypes[0], 1u);
        // The keyboard's slot dialog and its key capture.
        click(s, nth(s, DialogControlKind::Button, 2));
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_EQ(s.windowTitle(s.modalWindow()), u"キーボードの設定");
        shot(s, "keyboard_dialog");
        click(s, nth(s, DialogControlKind::Button, 0));
    });
    t.then([&](SdlDialogToolkit& s) {
        shot(s, "key_capture_dialog");
        click(s, withText(s, u"キャンセル"));
    });
    t.then([&](SdlDialogToolkit& s) { key(s, SDLK_ESCAPE); });
    t.then([&](SdlDialogToolkit& s) { click(s, withText(s, u"OK")); });

    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, t), PEL_OK);
    EXPECT_EQ(setting(u"Config", u"videoWidth"), u"800");
    EXPECT_EQ(setting(u"Config", u"inputPad0Type"), u"(none)");  // no pad was chosen
    EXPECT_EQ(setting(u"Config", u"default"), u"1");
}

TEST_F(RealDialog, EscapeCancels) {
    SdlDialogToolkit& t = *sdl;
    t.then([&](SdlDialogToolkit& s) {
        clickTab(s, 1);
        click(s, nth(s, DialogControlKind::Check, 2));
    });
    t.then([&](SdlDialogToolkit& s) {
        EXPECT_TRUE(s.control(nth(s, DialogControlKind::Check, 2))->checked);
        shot(s, "tab_video_checked");
        key(s, SDLK_ESCAPE);
    });
    EXPECT_EQ(pelMswConfigRunWith(&dialog, true, t), PEL_E_IO);
    EXPECT_EQ(settings(), "");
}

}  // namespace
