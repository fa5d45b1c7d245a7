#include <gtest/gtest.h>

#include <sys/stat.h>
#include <string>

#include "framework/file/file.h"
#include "framework/file/path.h"
#include "platform/os/utf8.h"
#include "tests/framework/support/file_fixture.h"

namespace {

using tessera::test::FrameworkFiles;

std::u16string wide(const std::string& utf8) { return platform::os::utf8ToUtf16(utf8); }

std::u16string resolve(const char16_t* base, const char16_t* path) {
    char16_t out[260];
    const size_t needed = pelPathResolve(out, base, 260, path);
    EXPECT_EQ(needed, std::u16string(out).size());
    return out;
}

TEST(Path, ResolutionConsumesLeadingDotSegments) {
    const struct {
        const char16_t* base;
        const char16_t* path;
        std::u16string expected;
    } cases[] = {
        {u"//C:/game/data/", u"../x", u"//C:/game/x"},
        {u"//C:/game/data/", u"../../../x", u"//C:/x"},
        {u"//C:/game/data/", u"./x", u"//C:/game/data/x"},
        {u"//C:/game/data/", u"./../y/z", u"//C:/game/y/z"},
        {u"//C:/game/data/", u".hidden", u"//C:/game/data/.hidden"},
        {u"//C:/game/data/", u"..x/y", u"//C:/game/data/..x/y"},
        {u"//C:/game/data/", u"a/../b", u"//C:/game/data/a/../b"},
        {u"//C:/game/data/", u"/abs/file", u"/abs/file"},
        {u"//C:/game/data/", u"//<tmp>/f", u"//<tmp>/f"},
        {u"/home/u/", u"../../../../etc", u"/etc"},
        {u"rel/dir/", u"../f", u"rel/f"},
        {u"//C:\\game\\data\\", u"..\\x", u"//C:/game/x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolve(c.base, c.path), c.expected) << std::string(c.path, c.path + 3);
}

TEST(Path, BuildersReportTheLengthTheyNeed) {
    char16_t out[64];
    EXPECT_EQ(pelPathJoin(64, out, u"dir", u"name", u".txt"), 12u);
    EXPECT_EQ(std::u16string(out), u"dir/name.txt");
    pelPathJoin(64, out, u"dir/", u"name", u"txt");
    EXPECT_EQ(std::u16string(out), u"dir/name.txt");
    pelPathJoin(64, out, u"dir", u"name", u"");
    EXPECT_EQ(std::u16string(out), u"dir/name");
    pelPathJoin(64, out, nullptr, u"name", nullptr);
    EXPECT_EQ(std::u16string(out), u"name");

    const struct {
        const char16_t* path;
        const char16_t* extension;
        std::u16string expected;
    } replacements[] = {
        {u"a/b.c/d.png", u"pib", u"a/b.c/d.pib"},  {u"a/b.c/d", u"pib", u"a/b.c/d.pib"},
        {u"a/b.c/d.png", u".pib", u"a/b.c/d.pib"}, {u"a/b.c/d.png", u"", u"a/b.c/d"},
        {u"a/b.c/d.png", nullptr, u"a/b.c/d"},
    };
    for (const auto& c : replacements) {
        pelPathReplaceExtension(c.path, out, 64, c.extension);
        EXPECT_EQ(std::u16string(out), c.expected);
    }

    char16_t small[5];
    EXPECT_EQ(pelPathJoin(5, small, u"dir", u"name", u"txt"), 12u);
    EXPECT_EQ(std::u16string(small), u"dir/");

    char16_t directory[kPelPathDirectorySize];
    EXPECT_EQ(pelPathGetDirectory(directory, u"sys/sub/base.cnut"), 8u);
    EXPECT_EQ(std::u16string(directory), u"sys/sub/");
    EXPECT_EQ(pelPathGetDirectory(directory, u"base.cnut"), 0u);
    EXPECT_EQ(std::u16string(directory), u"");

    pelPathFromNative(out, 64, u"C:\\games\\x");
    EXPECT_EQ(std::u16string(out), u"//C:/games/x");
    pelPathFromNative(out, 64, u"/home/u/x");
    EXPECT_EQ(std::u16string(out), u"/home/u/x");
}

using PathRoots = FrameworkFiles;

std::u16string native(const char16_t* path) {
    char16_t out[512];
    pelPathToNative(out, 512, path);
    return out;
}

TEST_F(PathRoots, BracketedRootsMapToTheXdgFoldersAndTheExecutableFolder) {
    const std::u16string base = wide(temp().path());
    EXPECT_EQ(native(u"//<localappdata>/game.ini"), base + u"/data/game.ini");
    EXPECT_EQ(native(u"//<LocalAppData>/game.ini"), base + u"/data/game.ini");
    EXPECT_EQ(native(u"//<userappdata>/x"), base + u"/config/x");
    EXPECT_EQ(native(u"//<tmp>/t"), base + u"/tmp/t");
    EXPECT_EQ(native(u"//<anything>/res.dat"), base + u"/Bin/res.dat");
    EXPECT_EQ(native(u"//C:/x"), u"");
    EXPECT_EQ(native(u"//server/share/x"), u"");
    EXPECT_EQ(native(u"/abs\\x"), u"/abs/x");

    pelFileSetAppDirectory(u"mygame");
    EXPECT_EQ(native(u"//<localappdata>/game.log"), base + u"/data/mygame/game.log");
    EXPECT_EQ(native(u"//<exe>/res.dat"), base + u"/Bin/mygame/res.dat");
    pelFileSetAppDirectory(u"a/b/");
    EXPECT_EQ(native(u"//<userappdata>/f"), base + u"/config/a/b/f");
    pelFileSetAppDirectory(nullptr);
    EXPECT_EQ(native(u"//<userappdata>/f"), base + u"/config/f");

    // Relative paths resolve against the executable's folder, keeping its letter case.
    EXPECT_EQ(resolve(nullptr, u"sys/base.cnut"), base + u"/Bin/sys/base.cnut");

    struct stat status {};
    ASSERT_EQ(stat((temp().path() + "/data").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST_F(PathRoots, CreateDirectoryMakesEverySegment) {
    pelFileSetAppDirectory(u"mygame");
    EXPECT_EQ(pelFileCreateDirectory(u"//<localappdata>/replay/2024"), PEL_OK);
    struct stat status {};
    ASSERT_EQ(stat((temp().path() + "/data/mygame/replay/2024").c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(pelFileCreateDirectory(u"//<localappdata>/replay/2024"), PEL_OK);
    EXPECT_EQ(pelFileCreateDirectory(u"//C:/nowhere"), PEL_E_ACCESS);
    writeBesideExecutable("plain", "x");
    EXPECT_EQ(pelFileCreateDirectory(u"plain/sub"), PEL_E_ACCESS);
}

}  // namespace
