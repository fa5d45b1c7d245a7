#pragma once
// Settings files for test runs of the game: the video settings of a window of the given size on
// the software adapter, and the keyboard's default keys.
#include <cstdint>
#include <string>

namespace tessera::test {

// Writes (or rewrites) the settings file at the UTF-8 path. Needs the framework core started.
void writeWindowSettings(const std::string& path, uint32_t width, uint32_t height);

}  // namespace tessera::test
