#pragma once
// The unnamed pack of a tool: the files below one directory, answered before any archive.
#include <string>

#include "foundation/pack/LFmOverride.h"

namespace tools::console {

class DirectoryPack : public mirel::LFmOverride {
public:
    void SetDirectory(std::string directory) { directory_ = std::move(directory); }
    bool Exists(const char* name) override;
    // A file that cannot be opened is fatal (l3dError).
    void Open(mirel::DFile& file, const char* path, uint32_t flags) override;

private:
    std::string directory_;
};

}  // namespace tools::console
