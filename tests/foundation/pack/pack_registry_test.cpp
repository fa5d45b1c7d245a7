#include "foundation/pack/pack_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/DPath.h"
#include "foundation/pack/pack_diagnostics.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/foundation/support/pack_fixture.h"
#include "tools/writers/dmf_writer.h"

namespace mirel {
namespace {

using tessera::test::attachMemory;
using tools::writers::writeDmf;

std::string ReadAll(DFile& file) {
    std::string out(static_cast<size_t>(file.Size()), '\0');
    if (!out.empty()) {
        EXPECT_EQ(file.Read(out.data(), static_cast<uint32_t>(out.size())), file.Size());
    }
    return out;
}

std::string PackFileName(uint32_t index, const char* name) {
    char buffer[DPATH_SIZE];
    return lfmGetPackFileName(index, buffer, name);
}

// Records the provider calls and answers from a set of names.
class FakeProvider : public LFmOverride {
public:
    bool Exists(const char* name) override {
        calls.push_back(std::string("exists ") + name);
        for (const std::string& present : names)
            if (present == name) return true;
        return false;
    }
    void Open(DFile& file, const char* path, uint32_t flags) override {
        calls.push_back(std::string("open ") + path + " " + std::to_string(flags));
        tessera::test::attachMemory(file, "from provider", path);
    }

    std::vector<std::string> names;
    std::vector<std::string> calls;
};

rcptr<FakeProvider> InstallProvider(std::vector<std::string> names = {}) {
    rcptr<FakeProvider> provider;
    provider.Create();
    provider->names = std::move(names);
    lfmRegistOverride(provider);
    return provider;
}

TEST_F(PackRegistryTest, RegisteringANameInAnyCaseGivesTheSameIndex) {
    EXPECT_EQ(lfmRegistPack("Res"), 0u);
    EXPECT_EQ(lfmRegistPack(""), 1u);
    EXPECT_EQ(lfmRegistPack("RES"), 0u);
    EXPECT_EQ(lfmRegistPack("res"), 0u);
    EXPECT_EQ(lfmRegistPack("other"), 2u);
    EXPECT_EQ(lfmRegistPack(""), 1u);
}

TEST_F(PackRegistryTest, ArchivePackOpensMembers) {
    dir_.write("data.dmf", writeDmf({{"Tex/A.png", "png bytes"}}));
    const uint32_t pack = lfmRegistPack("data");
    EXPECT_TRUE(lfmIsPackDataExist(pack, "tex/a.png"));
    EXPECT_FALSE(lfmIsPackDataExist(pack, "tex/b.png"));
    EXPECT_EQ(PackFileName(pack, "tex/a.png"), "data/tex/a.png");

    DFile file;
    attachMemory(file, "left open");  // replaced by the member
    lfmOpenPackData(pack, file, "TEX/a.png");
    EXPECT_EQ(ReadAll(file), "png bytes");
}

TEST_F(PackRegistryTest, AMemberMissingFromTheArchiveIsFatal) {
    dir_.write("data.dmf", writeDmf({}));
    const uint32_t pack = lfmRegistPack("data");
    DFile file;
    EXPECT_THROW(lfmOpenPackData(pack, file, "none.bin"), LExceptGame);
    EXPECT_EQ(log_.text(),
              Sjis("[lfmOpenPackData] 指定パック\"data\"にファイル\"none.bin\"は存在しません\n"));
}

TEST_F(PackRegistryTest, AnUnreadableArchiveIsFatalAndNotRegistered) {
    dir_.write("broken.dmf", "DMF \x01\x00\x00\x00\xff");
    EXPECT_THROW(lfmRegistPack("broken"), LExceptGame);
    const std::string path = programDir() + "broken.dmf";
    EXPECT_EQ(log_.text(), Sjis("[lfmRegistPack] パックファイル\"" + path + "\"が異常です\n"));
    EXPECT_EQ(lfmRegistPack("other"), 0u);
}

TEST_F(PackRegistryTest, LoosePacksAreFoldersBesideTheProgram) {
    dir_.write("loose/sub/a.txt", "loose file");
    dir_.write("b.txt", "plain file");
    const uint32_t loose = lfmRegistPack("loose");
    const uint32_t plain = lfmRegistPack("");

    EXPECT_TRUE(lfmIsPackDataExist(loose, "sub/a.txt"));
    EXPECT_FALSE(lfmIsPackDataExist(loose, "b.txt"));
    EXPECT_TRUE(lfmIsPackDataExist(plain, "b.txt"));
    EXPECT_TRUE(lfmIsPackDataExist(plain, "loose/sub/a.txt"));
    EXPECT_EQ(PackFileName(loose, "sub/a.txt"), programDir() + "loose/sub/a.txt");
    EXPECT_EQ(PackFileName(plain, "b.txt"), programDir() + "b.txt");

    DFile file;
    lfmOpenPackData(loose, file, "sub/a.txt");
    EXPECT_EQ(ReadAll(file), "loose file");
    lfmOpenPackData(plain, file, "b.txt");
    EXPECT_EQ(ReadAll(file), "plain file");

    EXPECT_THROW(lfmOpenPackData(loose, file, "missing.txt"), LExceptGame);
    EXPECT_EQ(log_.text(),
              Sjis("ファイル \"" + programDir() + "loose/missing.txt\" を開けませんでした。\n"));
}

TEST_F(PackRegistryTest, BadPackIndicesAreFatal) {
    lfmRegistPack("");
    DFile file;
    char buffer[DPATH_SIZE];
    EXPECT_THROW(lfmGetPackFileName(1, buffer, "x"), LExceptGame);
    EXPECT_THROW(lfmIsPackDataExist(7, "x"), LExceptGame);
    EXPECT_THROW(lfmOpenPackData(0xFFFFFFFF, file, "x"), LExceptGame);
    EXPECT_EQ(log_.text(), Sjis("[lfmGetPackFileName] パック番号が異常(1)\n"
                                "[lfmIsPackDataExist] パック番号が異常(7)\n"
                                "[lfmOpenPackData] パック番号が異常(-1)\n"));
}

TEST_F(PackRegistryTest, TheProviderGetsBareNamesToTestAndPackPathsToOpen) {
    dir_.write("data.dmf", writeDmf({{"x", "archive"}}));
    const uint32_t plain = lfmRegistPack("");
    const rcptr<FakeProvider> provider = InstallProvider({"x"});
    const uint32_t pack = lfmRegistPack("data");  // not read as an archive with a provider

    EXPECT_TRUE(lfmIsPackDataExist(pack, "x"));
    DFile file;
    lfmOpenPackData(pack, file, "x");
    EXPECT_EQ(ReadAll(file), "from provider");
    lfmOpenPackData(plain, file, "x");
    lfmOpenPath("y/z", file, 12);
    EXPECT_EQ(PackFileName(pack, "x"), "data/x");
    EXPECT_EQ(PackFileName(plain, "x"), "x");
    EXPECT_EQ(provider->calls,
              (std::vector<std::string>{"exists x", "open data/x 1", "open x 1", "open y/z 12"}));
}

TEST_F(PackRegistryTest, FindFirstExistingProbesTheNameThenEachExtension) {
    const uint32_t pack = lfmRegistPack("");
    const struct {
        const char* extensions;
        std::vector<std::string> present;
        bool found;
        const char* result;
        std::vector<std::string> probes;
    } cases[] = {
        {"png:bmp", {}, false, "tex", {"tex", "tex.png", "tex.bmp"}},
        {"png::bmp", {}, false, "tex", {"tex", "tex.png", "tex", "tex.bmp"}},
        {"png:bmp", {"tex.bmp", "tex.png"}, true, "tex.png", {"tex", "tex.png"}},
        {"png:bmp", {"tex"}, true, "tex", {"tex"}},
        {"dgt:dgi:png:jpg:jpeg:bmp",
         {"tex.jpeg"},
         true,
         "tex.jpeg",
         {"tex", "tex.dgt", "tex.dgi", "tex.png", "tex.jpg", "tex.jpeg"}},
        {"png\nbmp", {}, false, "tex", {"tex", "tex.png"}},  // a line feed ends the list
        {"", {}, false, "tex", {"tex"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extensions);
        lfmRegistOverride(nullptr);
        const rcptr<FakeProvider> provider = InstallProvider(c.present);
        char buffer[DPATH_SIZE];
        EXPECT_EQ(lfmFindFirstExisting(buffer, pack, "tex", c.extensions), c.found);
        EXPECT_STREQ(buffer, c.result);
        std::vector<std::string> probes;
        for (const std::string& call : provider->calls) probes.push_back(call.substr(7));
        EXPECT_EQ(probes, c.probes);
    }
}

TEST_F(PackRegistryTest, ASecondProviderIsFatalWhileNullReplacesIt) {
    InstallProvider();
    EXPECT_THROW(InstallProvider(), LExceptGame);
    EXPECT_EQ(log_.text(), Sjis("[lfmRegistOverride] すでにoverrideされている\n"));
    lfmRegistOverride(nullptr);
    InstallProvider();
}

TEST_F(PackRegistryTest, ReleasingForgetsPacksAndProvider) {
    dir_.write("a.txt", "x");
    InstallProvider();
    lfmRegistPack("first");
    lfmReleasePacks();
    const uint32_t plain = lfmRegistPack("");
    EXPECT_EQ(plain, 0u);
    EXPECT_TRUE(lfmIsPackDataExist(plain, "a.txt"));  // no provider any more
}

}  // namespace
}  // namespace mirel

namespace mirel {
namespace {

TEST_F(PackRegistryTest, DiagnosticsNameAFileByItsPackPath) {
    dir_.write("data.dmf", tools::writers::writeDmf({}));
    const uint32_t pack = lfmRegistPack("data");
    const int32_t savedThreshold = l3dLogThreshold;
    l3dLogThreshold = 3;
    l3dLogPack("tex/a.png", 3, "[loader] load \"%s\"", pack);
    EXPECT_THROW(l3dErrorPack("tex/b.png", "[loader] cannot read %s", pack), LExceptGame);
    l3dLogThreshold = savedThreshold;
    EXPECT_EQ(log_.text(),
              "[loader] load \"data/tex/a.png\"\n[loader] cannot read data/tex/b.png\n");
}

}  // namespace
}  // namespace mirel
