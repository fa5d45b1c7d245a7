// The shader set read from an "APFC" pack mounted by the framework, through a pack-registry
// provider whose files are framework streams: the pack's offset scrambling under the fields'
// position scrambling of the archive members.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/pack/pack_registry.h"
#include "framework/core/core.h"
#include "framework/file/file.h"
#include "tests/framework/support/pack_provider.h"
#include "tests/render3d/renderer_fixture.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {
namespace {

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
    mirel::rcptr<FrameworkPackProvider> provider;
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
