#include "platform/window/sdl_window.h"

#include <SDL.h>

#include "platform/os/headless.h"

namespace platform::window {

std::unique_ptr<SdlWindow> SdlWindow::open(const std::string& utf8Title, int width, int height) {
    if (platform::os::headlessRun() || width <= 0 || height <= 0) return nullptr;
    // Each window holds one reference to the video subsystem.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    std::unique_ptr<SdlWindow> window(new SdlWindow);
    window->window_ = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_CENTERED,
                                       SDL_WINDOWPOS_CENTERED, width, height, SDL_WINDOW_SHOWN);
    if (!window->window_) return nullptr;
    // Frames are drawn by the CPU already: the software renderer only copies and scales them
    // into the window, and needs no graphics driver.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    window->renderer_ = SDL_CreateRenderer(window->window_, -1, SDL_RENDERER_SOFTWARE);
    if (!window->renderer_) return nullptr;
    return window;
}

SdlWindow::~SdlWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The last user of SDL also releases what SDL set up for all subsystems (its D-Bus
    // connection among them).
    if (SDL_WasInit(0) == 0) SDL_Quit();
}

bool SdlWindow::show(const std::uint32_t* pixels, int width, int height, int pitch) {
    if (!pixels || width <= 0 || height <= 0 || pitch < width * 4) return false;
    if (!texture_ || width != textureWidth_ || height != textureHeight_) {
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture_) return false;
        textureWidth_ = width;
        textureHeight_ = height;
    }
    if (SDL_UpdateTexture(texture_, nullptr, pixels, pitch) != 0) return false;
    if (SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) != 0) return false;
    SDL_RenderPresent(renderer_);
    pumpEvents();
    return true;
}

bool SdlWindow::pumpEvents() {
    SDL_Event event;
    const Uint32 id = SDL_GetWindowID(window_);
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.windowID == id &&
             event.window.event == SDL_WINDOWEVENT_CLOSE))
            closeRequested_ = true;
    }
    return !closeRequested_;
}

std::vector<std::uint32_t> SdlWindow::capture(int& width, int& height) {
    width = height = 0;
    // What a presented buffer holds is undefined, so the frame is drawn again to be read.
    if (!texture_ || SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) != 0) return {};
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0 || w <= 0 || h <= 0) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), w * 4) !=
        0)
        return {};
    width = w;
    height = h;
    return pixels;
}

}  // namespace platform::window
