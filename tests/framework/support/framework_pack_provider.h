#pragma once
// A pack-registry provider answering from the framework's files (mounted "APFC" archives
// first, then loose files), so that pelFileExists and lfmOpenPackData see the same files; its
// files are framework streams read through DFile.
#include <cstdint>

#include "foundation/DDataOverride.h"
#include "foundation/pack/LFmOverride.h"
#include "framework/file/file.h"

namespace tessera::test {

// A framework file read through DFile's stream interface; closed with the stream.
class PelFileStream : public mirel::DDataOverride {
public:
    void Attach(PEL_FILE* file) { file_ = file; }
    ~PelFileStream() override;

    int32_t Write(const void*, int32_t) override { return -1; }
    int32_t Read(void* buffer, int32_t count) override;
    bool Seek(int32_t offset, int32_t whence) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Truncate() override { return false; }
    bool Flush() override { return true; }

private:
    PEL_FILE* file_ = nullptr;
};

class FrameworkProvider : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override;
    // A file that cannot be opened is a test failure (the file stays closed).
    void Open(mirel::DFile& file, const char* path, uint32_t flags) override;
};

}  // namespace tessera::test
