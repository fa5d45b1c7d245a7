#include "tests/engine/startup/provider_fixture.h"

#include "foundation/pack/pack_registry.h"
#include "framework/file/file.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {

void ProviderTest::SetUp() {
    FrameworkFiles::SetUp();
    ASSERT_TRUE(application_.Init(nullptr, 10));
    mirel::DApplication::SetCurrent(&application_);
    savedDiagMode_ = l3dDiagMode;
    l3dDiagMode = l3dDiagDefer;
    debug_.emplace();
    lfmReleasePacks();
    mirel::rcptr<LFmPellam> provider;
    provider.Create();
    lfmRegistPack("");
    lfmRegistOverride(provider);
}

void ProviderTest::TearDown() {
    lfmReleasePacks();
    debug_.reset();
    l3dTermDiag();
    l3dDiagMode = savedDiagMode_;
    mirel::DApplication::SetCurrent(nullptr);
    FrameworkFiles::TearDown();
}

void ProviderTest::mountPack(const std::string& name,
                             const std::vector<std::pair<std::u16string, std::string>>& members) {
    std::vector<tools::writers::ApfcMember> apfc;
    for (const auto& [member, bytes] : members) apfc.push_back({member, bytes});
    writeBesideExecutable(name, tools::writers::buildApfc(apfc));
    const std::u16string path(name.begin(), name.end());
    ASSERT_EQ(pelFileMountArchive(path.c_str()), PEL_OK);
}

}  // namespace tessera::test
