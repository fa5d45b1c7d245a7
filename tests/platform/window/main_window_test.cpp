// The main window: the headless record, the SDL2 window's events, scaling and full screen,
// icons and message boxes. RealWindow tests need a display (ctest runs them under Xvfb).
#include <gtest/gtest.h>
#include <png.h>

#include <SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window/headless_window.h"
#include "platform/window/message_box.h"
#include "platform/window/sdl_window.h"
#include "platform/window/window_icon.h"

namespace platform::window {
namespace {

std::vector<uint32_t> collectMessages(MainWindow& window, std::vector<WindowMessage>& into) {
    window.setMessageHandler([&into](const WindowMessage& m) { into.push_back(m); });
    window.pumpEvents();
    std::vector<uint32_t> numbers;
    for (const WindowMessage& m : into) numbers.push_back(m.message);
    return numbers;
}

TEST(HeadlessMainWindow, OpensWithoutDisplayAndDeliversInjectedMessages) {
    ASSERT_STREQ(std::getenv("TESSERA_HEADLESS"), "1");
    MainWindowDesc desc;
    desc.utf8Title = "game";
    desc.width = 640;
    desc.height = 480;
    std::unique_ptr<MainWindow> window = openMainWindow(desc);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->handle(), nullptr);
    auto& headless = dynamic_cast<HeadlessWindow&>(*window);
    EXPECT_EQ(headless.desc().width, 640);
    headless.inject({kWmActivateApp, 0, 0});
    headless.inject({kWmClose, 0, 0});
    headless.inject({kWmPaint, 0, 0});
    std::vector<WindowMessage> seen;
    EXPECT_EQ(collectMessages(headless, seen),
              (std::vector<uint32_t>{kWmActivateApp, kWmClose, kWmPaint}));
    EXPECT_FALSE(headless.pumpEvents());  // a close was requested; the window stays
    EXPECT_TRUE(headless.visible());
    headless.raise();
    EXPECT_EQ(headless.raiseCount(), 1);
}

TEST(MessageBox, ObserverTakesTheBoxAndHeadlessRunsWriteItToStandardError) {
    struct Seen {
        std::string text, caption;
        uint32_t style;
    };
    std::vector<Seen> seen;
    setMessageBoxObserver([&seen](std::string_view text, std::string_view caption, uint32_t style) {
        seen.push_back({std::string(text), std::string(caption), style});
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(messageBox(nullptr, std::u16string_view(u"\u65E5\u672C \U0001F600"),
                         std::u16string_view(u"[Err] "), kMbOk | kMbIconError),
              kIdOk);
    EXPECT_EQ(messageBox(nullptr, std::string_view("\x93\xFA"), std::string_view("Code:Q1"),
                         kMbIconWarning),
              kIdOk);
    // A question without anyone to answer it gets No.
    EXPECT_EQ(messageBox(nullptr, std::u16string_view(u"Q"), std::u16string_view(u"C"), kMbYesNo),
              kIdNo);
    setMessageBoxObserver(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[[Err] ] \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\n"
              "[Code:Q1] \xE6\x97\xA5\n[C] Q\n");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].style, kMbYesNo);
    EXPECT_EQ(seen[0].text, "\x93\xFA\x96\x7B ?");  // CP932 lacks the last character
    EXPECT_EQ(seen[0].caption, "[Err] ");
    EXPECT_EQ(seen[0].style, kMbIconError);
    EXPECT_EQ(seen[1].style, kMbIconWarning);
}

// A PNG of the given ARGB pixels, made by libpng.
std::vector<unsigned char> encodePng(const std::vector<uint32_t>& argb, int width, int height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, argb.data(), 0, nullptr));
    std::vector<unsigned char> bytes(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, argb.data(), 0, nullptr));
    bytes.resize(size);
    return bytes;
}

TEST(WindowIcon, RegisteredPngDecodesToArgb) {
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0x8000FF00, 0xFF0000FF, 0x00000000};
    const std::vector<unsigned char> png = encodePng(pixels, 2, 2);
    setIconResource(107, png.data(), png.size());
    SDL_Surface* icon = loadIconResource(107);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->w, 2);
    EXPECT_EQ(icon->h, 2);
    EXPECT_EQ(icon->format->format, SDL_PIXELFORMAT_ARGB8888);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const unsigned char*>(icon->pixels) + y * icon->pitch);
            // libpng stores colour under partial alpha as it was given (no premultiplying).
            EXPECT_EQ(row[x], pixels[y * 2 + x]) << x << "," << y;
        }
    SDL_FreeSurface(icon);

    EXPECT_EQ(loadIconResource(0), nullptr);
    EXPECT_EQ(loadIconResource(108), nullptr);
    const unsigned char garbage[] = "\x89PNG\r\n\x1A\n not really";
    setIconResource(108, garbage, sizeof garbage);
    EXPECT_EQ(loadIconResource(108), nullptr);
    setIconResource(108, nullptr, 0);
    setIconResource(107, nullptr, 0);
    EXPECT_EQ(loadIconResource(107), nullptr);
}

class RealMainWindow : public ::testing::Test {
protected:
    std::unique_ptr<SdlWindow> open(MainWindowDesc desc) {
        std::unique_ptr<SdlWindow> window = SdlWindow::open(desc);
        if (window) return window;
        const char* required = std::getenv("TESSERA_REQUIRE_DISPLAY");
        if (required && std::string(required) == "1") ADD_FAILURE() << "no display";
        return nullptr;
    }
    static MainWindowDesc windowed(int width, int height) {
        MainWindowDesc desc;
        desc.utf8Title = "Tessera main window test";
        desc.width = width;
        desc.height = height;
        return desc;
    }
    static void push(SdlWindow& window, Uint8 windowEvent) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(window.sdlWindow());
        event.window.event = windowEvent;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
};

TEST_F(RealMainWindow, WindowEventsBecomeMessagesWhicheverCallPumps) {
    std::unique_ptr<SdlWindow> window = open(windowed(160, 120));
    if (!window) GTEST_SKIP() << "no display";
    EXPECT_EQ(window->handle(), window.get());
    std::vector<WindowMessage> seen;
    window->setMessageHandler([&seen](const WindowMessage& m) { seen.push_back(m); });
    window->pumpEvents();  // what the window system sent on creation
    seen.clear();
    push(*window, SDL_WINDOWEVENT_FOCUS_LOST);
    push(*window, SDL_WINDOWEVENT_FOCUS_GAINED);
    push(*window, SDL_WINDOWEVENT_MOVED);  // nothing the procedure needs
    // A presented frame pumps too: its events reach the handler and are not lost.
    const std::vector<uint32_t> frame(16, 0xFF000000);
    ASSERT_TRUE(window->show(frame.data(), 4, 4, 16));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, kWmActivateApp);
    EXPECT_EQ(seen[0].wParam, 0u);
    EXPECT_EQ(seen[1].message, kWmActivateApp);
    EXPECT_EQ(seen[1].wParam, 1u);
    seen.clear();
    push(*window, SDL_WINDOWEVENT_CLOSE);
    EXPECT_FALSE(window->pumpEvents());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, kWmClose);
}

TEST_F(RealMainWindow, FramesKeepTheirAspectInsideTheClientArea) {
    std::unique_ptr<SdlWindow> window = open(windowed(160, 120));
    if (!window) GTEST_SKIP() << "no display";
    const std::vector<uint32_t> square(40 * 40, 0xFF336699);
    ASSERT_TRUE(window->show(square.data(), 40, 40, 40 * 4));
    int width = 0, height = 0;
    std::vector<uint32_t> shown = window->capture(width, height);
    ASSERT_EQ(shown.size(), 160u * 120u);
    EXPECT_EQ(shown[60 * 160 + 80] & 0xFFFFFF, 0x336699u);  // centre
    EXPECT_EQ(shown[60 * 160 + 10] & 0xFFFFFF, 0u);         // black bar on the left
    EXPECT_EQ(shown[60 * 160 + 150] & 0xFFFFFF, 0u);        // and on the right
    EXPECT_EQ(shown[2 * 160 + 80] & 0xFFFFFF, 0x336699u);   // full height
    const std::vector<uint32_t> wide(80 * 20, 0xFF996633);
    ASSERT_TRUE(window->show(wide.data(), 80, 20, 80 * 4));
    shown = window->capture(width, height);
    EXPECT_EQ(shown[60 * 160 + 2] & 0xFFFFFF, 0x996633u);  // full width
    EXPECT_EQ(shown[5 * 160 + 80] & 0xFFFFFF, 0u);         // bars above and below
    EXPECT_EQ(shown[115 * 160 + 80] & 0xFFFFFF, 0u);
}

TEST_F(RealMainWindow, FullScreenCoversTheDesktopWithoutChangingItsMode) {
    MainWindowDesc desc = windowed(320, 240);
    desc.fullscreen = true;
    std::unique_ptr<SdlWindow> window = open(desc);
    if (!window) GTEST_SKIP() << "no display";
    EXPECT_EQ(SDL_GetWindowFlags(window->sdlWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP,
              Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP});
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    const std::vector<uint32_t> frame(320 * 240, 0xFF808080);
    ASSERT_TRUE(window->show(frame.data(), 320, 240, 320 * 4));
    int width = 0, height = 0;
    window->capture(width, height);
    EXPECT_EQ(width, desktop.w);
    EXPECT_EQ(height, desktop.h);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

TEST_F(RealMainWindow, IconResourceIsSetOnTheWindow) {
    const std::vector<uint32_t> pixels(16 * 16, 0xFFFFCC00);
    const std::vector<unsigned char> png = encodePng(pixels, 16, 16);
    setIconResource(107, png.data(), png.size());
    MainWindowDesc desc = windowed(64, 48);
    desc.icon = 107;
    std::unique_ptr<SdlWindow> window = open(desc);
    setIconResource(107, nullptr, 0);
    if (!window) GTEST_SKIP() << "no display";
    EXPECT_TRUE(window->pumpEvents());
}

}  // namespace
}  // namespace platform::window
