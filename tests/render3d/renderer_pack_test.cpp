// The shader set read from an "APFC" pack mounted by the framework, through a pack-registry
// provider whose files are framework streams: the pack's offset scrambling under the fields'
// position scrambling of the archive members.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "foundation/DDataOverride.h"
#include "foundation/pack/pack_registry.h"
#include "framework/core/core.h"
#include "framework/file/file.h"
#include "tests/render3d/renderer_fixture.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {
namespace {

std::u16string wide(const char* ascii) { return std::u16string(ascii, ascii + std::strlen(ascii)); }

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

// Answers the pack registry from the framework's mounted archives.
class FrameworkProvider : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override {
        return pelFileExists(PEL_FILE_MODE_READ, wide(name).c_str()) == PEL_OK;
    }
    void Open(mirel::DFile& file, const char* path, uint32_t) override {
        PEL_FILE* opened = pelFileOpen(PEL_FILE_MODE_READ, wide(path).c_str(), 0);
        ASSERT_NE(opened, nullptr) << path;
        mirel::rcptr<PelFileStream> stream;
        stream.Create();
        stream->Attach(opened);
        ASSERT_TRUE(file.AttachStream(path, stream));
    }
};

class RendererPack : public RendererTest {
protected:
    void SetUp() override {
        RendererTest::SetUp();
        setenv("XDG_DATA_HOME", dir_.file("data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.file("config").c_str(), 1);
        pelFinalize();
        pelFileRegisterModule();
        pelInitialize();
    }
    void TearDown() override {
        RendererTest::TearDown();
        pelFinalize();
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }
};

TEST_F(RendererPack, ShaderSetLoadsFromAMountedPack) {
    L3DDevice& device = createWindowed();
    dir_.write("res.dat", tools::writers::buildApfc({{u"readme.txt", "padding first"},
                                                     {u"sys/renderer.csa", builtShaderArchive()}}));
    ASSERT_EQ(pelFileMountArchive(u"res.dat"), PEL_OK);
    mirel::rcptr<FrameworkProvider> provider;
    provider.Create();
    lfmRegistOverride(provider);
    mirel::DFile file;
    lfmOpenPackData(lfmRegistPack(""), file, "sys/renderer.csa");
    renderer_ = std::make_unique<L3DRenderer>();
    renderer_->Create(mirel::rcptr<L3DDevice>::NonOwning(&device), {}, file);
    for (const auto& shader : renderer_->vertexShaders) EXPECT_TRUE(shader && shader->shader);
    EXPECT_TRUE(renderer_->pixelShaders[L3DShaderMap3]);
}

}  // namespace
}  // namespace tessera::test
