#include "platform/os/known_folders.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdlib>

namespace platform::os {

namespace {

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Creates every missing folder of an absolute path with mode 0700.
bool createFolders(const std::string& path) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string prefix = path.substr(0, at);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// An XDG base directory: the variable when it holds an absolute path (relative ones are to
// be ignored), else the fallback below $HOME.
std::string xdgFolder(const char* variable, const char* belowHome) {
    const char* value = std::getenv(variable);
    std::string path;
    if (value && value[0] == '/') {
        path = value;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') return {};
        path = std::string(home) + "/" + belowHome;
    }
    path = withoutTrailingSlash(path);
    return createFolders(path) ? path : std::string();
}

}  // namespace

std::string localAppDataFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string userAppDataFolder() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

std::string temporaryFolder() {
    const char* value = std::getenv("TMPDIR");
    if (value && value[0] == '/') return withoutTrailingSlash(value);
    return "/tmp";
}

}  // namespace platform::os
