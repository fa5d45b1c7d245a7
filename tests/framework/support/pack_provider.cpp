#include "tests/framework/support/pack_provider.h"

#include <gtest/gtest.h>

#include "foundation/DDataOverride.h"
#include "framework/file/file.h"
#include "platform/os/cp932.h"

namespace tessera::test {

namespace {

// A framework file read through DFile's stream interface; closed with the stream.
class PelFileStream : public mirel::DDataOverride {
public:
    void Attach(PEL_FILE* file) { file_ = file; }
    ~PelFileStream() override {
        if (file_) pelFileClose(file_);
    }

    int32_t Write(const void*, int32_t) override { return -1; }
    int32_t Read(void* buffer, int32_t count) override {
        size_t got = 0;
        if (pelFileRead(&got, buffer, static_cast<size_t>(count), file_) != PEL_OK) return -1;
        return static_cast<int32_t>(got);
    }
    bool Seek(int32_t offset, int32_t whence) override {
        const int32_t origin = whence == SeekBegin ? 0 : whence == SeekCurrent ? 1 : 2;
        return pelFileSeek(file_, offset, origin) == PEL_OK;
    }
    int32_t Tell() override {
        uint64_t position = 0;
        return pelFileGetPosition(&position, file_) == PEL_OK ? static_cast<int32_t>(position) : -1;
    }
    int32_t Size() override {
        uint64_t size = 0;
        return pelFileGetSize(&size, file_) == PEL_OK ? static_cast<int32_t>(size) : -1;
    }
    bool Truncate() override { return false; }
    bool Flush() override { return true; }

private:
    PEL_FILE* file_ = nullptr;
};

}  // namespace

bool FrameworkPackProvider::Exists(const char* name) {
    return pelFileExists(PEL_FILE_MODE_READ, platform::os::cp932ToUtf16(name).c_str()) == PEL_OK;
}

void FrameworkPackProvider::Open(mirel::DFile& file, const char* path, uint32_t) {
    PEL_FILE* opened = pelFileOpen(PEL_FILE_MODE_READ, platform::os::cp932ToUtf16(path).c_str(), 0);
    ASSERT_NE(opened, nullptr) << path;
    mirel::rcptr<PelFileStream> stream;
    stream.Create();
    stream->Attach(opened);
    ASSERT_TRUE(file.AttachStream(path, stream));
}

}  // namespace tessera::test
