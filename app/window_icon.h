#pragma once
#include <cstddef>

// The window icon built into the executable (resource number 107): PNG bytes written by
// tools/appicon at build time.
extern const unsigned char kWindowIconPng[];
extern const std::size_t kWindowIconPngSize;
inline constexpr unsigned short kWindowIconResource = 107;
