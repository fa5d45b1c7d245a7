#pragma once
// The game's one top-level window: the SDL2 window when there is a display, otherwise a
// headless record that tests drive by injecting messages.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/window/window_message.h"

namespace platform::window {

struct MainWindowDesc {
    std::string utf8Title;
    int width = 0;  // client area
    int height = 0;
    // Full screen: a borderless window over the whole desktop; the display mode is never
    // switched. Windowed: a fixed-size window with a caption.
    bool fullscreen = false;
    uint16_t icon = 0;  // an icon resource (setIconResource), 0 for none
};

class MainWindow {
public:
    virtual ~MainWindow() = default;

    // The window handle given to the graphics device, input and sound: the SdlWindow's
    // address, or null for a headless window (which every service treats as headless).
    virtual void* handle() = 0;
    // Receives every message the window's events turn into, from pumpEvents on.
    virtual void setMessageHandler(WindowMessageHandler handler) = 0;
    // Delivers the pending events as messages; false once a close was requested.
    virtual bool pumpEvents() = 0;
    // Brings the window to the front (best effort: window managers may refuse the focus).
    virtual void raise() = 0;
    virtual void hide() = 0;
    // The mouse cursor in desktop coordinates; false when unknown.
    virtual bool cursorPosition(int& x, int& y) = 0;
    // Moves the window by the given distance, without resizing or activating it.
    virtual void moveBy(int dx, int dy) = 0;
};

// The SDL2 window when one can be opened; a HeadlessWindow when the run is headless or SDL has
// no display; null when SDL has a display but the window cannot be created.
std::unique_ptr<MainWindow> openMainWindow(const MainWindowDesc& desc);

}  // namespace platform::window
