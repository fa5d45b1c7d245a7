#pragma once
#include <optional>
#include <string>

namespace platform::os {

// Finds the file a path names when its letters differ in case from the names on disk, as the
// game data expects of a Windows file system. ASCII letters are folded; other bytes must match.
// Each component that does not exist as written is looked up in its directory's listing
// (listings are cached and re-read when the directory changes). With leafMayBeMissing, the
// last component may name nothing yet (a file about to be created); it is kept as written.
// Returns the path as it exists on disk, or nullopt when some component matches nothing.
// Thread-safe.
std::optional<std::string> resolvePathIgnoringCase(const std::string& utf8Path,
                                                   bool leafMayBeMissing);

}  // namespace platform::os
