#include "tools/console/directory_pack.h"

#include <filesystem>

#include "render3d/diagnostics/diagnostics.h"

namespace tools::console {

bool DirectoryPack::Exists(const char* name) {
    return std::filesystem::is_regular_file(directory_ + "/" + name);
}

void DirectoryPack::Open(mirel::DFile& file, const char* path, uint32_t flags) {
    const std::string full = directory_ + "/" + path;
    if (!file.Open(full.c_str(), flags)) l3dError("cannot open \"%s\"", full.c_str());
}

}  // namespace tools::console
