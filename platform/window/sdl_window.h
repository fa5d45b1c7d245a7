#pragma once
// The SDL2 main window: shows 32-bit ARGB frames, scaled to its client area keeping their
// aspect, and turns SDL's window events into the messages of the window procedure. Presenters
// draw into it. The window handle (HWND) that this platform gives to the graphics device is
// the address of the SdlWindow.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/main_window.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform::window {

class SdlWindow : public MainWindow {
public:
    // Opens a window with a client area of width x height; null when SDL has no display (or
    // the run is headless), so that callers fall back to their headless doubles.
    static std::unique_ptr<SdlWindow> open(const std::string& utf8Title, int width, int height);
    static std::unique_ptr<SdlWindow> open(const MainWindowDesc& desc);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Shows a frame of `width` x `height` ARGB pixels, `pitch` bytes apart, then pumps the
    // events. False when SDL refuses it (a frame of zero size, or a lost renderer).
    bool show(const std::uint32_t* pixels, int width, int height, int pitch);
    // The client area with the last frame drawn into it, ARGB, row after row, read back from
    // the renderer (empty when it cannot be read).
    std::vector<std::uint32_t> capture(int& width, int& height);

    void* handle() override { return this; }
    void setMessageHandler(WindowMessageHandler handler) override;
    // Handles pending window-system events; false once the user asked to close the window.
    bool pumpEvents() override;
    void raise() override;
    void hide() override;
    bool cursorPosition(int& x, int& y) override;
    void moveBy(int dx, int dy) override;

    SDL_Window* sdlWindow() const { return window_; }
    // The client area's size in pixels; false when SDL cannot tell.
    bool clientSize(int& width, int& height) const;

private:
    SdlWindow() = default;
    // Draws the texture into the client area, scaled keeping its aspect, on black.
    bool drawFrame();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool closeRequested_ = false;
    WindowMessageHandler handler_;
};

}  // namespace platform::window
