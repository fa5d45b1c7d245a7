#pragma once
// The pack registry's override provider of the running game: every loose-file test and open of
// the registry goes through the framework's file API, so loose data is found first in the
// mounted resource packs and then on disk, under framework paths.
#include <cstdint>

#include "foundation/pack/LFmOverride.h"

class LFmPellam final : public mirel::LFmOverride {
public:
    // Names are CP932; '\' separators count as '/'.
    bool Exists(const char* name) override;
    // Opens for reading (archives first) when flag DFile::OpenRead is set, else for writing;
    // OpenCreate with OpenNew creates or truncates, either alone is unsupported (fatal). A file
    // that cannot be opened is fatal. The file reads and writes through a DDataPellam.
    void Open(mirel::DFile& file, const char* name, uint32_t flags) override;
};
