#pragma once
// A pack-registry override provider that answers from the framework's files: what
// pelFileMountArchive mounted ("APFC" packs) and the framework's paths. Its files are framework
// streams behind DFile's stream interface, so a member keeps the pack's offset scrambling
// under the readers' own.
#include "foundation/DFile.h"
#include "foundation/pack/LFmOverride.h"

namespace tessera::test {

class FrameworkPackProvider : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override;
    // A file the framework cannot open fails the current test and leaves `file` closed.
    void Open(mirel::DFile& file, const char* path, uint32_t flags) override;
};

}  // namespace tessera::test
