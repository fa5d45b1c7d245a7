#pragma once
#include <functional>
#include <string>

namespace platform::os {

// Opens a UTF-8 address in the user's browser through `xdg-open`, without waiting for the
// browser. The address reaches xdg-open as one argument, never through a shell's parsing.
// False when the launch could not be started.
bool openUrl(const std::string& url);

// Tests replace the opener (a recorder of the addresses); an empty function restores xdg-open.
void setUrlOpener(std::function<bool(const std::string& url)> opener);

}  // namespace platform::os
