#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DObject.h"

namespace mirel {

// The pack registry's override provider, installed by the application: it answers every
// existence test and open before the registry's archives and loose folders.
class LFmOverride : public DObject {
public:
    // Whether the file of that bare name (not prefixed by a pack name) exists.
    virtual bool Exists(const char* name) = 0;
    // Opens the path ("<pack>/<name>", or the name for the unnamed pack) into the file with
    // DFile::Open flags; the provider reports its own failures.
    virtual void Open(DFile& file, const char* path, uint32_t flags) = 0;
};

}  // namespace mirel
