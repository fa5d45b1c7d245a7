#pragma once
#include <string>
#include <string_view>

namespace platform::os {

// The on-disk form of a path the game gives as CP932 bytes: UTF-8, every '\' turned into '/'.
// The conversion happens first, so a double-byte character whose trail byte is 0x5C is never
// taken for a separator.
std::string systemPathFromCp932(std::string_view cp932Path);

}  // namespace platform::os
