#pragma once
// A top-level SDL2 window that shows 32-bit ARGB frames, scaled to its client area. Presenters
// draw into it; the main window builds its message handling on it. The window handle (HWND)
// that this platform gives to the graphics device is the address of the SdlWindow.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace platform::window {

class SdlWindow {
public:
    // Opens a window with a client area of width x height; null when SDL has no display (or
    // the run is headless), so that callers fall back to their headless doubles.
    static std::unique_ptr<SdlWindow> open(const std::string& utf8Title, int width, int height);
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Shows a frame of `width` x `height` ARGB pixels, `pitch` bytes apart. False when SDL
    // refuses it (a frame of zero size, or a lost renderer).
    bool show(const std::uint32_t* pixels, int width, int height, int pitch);
    // Handles pending window-system events; false once the user asked to close the window.
    bool pumpEvents();
    // The client area with the last frame drawn into it, ARGB, row after row, read back from
    // the renderer (empty when it cannot be read).
    std::vector<std::uint32_t> capture(int& width, int& height);

private:
    SdlWindow() = default;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool closeRequested_ = false;
};

}  // namespace platform::window
