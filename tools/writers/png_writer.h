#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tools::writers {

// Writes ARGB pixels (width x height, row-major) as an 8-bit RGB PNG, or RGBA when `alpha` is
// set; false on failure.
bool writePng(const std::string& path, std::uint32_t width, std::uint32_t height,
              const std::vector<std::uint32_t>& argb, bool alpha = false);

}  // namespace tools::writers
