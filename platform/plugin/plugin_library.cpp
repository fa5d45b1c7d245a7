#include "platform/plugin/plugin_library.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/os/cp932.h"

namespace platform::plugin {
namespace {

bool EndsWithSpi(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    });
    return tail == ".spi";
}

}  // namespace

std::vector<std::string> findPluginFiles(std::string_view cp932Directory) {
    std::string directory = os::cp932ToUtf8(cp932Directory);
    if (directory.empty()) directory = ".";
    if (directory.back() != '/') directory += '/';

    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            struct stat info;
            if (EndsWithSpi(name) && stat((directory + name).c_str(), &info) == 0 &&
                S_ISREG(info.st_mode))
                names.push_back(name);
        }
        closedir(dir);
    }
    // Directory order is arbitrary; the plug-ins are asked in a fixed order.
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(os::utf8ToCp932(directory + name));
    return paths;
}

void* loadLibrary(std::string_view cp932Path) {
    return dlopen(os::cp932ToUtf8(cp932Path).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* findSymbol(void* library, const char* name) {
    return library ? dlsym(library, name) : nullptr;
}

void freeLibrary(void* library) {
    if (library) dlclose(library);
}

}  // namespace platform::plugin
