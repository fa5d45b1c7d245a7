#include "platform/os/module_path.h"

#include <unistd.h>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform::os {
namespace {

std::mutex overrideMutex;
std::optional<std::string> overridePath;

std::string executablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string moduleFileName() {
    {
        std::lock_guard lock(overrideMutex);
        if (overridePath) return *overridePath;
    }
    std::string path = executablePath();
    const char* programDir = std::getenv("TESSERA_PROGRAM_DIR");
    if (programDir == nullptr || *programDir == '\0') return path;
    const size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) name = "tessera";
    std::string directory(programDir);
    if (directory.back() != '/') directory += '/';
    return directory + name;
}

void overrideModuleFileName(std::optional<std::string> utf8Path) {
    std::lock_guard lock(overrideMutex);
    overridePath = std::move(utf8Path);
}

}  // namespace platform::os
