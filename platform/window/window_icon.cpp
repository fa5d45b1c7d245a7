#include "platform/window/window_icon.h"

#include <SDL.h>
#include <png.h>

#include <cstring>
#include <map>
#include <mutex>
#include <span>

namespace platform::window {

namespace {

// Larger icons are refused: a window icon is small, and the bound keeps a bad image from
// asking for an arbitrary allocation.
constexpr png_uint_32 kMaxIconSide = 1024;

std::mutex& registryLock() {
    static std::mutex lock;
    return lock;
}

std::map<uint16_t, std::span<const unsigned char>>& registry() {
    static std::map<uint16_t, std::span<const unsigned char>> icons;
    return icons;
}

}  // namespace

void setIconResource(uint16_t id, const void* png, std::size_t size) {
    std::lock_guard guard(registryLock());
    if (png) {
        registry()[id] = {static_cast<const unsigned char*>(png), size};
    } else {
        registry().erase(id);
    }
}

SDL_Surface* loadIconResource(uint16_t id) {
    std::span<const unsigned char> bytes;
    {
        std::lock_guard guard(registryLock());
        const auto found = registry().find(id);
        if (id == 0 || found == registry().end()) return nullptr;
        bytes = found->second;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return nullptr;
    if (image.width == 0 || image.height == 0 || image.width > kMaxIconSide ||
        image.height > kMaxIconSide) {
        png_image_free(&image);
        return nullptr;
    }
    // BGRA bytes are ARGB8888 words on this little-endian platform.
    image.format = PNG_FORMAT_BGRA;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, static_cast<int>(image.width),
                                                          static_cast<int>(image.height), 32,
                                                          SDL_PIXELFORMAT_ARGB8888);
    if (!surface) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, surface->pixels, surface->pitch, nullptr)) {
        png_image_free(&image);
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

}  // namespace platform::window
