#pragma once
#include <string>

namespace platform::os {

// The folders the framework's bracketed path roots name, as UTF-8 paths without a trailing
// slash. The two application-data folders are created (mode 0700) when missing; an empty
// result means the folder is unknown or could not be created.

// $XDG_DATA_HOME, else ~/.local/share: settings, log, parameters, the scripts' own files.
std::string localAppDataFolder();
// $XDG_CONFIG_HOME, else ~/.config: what a user carries between machines.
std::string userAppDataFolder();
// $TMPDIR, else /tmp.
std::string temporaryFolder();

}  // namespace platform::os
