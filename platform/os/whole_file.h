#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::os {

// Small files read and written as a whole.

// Writes a whole file through a temporary file in the same folder, synced and then renamed
// over the target, so that a crash leaves either the old or the new content and never a cut
// file. The folder must exist. False when any step fails (the temporary file is removed).
bool replaceFileContent(const std::string& utf8Path, std::string_view bytes);

// The whole content of a file of at most maxBytes bytes; nullopt when it cannot be read or is
// larger.
std::optional<std::string> readSmallFile(const std::string& utf8Path, std::size_t maxBytes);

}  // namespace platform::os
