// The version check's dialogs drawn on a real display (ctest runs these under Xvfb): injected
// clicks cancel the progress dialog and follow the link, and both dialogs are captured as PNG
// (into TESSERA_DIALOG_SHOTS when set).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/config/version_check_dialogs.h"
#include "platform/window/sdl_dialog_toolkit.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

using namespace platform::window;

class RealVersionDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        sdl = SdlDialogToolkit::open();
        if (!sdl) {
            const char* required = std::getenv("TESSERA_REQUIRE_DISPLAY");
            if (required && std::string(required) == "1") ADD_FAILURE() << "no display";
            GTEST_SKIP() << "no display";
        }
    }

    // Captures the window as "<name>.png"; its text and frames make dark pixels, the link and
    // the icon blue ones.
    void shot(DialogWindow window, const std::string& name, bool expectBlue) {
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = sdl->capture(window, width, height);
        ASSERT_EQ(width, sdl->windowWidth(window));
        size_t dark = 0, blue = 0;
        for (uint32_t pixel : pixels) {
            dark += (pixel & 0xFF) < 0x60 && ((pixel >> 16) & 0xFF) < 0x60;
            blue += (pixel & 0xFF) > 0xC0 && ((pixel >> 16) & 0xFF) < 0x40;
        }
        EXPECT_GT(dark, 200u) << name;
        if (expectBlue) {
            EXPECT_GT(blue, 100u) << name;
        }
        const char* folder = std::getenv("TESSERA_DIALOG_SHOTS");
        const std::string path = (folder ? std::string(folder) : temp.path()) + "/" + name + ".png";
        EXPECT_TRUE(tools::writers::writePng(path, static_cast<uint32_t>(width),
                                             static_cast<uint32_t>(height), pixels));
    }
    void clickOn(DialogWindow window, DialogControl control) {
        const DialogRect& r = sdl->control(control)->rect;
        SDL_Event event{};
        event.type = SDL_MOUSEBUTTONDOWN;
        event.button.windowID = sdl->sdlWindowId(window);
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = r.x + r.width / 2;
        event.button.y = r.y + r.height / 2;
        SDL_PushEvent(&event);
        event.type = SDL_MOUSEBUTTONUP;
        SDL_PushEvent(&event);
    }
    DialogControl withText(DialogWindow window, std::u16string_view text) {
        for (DialogControl id : sdl->controlsOf(window))
            if (sdl->control(id)->text == text) return id;
        return 0;
    }

    std::unique_ptr<SdlDialogToolkit> sdl;
    TempDir temp;
};

TEST_F(RealVersionDialogs, ProgressCancelAndNewerVersionLink) {
    VersionCheckDialogs dialogs(*sdl);
    ASSERT_TRUE(dialogs.openProgress());
    const DialogWindow progress = dialogs.progressWindow();
    EXPECT_TRUE(dialogs.pumpMessages());
    shot(progress, "version_progress", false);

    // The newer-version dialog over it; its link ends the dialog.
    DialogWindow newer = 0;
    sdl->then([&](SdlDialogToolkit& t) {
        newer = t.modalWindow();
        EXPECT_EQ(t.windowTitle(newer), u"ゲームの短い題");
        shot(newer, "version_newer", true);
        clickOn(newer, withText(newer, kNewerVersionLink));
    });
    EXPECT_EQ(dialogs.showNewerVersion(u"ゲームの短い題"), UpdaterDialogs::Answer::Link);
    EXPECT_FALSE(sdl->windowExists(newer));

    // "キャンセル" fails the next pump.
    clickOn(progress, withText(progress, u"キャンセル"));
    SDL_PumpEvents();
    EXPECT_FALSE(dialogs.pumpMessages());
    dialogs.closeProgress();
    EXPECT_FALSE(sdl->windowExists(progress));
}

}  // namespace
}  // namespace tessera::test
