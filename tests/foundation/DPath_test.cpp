#include "foundation/DPath.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/foundation/exact_text.h"
#include "tests/support/temp_dir.h"

namespace mirel {
namespace {

using test::ExactText;

// ソ: its trail byte is '\'.
#define SO "\x83\x5C"

TEST(DPath, Split) {
    struct Case {
        const char* path;
        const char* directory;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"data\\sub/file.tar.gz", "data/sub/", "file.tar", "gz"},
        {"name", "", "name", ""},
        {"dir/.cfg", "dir/", "", "cfg"},
        {"dir/", "dir/", "", ""},
        {"", "", "", ""},
        {"a.b/c", "a.b/", "c", ""},
        {"dir" SO "\\x.txt", "dir" SO "/", "x", "txt"},
        {"a/" SO ".txt", "a/", SO, "txt"},
        {"a/" SO, "a/", SO, ""},
        {"a/b\x82", "a/", "b\x82", ""},  // a lead byte before the NUL is one byte
        {"c:\\games\\title.exe", "c:/games/", "title", "exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char directory[DPATH_SIZE], name[DPATH_SIZE], extension[DPATH_SIZE];
        auto path = ExactText(c.path);
        DPathSplit(path.get(), directory, name, extension);
        EXPECT_STREQ(directory, c.directory);
        EXPECT_STREQ(name, c.name);
        EXPECT_STREQ(extension, c.extension);
        DPathSplit(path.get(), nullptr, nullptr, nullptr);  // outputs are optional
    }
}

TEST(DPath, SplitKeepsOutputsBounded) {
    const std::string longPath = std::string(150, 'd') + "/" + std::string(200, 'n') + ".e";
    char directory[DPATH_SIZE], name[DPATH_SIZE], extension[DPATH_SIZE];
    DPathSplit(longPath.c_str(), directory, name, extension);
    EXPECT_EQ(std::string(directory), std::string(150, 'd') + "/");
    EXPECT_EQ(std::string(name), std::string(112, 'n'));  // 263 bytes of the path in all
    EXPECT_STREQ(extension, "");
}

TEST(DPath, SplitDrive) {
    struct Case {
        const char* path;
        const char* drive;
        const char* rest;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Games\\Title\\game.exe", "C:", "/Games/Title/", "game"},
        {"\\\\server\\share\\game.exe", "", "//server/share/", "game"},
        {"/opt/title/tessera", "", "/opt/title/", "tessera"},
        {"game.exe", "", "", "game"},
        {"\x82:/x", "", "\x82:/", "x"},  // a lead byte is not a drive letter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char drive[DPATH_SIZE], rest[DPATH_SIZE], name[DPATH_SIZE];
        DPathSplitDrive(c.path, drive, rest, name);
        EXPECT_STREQ(drive, c.drive);
        EXPECT_STREQ(rest, c.rest);
        EXPECT_STREQ(name, c.name);
    }
}

TEST(DPath, Make) {
    struct Case {
        const char* directory;
        const char* name;
        const char* extension;
        const char* want;
    };
    const Case cases[] = {
        {"data\\sub", "file", "png", "data/sub/file.png"},
        {"", "name", "ext", "name.ext"},
        {"dir\\", "name", "ext", "dir/name.ext"},
        {"dir/", "name", "", "dir/name"},
        {"dir", "", "ext", "dir/.ext"},
        {"dir" SO, "n", "e", "dir" SO "/n.e"},  // a trail byte '\' is no separator
        {nullptr, nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        char buffer[DPATH_SIZE];
        DPathMake(buffer, c.directory, c.name, c.extension);
        EXPECT_STREQ(buffer, c.want) << (c.directory ? c.directory : "(null)");
    }

    char buffer[DPATH_SIZE];
    const std::string longName(300, 'n');
    DPathMake(buffer, "dir", longName.c_str(), "ext");
    EXPECT_EQ(std::string(buffer), "dir/" + std::string(259, 'n'));
}

TEST(DPath, ConcatAndToSlash) {
    char buffer[DPATH_SIZE] = "file.txt";
    DPathConcat(buffer, "dir/");
    EXPECT_STREQ(buffer, "dir/file.txt");
    const std::string longPrefix(260, 'p');
    DPathConcat(buffer, longPrefix.c_str());
    EXPECT_EQ(std::string(buffer), longPrefix + "dir");

    char path[] = "a\\" SO "\\b";
    DPathToSlash(path);
    EXPECT_STREQ(path, "a/" SO "/b");
    auto lone = ExactText("a\\\x82");
    DPathToSlash(lone.get());
    EXPECT_STREQ(lone.get(), "a/\x82");
}

TEST(DPath, Normalize) {
    struct Case {
        const char* relative;
        const char* base;
        const char* want;
    };
    const Case cases[] = {
        {"../x.txt", "/a/b/", "/a/x.txt"},
        {"../x.txt", "/", "/../x.txt"},  // climbing above the root
        {".../y", "/a/b/c/", "/a/y"},    // three dots climb two levels
        {"./x", "/a/b", "/a/b/x"},
        {"sub\\x.txt", "\\a\\b", "/a/b/sub/x.txt"},
        {"../../x", "/a/", "/../../x"},
        {"x", "", "x"},
        {"", "/a/", "/a/"},
        {"/abs/x", "/a/", "/abs/x"},      // a rooted relative path
        {"x", "rel/", "x"},               // a base that is not rooted
        {"d:x.txt", "D:/a/", "d:x.txt"},  // drives compare exactly
        {"d:../x.txt", "d:/a/b/", "d:/a/x.txt"},
        {"../x.txt", "c:/a/b/", "c:/a/x.txt"},
        {"../" SO "/x", "/a/" SO "/", "/a/" SO "/x"},
    };
    for (const Case& c : cases) {
        DString result;
        DPathNormalize(c.relative, result, c.base);
        EXPECT_STREQ(result.Text(), c.want) << c.relative << " against " << c.base;
    }
}

TEST(DPath, IsRegularFile) {
    tessera::test::TempDir dir;
    const std::string file = dir.write("file.dat", "x");
    EXPECT_TRUE(DIsRegularFile(file.c_str()));
    EXPECT_FALSE(DIsRegularFile(dir.path().c_str()));
    EXPECT_FALSE(DIsRegularFile(dir.file("missing").c_str()));
    EXPECT_FALSE(DIsRegularFile(nullptr));
}

}  // namespace
}  // namespace mirel
