#pragma once
// Golden images: frames compared with small PNG files beside the tests, each channel within a
// tolerance. With TESSERA_UPDATE_GOLDENS=1 the frames are written as the new goldens instead.
#include <cstdint>
#include <string>
#include <vector>

namespace tessera::test {

// Empty when the frame matches; otherwise what differs (or why the golden cannot be read).
std::string compareWithGolden(const std::string& path, uint32_t width, uint32_t height,
                              const std::vector<uint32_t>& argb, int tolerance);

}  // namespace tessera::test
