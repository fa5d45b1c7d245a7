#pragma once
// Icon resources: PNG images that the executable registers under the resource numbers the
// window descriptor names.
#include <cstddef>
#include <cstdint>

struct SDL_Surface;

namespace platform::window {

// Registers the PNG bytes (kept by the caller for the life of the process) under the number;
// null bytes remove it.
void setIconResource(uint16_t id, const void* png, std::size_t size);

// The registered icon decoded into a new ARGB surface, or null when the number is unknown or
// its image cannot be decoded. The caller frees it with SDL_FreeSurface.
SDL_Surface* loadIconResource(uint16_t id);

}  // namespace platform::window
