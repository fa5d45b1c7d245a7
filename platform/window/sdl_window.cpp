#include "platform/window/sdl_window.h"

#include <SDL.h>

#include "platform/os/headless.h"
#include "platform/window/headless_window.h"
#include "platform/window/window_icon.h"

namespace platform::window {

std::unique_ptr<SdlWindow> SdlWindow::open(const std::string& utf8Title, int width, int height) {
    MainWindowDesc desc;
    desc.utf8Title = utf8Title;
    desc.width = width;
    desc.height = height;
    return open(desc);
}

std::unique_ptr<SdlWindow> SdlWindow::open(const MainWindowDesc& desc) {
    if (platform::os::headlessRun() || desc.width <= 0 || desc.height <= 0) return nullptr;
    // Each window holds one reference to the video subsystem.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    std::unique_ptr<SdlWindow> window(new SdlWindow);
    // Full screen covers the desktop at its current mode; windowed is not resizable.
    const Uint32 flags =
        SDL_WINDOW_SHOWN | (desc.fullscreen ? Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP} : Uint32{0});
    window->window_ = SDL_CreateWindow(desc.utf8Title.c_str(), SDL_WINDOWPOS_CENTERED,
                                       SDL_WINDOWPOS_CENTERED, desc.width, desc.height, flags);
    if (!window->window_) return nullptr;
    // Frames are drawn by the CPU already: the software renderer only copies and scales them
    // into the window, and needs no graphics driver.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    window->renderer_ = SDL_CreateRenderer(window->window_, -1, SDL_RENDERER_SOFTWARE);
    if (!window->renderer_) return nullptr;
    if (SDL_Surface* icon = loadIconResource(desc.icon)) {
        SDL_SetWindowIcon(window->window_, icon);
        SDL_FreeSurface(icon);
    }
    if (desc.fullscreen) SDL_RaiseWindow(window->window_);
    // Keys reach the game as key states only, never as text.
    SDL_StopTextInput();
    // Keeps the display and the machine awake while the game runs (SDL also inhibits the
    // screen saver over D-Bus where it can).
    SDL_DisableScreenSaver();
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

bool SdlWindow::clientSize(int& width, int& height) const {
    SDL_GetWindowSize(window_, &width, &height);
    return width > 0 && height > 0;
}

bool SdlWindow::drawFrame() {
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0) return false;
    // The largest rectangle of the frame's aspect that fits, centred; the rest stays black.
    SDL_Rect target{0, 0, outputWidth, outputHeight};
    const long long wide = static_cast<long long>(outputWidth) * textureHeight_;
    const long long tall = static_cast<long long>(outputHeight) * textureWidth_;
    if (wide > tall) {
        target.w = static_cast<int>(tall / textureHeight_);
        target.x = (outputWidth - target.w) / 2;
    } else if (tall > wide) {
        target.h = static_cast<int>(wide / textureWidth_);
        target.y = (outputHeight - target.h) / 2;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    if (SDL_RenderClear(renderer_) != 0) return false;
    return SDL_RenderCopy(renderer_, texture_, nullptr, &target) == 0;
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
    if (!drawFrame()) return false;
    SDL_RenderPresent(renderer_);
    pumpEvents();
    return true;
}

void SdlWindow::setMessageHandler(WindowMessageHandler handler) { handler_ = std::move(handler); }

bool SdlWindow::pumpEvents() {
    SDL_Event event;
    const Uint32 id = SDL_GetWindowID(window_);
    // SDL has one event queue: every event is taken here, whichever call pumps (the game's
    // frame or a presented frame), and the window's own become messages.
    while (SDL_PollEvent(&event)) {
        WindowMessage message;
        if (event.type == SDL_QUIT) {
            message.message = kWmClose;
        } else if (event.type == SDL_WINDOWEVENT && event.window.windowID == id) {
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                message.message = kWmClose;
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                message = {kWmActivateApp, 1, 0};
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                message = {kWmActivateApp, 0, 0};
                break;
            case SDL_WINDOWEVENT_EXPOSED:
                message.message = kWmPaint;
                break;
            default:
                continue;
            }
        } else {
            continue;
        }
        if (message.message == kWmClose) closeRequested_ = true;
        if (handler_) handler_(message);
    }
    return !closeRequested_;
}

void SdlWindow::raise() { SDL_RaiseWindow(window_); }

void SdlWindow::hide() { SDL_HideWindow(window_); }

bool SdlWindow::cursorPosition(int& x, int& y) {
    SDL_GetGlobalMouseState(&x, &y);
    return true;
}

void SdlWindow::moveBy(int dx, int dy) {
    int x = 0, y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_SetWindowPosition(window_, x + dx, y + dy);
}

std::vector<std::uint32_t> SdlWindow::capture(int& width, int& height) {
    width = height = 0;
    // What a presented buffer holds is undefined, so the frame is drawn again to be read.
    if (!texture_ || !drawFrame()) return {};
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

std::unique_ptr<MainWindow> openMainWindow(const MainWindowDesc& desc) {
    bool display = !platform::os::headlessRun() && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!display) return std::make_unique<HeadlessWindow>(desc);
    std::unique_ptr<MainWindow> window = SdlWindow::open(desc);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(0) == 0) SDL_Quit();
    return window;
}

}  // namespace platform::window
